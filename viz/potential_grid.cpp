#include "viz/potential_grid.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

#include "scene/attribute_set.h"
#include "viz/marching_cubes_table.h"
#include "viz/point_evaluation.h"
#include "viz/root_finding.h"

namespace kelvaro {
namespace {

// The start node offset (di, dj, dk) and axis (0 x, 1 y, 2 z) of each edge position of a cell.
struct CellEdge {
    int di, dj, dk, axis;
};
constexpr CellEdge cellEdges[12] = {
    {0, 0, 0, 0}, {1, 0, 0, 2}, {0, 0, 1, 0}, {0, 0, 0, 2}, {0, 0, 0, 1}, {1, 0, 0, 1},
    {1, 0, 1, 1}, {0, 0, 1, 1}, {0, 1, 0, 0}, {1, 1, 0, 2}, {0, 1, 1, 0}, {0, 1, 0, 2},
};

// Palette index of the cell's own attribute set: 0 for the first cell, then 1 to 16 over and over.
int paletteIndexOfCell(int cell) { return cell == 0 ? 0 : 1 + (cell - 1) % 16; }

// (max - min) / cells in extended precision, stored in single.
float cellLength(float low, float high, int cells) {
    return static_cast<float>((static_cast<long double>(high) - static_cast<long double>(low)) / cells);
}

// The node coordinates along one axis: `low`, then growing by `step` once per node with
// a single-precision rounding after every addition (never recomputed from the index).
std::vector<float> axisCoordinates(float low, float step, int cells) {
    std::vector<float> coordinates(static_cast<std::size_t>(cells) + 1);
    float at = low;
    for (float& coordinate : coordinates) {
        coordinate = at;
        at += step;
    }
    return coordinates;
}

// Calls visit(n, axis, neighbour) for every edge slot 3n + axis of a grid of the given
// cells, in slot order; `neighbour` is the node one step along the axis from node n, or -1
// for a slot past the far face.
template <class Visit>
void forEachEdgeSlot(int cellsX, int cellsY, int cellsZ, Visit visit) {
    const int stride[3] = {1, cellsX + 1, (cellsX + 1) * (cellsY + 1)};
    int n = 0;
    for (int k = 0; k <= cellsZ; ++k) {
        for (int j = 0; j <= cellsY; ++j) {
            for (int i = 0; i <= cellsX; ++i, ++n) {
                const bool hasNeighbour[3] = {i < cellsX, j < cellsY, k < cellsZ};
                for (int axis = 0; axis < 3; ++axis) visit(n, axis, hasNeighbour[axis] ? n + stride[axis] : -1);
            }
        }
    }
}

void vertex(const Vector3& p) { glVertex3f(p.x, p.y, p.z); }

bool isFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A crossing GL can draw: models with overflowed numbers put grid nodes at infinity, and a
// field that vanishes or overflows at a crossing gives no normal.
bool hasDrawableCrossing(const GridEdge& edge) { return isFinite(edge.crossing) && isFinite(edge.normal); }

}  // namespace

bool GridEdge::print(std::FILE*) const { return false; }

void GridEdge::draw() const {
    glBegin(GL_LINES);
    drawAttributes();
    vertex(lower->position);
    vertex(upper->position);
    glEnd();
}

bool GridCell::print(std::FILE*) const { return false; }

void GridCell::draw() const {
    drawAttributes();
    for (int position : {0, 3, 4}) edges[position]->draw();
}

Ref<Group> GridCell::polygonise(float iso, const Vector3& color) const {
    Ref<Group> group = create<Group>(20, 20);
    Ref<AttributeSet> material = create<AttributeSet>(color);
    if (!group || !material) return {};
    material->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    material->setAlpha(0.6f);
    group->setAttributes(std::move(material));

    // The corners, bit by bit, are the ends of the four edges along y.
    const float corners[8] = {edges[4]->lower->sampleValue, edges[4]->upper->sampleValue,
                              edges[5]->lower->sampleValue, edges[5]->upper->sampleValue,
                              edges[6]->lower->sampleValue, edges[6]->upper->sampleValue,
                              edges[7]->lower->sampleValue, edges[7]->upper->sampleValue};
    unsigned index = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (corners[bit] > iso) index |= 1u << bit;
    }
    const MarchingCubesRow& row = marchingCubesTable[index];
    for (int t = 0; t < row.triangleCount; ++t) {
        const GridEdge& e0 = *edges[row.triangles[t][0]];
        const GridEdge& e1 = *edges[row.triangles[t][1]];
        const GridEdge& e2 = *edges[row.triangles[t][2]];
        if (!hasDrawableCrossing(e0) || !hasDrawableCrossing(e1) || !hasDrawableCrossing(e2)) continue;
        const Ref<Triangle> triangle = create<Triangle>(e0.crossing, e1.crossing, e2.crossing);
        if (!triangle) continue;
        triangle->setNormals(e0.normal, e1.normal, e2.normal);
        group->add(*triangle);
    }
    return group;
}

PotentialGrid::PotentialGrid(const Model& model, int cellsX, int cellsY, int cellsZ, const BuildOptions& options)
    : AttributedObject(PotentialGridType),
      nodeCount_((cellsX + 1) * (cellsY + 1) * (cellsZ + 1)),
      edgeCount_(3 * nodeCount_),
      cellCount_(cellsX * cellsY * cellsZ),
      cellsZ_(cellsZ),
      cellsY_(cellsY),
      cellsX_(cellsX),
      model_(&model),
      min_(model.bounds().min),
      max_(model.bounds().max) {
    if (!nodes_.reserve(nodeCount_) || !edges_.reserve(edgeCount_) || !cellAttributes_.reserve(cellCount_) ||
        !cells_.reserve(cellCount_)) {
        nodeCount_ = edgeCount_ = cellCount_ = 0;
        return;
    }
    cellSize_ = {cellLength(min_.x, max_.x, cellsX), cellLength(min_.y, max_.y, cellsY),
                 cellLength(min_.z, max_.z, cellsZ)};
    constructObjects(options);
}

bool PotentialGrid::complete() const { return nodes_ && edges_ && cellAttributes_ && cells_; }

// Samples the potential at the nodes on the worker threads while this thread constructs
// the nodes, edges and cells (whose links do not depend on the potentials).
void PotentialGrid::constructObjects(const BuildOptions& options) {
    // The additions along one axis do not depend on the other axes, so each axis is walked once.
    const std::vector<float> xs = axisCoordinates(min_.x, cellSize_.x, cellsX_);
    const std::vector<float> ys = axisCoordinates(min_.y, cellSize_.y, cellsY_);
    const std::vector<float> zs = axisCoordinates(min_.z, cellSize_.z, cellsZ_);
    std::vector<Vector3> positions(static_cast<std::size_t>(nodeCount_));
    for (int k = 0; k <= cellsZ_; ++k) {
        for (int j = 0; j <= cellsY_; ++j) {
            for (int i = 0; i <= cellsX_; ++i) positions[nodeIndex(i, j, k)] = {xs[i], ys[j], zs[k]};
        }
    }
    nodePotentials_.resize(positions.size());
    potentialsOf(*model_, positions, nodePotentials_.data(), options, [&] {
        for (int n = 0; n < nodeCount_; ++n) {
            nodes_.construct();
            nodes_[n].position = positions[n];
        }
        linkEdges();
        assembleCells();
    });
    for (int n = 0; n < nodeCount_; ++n) nodes_[n].sampleValue = static_cast<float>(nodePotentials_[n]);
}

// Slot 3n + axis links node n to its neighbour along the axis: all edges along x, along y
// and along z are linked, each once, in one pass over the slots.
void PotentialGrid::linkEdges() {
    forEachEdgeSlot(cellsX_, cellsY_, cellsZ_, [&](int n, int, int neighbour) {
        if (neighbour >= 0) {
            edges_.construct(&nodes_[n], &nodes_[neighbour]);
        } else {
            edges_.construct();
        }
    });
}

std::array<int, 12> PotentialGrid::cellEdgeOffsets() const {
    std::array<int, 12> offsets{};
    for (int position = 0; position < 12; ++position) {
        const CellEdge& e = cellEdges[position];
        offsets[position] = 3 * nodeIndex(e.di, e.dj, e.dk) + e.axis;
    }
    return offsets;
}

void PotentialGrid::assembleCells() {
    const std::array<int, 12> offsets = cellEdgeOffsets();
    for (int k = 0; k < cellsZ_; ++k) {
        for (int j = 0; j < cellsY_; ++j) {
            for (int i = 0; i < cellsX_; ++i) {
                const int c = cellIndex(i, j, k);
                cellAttributes_.construct(paletteIndexOfCell(c));
                cells_.construct(cellAttributes_[c]);
                GridCell& cell = cells_[c];
                const int lowest = 3 * nodeIndex(i, j, k);
                for (int position = 0; position < 12; ++position) cell.edges[position] = &edges_[lowest + offsets[position]];
            }
        }
    }
}

Vector3 PotentialGrid::surfaceColor(float iso) const {
    const auto extreme = static_cast<float>(std::max(std::abs(model_->potentialMax()), std::abs(model_->potentialMin())));
    if (extreme == 0.0f) return {0.5f, 0.5f, 0.5f};
    const auto t = static_cast<float>(std::pow(static_cast<double>(std::abs(iso)) / extreme, 0.1));
    const float strong = 0.5f + 0.5f * t;
    const float weak = 0.5f - 0.5f * t;
    return iso >= 0.0f ? Vector3{strong, weak, weak} : Vector3{weak, strong, weak};
}

// Sets `crossed` on the edges whose ends' potentials have iso between them (an end equal
// to iso included) and clears it on the edges crossed in the previous pass.
void PotentialGrid::markCrossedEdges(float iso) {
    for (int e : crossedEdges_) edges_[e].crossed = 0;
    crossedEdges_.clear();
    forEachEdgeSlot(cellsX_, cellsY_, cellsZ_, [&](int n, int axis, int neighbour) {
        if (neighbour < 0) return;
        const double belowUpper = static_cast<double>(iso) - nodes_[neighbour].sampleValue;
        const double belowLower = static_cast<double>(iso) - nodes_[n].sampleValue;
        if (belowUpper * belowLower > 0.0) return;
        edges_[3 * n + axis].crossed = 1;
        crossedEdges_.push_back(3 * n + axis);
    });
}

// Finds the crossings of all crossed edges and the fields there.
void PotentialGrid::locateCrossings(float iso, bool flipNormals, const BuildOptions& options) {
    std::vector<Segment> segments(crossedEdges_.size());
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const int e = crossedEdges_[k];
        const GridEdge& edge = edges_[e];
        const int lower = e / 3;  // slot 3n + axis starts at node n
        const int upper = static_cast<int>(edge.upper - edge.lower) + lower;
        segments[k] = {edge.lower->position, edge.upper->position, true, nodePotentials_[lower], nodePotentials_[upper]};
    }
    std::vector<std::optional<Vector3>> found(segments.size());
    findCrossings(*model_, segments, iso, options, found.data());
    std::vector<Vector3> crossings(segments.size());
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const GridEdge& edge = edges_[crossedEdges_[k]];
        if (found[k]) {
            crossings[k] = *found[k];
        } else {
            // The search fails only where iso is within rounding of an end's potential: that end.
            const double toLower = std::abs(static_cast<double>(iso) - edge.lower->sampleValue);
            const double toUpper = std::abs(static_cast<double>(iso) - edge.upper->sampleValue);
            crossings[k] = toUpper < toLower ? edge.upper->position : edge.lower->position;
        }
    }
    std::vector<Vector3> fields(crossings.size());
    fieldsOf(*model_, crossings, fields.data(), options);
    for (std::size_t k = 0; k < crossings.size(); ++k) {
        GridEdge& edge = edges_[crossedEdges_[k]];
        edge.crossing = crossings[k];
        edge.normal = fields[k];
        edge.fieldStrength = static_cast<float>(normalize(edge.normal));
        if (flipNormals) scaleInPlace(edge.normal, -1.0f);
    }
}

// Polygonises, in cell order, every cell with a crossed edge and adds its group to
// `result`; `polygonised` ends up set on exactly those cells.
void PotentialGrid::polygoniseCells(float iso, const Vector3& color, Group& result) {
    for (int c : polygonisedCells_) cells_[c].polygonised = 0;
    polygonisedCells_.clear();
    std::vector<std::uint8_t> crossed(static_cast<std::size_t>(edgeCount_));
    for (int e : crossedEdges_) crossed[e] = 1;
    const std::array<int, 12> offsets = cellEdgeOffsets();
    for (int k = 0; k < cellsZ_; ++k) {
        for (int j = 0; j < cellsY_; ++j) {
            for (int i = 0; i < cellsX_; ++i) {
                const int lowest = 3 * nodeIndex(i, j, k);
                bool anyCrossed = false;
                for (int offset : offsets) anyCrossed = anyCrossed || crossed[lowest + offset];
                if (!anyCrossed) continue;
                const int c = cellIndex(i, j, k);
                GridCell& cell = cells_[c];
                cell.polygonised = 1;
                polygonisedCells_.push_back(c);
                const Ref<Group> triangles = cell.polygonise(iso, color);
                if (triangles) result.add(*triangles);
            }
        }
    }
}

Ref<Group> PotentialGrid::surface(float iso, bool flipNormals, const BuildOptions& options) {
    Ref<Group> result = create<Group>(20, 20);
    if (!result) return {};
    const Vector3 color = surfaceColor(iso);
    markCrossedEdges(iso);
    locateCrossings(iso, flipNormals, options);
    polygoniseCells(iso, color, *result);
    return result;
}

bool PotentialGrid::print(std::FILE*) const { return false; }

void PotentialGrid::draw() const {
    // Cells are polygonised, and so listed, in index order.
    for (int c : polygonisedCells_) cells_[c].draw();
}

}  // namespace kelvaro
