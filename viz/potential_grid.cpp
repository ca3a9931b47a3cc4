#include "viz/potential_grid.h"

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

// Where each array of a grid starts in its storage (each on a cache line of its own), and
// the bytes of the storage.
struct StorageLayout {
    std::size_t nodes, edges, cellAttributes, cells, total;
};

StorageLayout storageLayout(int cellsX, int cellsY, int cellsZ) {
    const int nodes = (cellsX + 1) * (cellsY + 1) * (cellsZ + 1);
    const int cells = cellsX * cellsY * cellsZ;
    const auto after = [](std::size_t start, std::size_t bytes) { return (start + bytes + 63) / 64 * 64; };
    StorageLayout layout{};
    layout.edges = after(layout.nodes, GridObjects<GridNode>::bytesFor(nodes));
    layout.cellAttributes = after(layout.edges, GridObjects<GridEdge>::bytesFor(3 * nodes));
    layout.cells = after(layout.cellAttributes, GridObjects<GridCellAttributes>::bytesFor(cells));
    layout.total = after(layout.cells, GridObjects<GridCell>::bytesFor(cells));
    return layout;
}

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

// Models with overflowed numbers put grid nodes at infinity, and a field that vanishes or
// overflows at a crossing gives no normal: GL cannot draw such a corner.
bool isFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// The configuration index of a cell: bit b is set when corner b lies above `iso`.
unsigned configurationIndex(const float corners[8], float iso) {
    unsigned index = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (corners[bit] > iso) index |= 1u << bit;
    }
    return index;
}

// The triangles of the table row `index`, in row order, with the crossings and normals of
// the edges that edgeAt(position) gives (anything with `crossing` and `normal`). A
// triangle with a corner or normal that is not finite is left out. Answers how many were
// written to `out`, which has room for maxRowTriangles.
template <class EdgeAt>
int rowTriangles(unsigned index, EdgeAt edgeAt, CellTriangle* out) {
    const MarchingCubesRow& row = marchingCubesTable[index];
    int count = 0;
    for (int t = 0; t < row.triangleCount; ++t) {
        CellTriangle& triangle = out[count];
        bool drawable = true;
        for (int corner = 0; corner < 3; ++corner) {
            const auto& edge = edgeAt(row.triangles[t][corner]);
            triangle.corners[corner] = edge.crossing;
            triangle.normals[corner] = edge.normal;
            drawable = drawable && isFinite(edge.crossing) && isFinite(edge.normal);
        }
        if (drawable) ++count;
    }
    return count;
}

// A cell's Group (one reference, the caller's) under a lit, translucent material of
// `color`, holding the triangles; an empty Ref when the group or its set cannot be made.
Ref<Group> cellGroup(const CellTriangle* triangles, int count, const Vector3& color) {
    Ref<Group> group = create<Group>(20, 20);
    Ref<AttributeSet> material = create<AttributeSet>(color);
    if (!group || !material) return {};
    material->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    material->setAlpha(0.6f);
    group->setAttributes(std::move(material));
    for (int t = 0; t < count; ++t) {
        const CellTriangle& corners = triangles[t];
        const Ref<Triangle> triangle = create<Triangle>(corners.corners[0], corners.corners[1], corners.corners[2]);
        if (!triangle) continue;
        triangle->setNormals(corners.normals[0], corners.normals[1], corners.normals[2]);
        group->add(*triangle);
    }
    return group;
}

}  // namespace

bool GridEdge::print(std::FILE*) const { return false; }

bool GridCell::print(std::FILE*) const { return false; }

void GridCell::draw() const {
    drawAttributes();
    for (int position : {0, 3, 4}) edges[position]->draw();
}

Ref<Group> GridCell::polygonise(float iso, const Vector3& color) const {
    // The corners, bit by bit, are the ends of the four edges along y.
    const float corners[8] = {edges[4]->lower->sampleValue, edges[4]->upper->sampleValue,
                              edges[5]->lower->sampleValue, edges[5]->upper->sampleValue,
                              edges[6]->lower->sampleValue, edges[6]->upper->sampleValue,
                              edges[7]->lower->sampleValue, edges[7]->upper->sampleValue};
    CellTriangle triangles[maxRowTriangles];
    const int count =
        rowTriangles(configurationIndex(corners, iso), [&](int position) -> const GridEdge& { return *edges[position]; },
                     triangles);
    return cellGroup(triangles, count, color);
}

PotentialGrid::PotentialGrid(const Model& model, int cellsX, int cellsY, int cellsZ, const BuildOptions& options)
    : AttributedObject(PotentialGridType),
      storage_(storageLayout(cellsX, cellsY, cellsZ).total),
      nodeCount_((cellsX + 1) * (cellsY + 1) * (cellsZ + 1)),
      edgeCount_(3 * nodeCount_),
      cellCount_(cellsX * cellsY * cellsZ),
      cellsZ_(cellsZ),
      cellsY_(cellsY),
      cellsX_(cellsX),
      model_(&model),
      min_(model.bounds().min),
      max_(model.bounds().max) {
    if (!storage_) {
        nodeCount_ = edgeCount_ = cellCount_ = 0;
        return;
    }
    const StorageLayout layout = storageLayout(cellsX, cellsY, cellsZ);
    nodes_.placeAt(storage_.data() + layout.nodes);
    edges_.placeAt(storage_.data() + layout.edges);
    cellAttributes_.placeAt(storage_.data() + layout.cellAttributes);
    cells_.placeAt(storage_.data() + layout.cells);
    cellSize_ = {cellLength(min_.x, max_.x, cellsX), cellLength(min_.y, max_.y, cellsY),
                 cellLength(min_.z, max_.z, cellsZ)};
    constructObjects(options);
}

bool PotentialGrid::complete() const { return static_cast<bool>(storage_); }

// Samples the potential at the nodes on the worker threads while this thread constructs
// the nodes, edges and cells (whose links do not depend on the potentials).
void PotentialGrid::constructObjects(const BuildOptions& options) {
    // The additions along one axis do not depend on the other axes, so each axis is walked once.
    const std::vector<float> xs = axisCoordinates(min_.x, cellSize_.x, cellsX_);
    const std::vector<float> ys = axisCoordinates(min_.y, cellSize_.y, cellsY_);
    const std::vector<float> zs = axisCoordinates(min_.z, cellSize_.z, cellsZ_);
    positions_.resize(static_cast<std::size_t>(nodeCount_));
    for (int k = 0; k <= cellsZ_; ++k) {
        for (int j = 0; j <= cellsY_; ++j) {
            for (int i = 0; i <= cellsX_; ++i) positions_[nodeIndex(i, j, k)] = {xs[i], ys[j], zs[k]};
        }
    }
    nodePotentials_.resize(positions_.size());
    potentialsOf(*model_, positions_, nodePotentials_.data(), options, [&] {
        for (int n = 0; n < nodeCount_; ++n) {
            nodes_.construct();
            nodes_[n].position = positions_[n];
        }
        linkEdges();
        assembleCells();
    });
    nodeSamples_.resize(positions_.size());
    for (int n = 0; n < nodeCount_; ++n) {
        nodeSamples_[n] = static_cast<float>(nodePotentials_[n]);
        nodes_[n].sampleValue = nodeSamples_[n];
    }
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

int PotentialGrid::neighbour(int n, int axis) const {
    const int row = cellsX_ + 1;
    const int layer = row * (cellsY_ + 1);
    switch (axis) {
        case 0: return n % row < cellsX_ ? n + 1 : -1;
        case 1: return n / row % (cellsY_ + 1) < cellsY_ ? n + row : -1;
        default: return n / layer < cellsZ_ ? n + layer : -1;
    }
}

// Sets `crossed` on the edges whose ends' potentials have iso between them (an end equal
// to iso included) and clears it on the edges crossed in the previous pass. The threads
// test one layer of nodes each, on the plain copies of the potentials.
void PotentialGrid::markCrossedEdges(float iso, const BuildOptions& options) {
    for (int e : crossedEdges_) edges_[e].crossed = 0;
    const int stride[3] = {1, cellsX_ + 1, (cellsX_ + 1) * (cellsY_ + 1)};
    std::vector<std::vector<int>> crossedInLayer(static_cast<std::size_t>(cellsZ_ + 1));
    forEachChunk(options.threadCount(), cellsZ_ + 1, 1, [&](int k, int) {
        std::vector<int>& crossed = crossedInLayer[static_cast<std::size_t>(k)];
        for (int j = 0; j <= cellsY_; ++j) {
            for (int i = 0; i <= cellsX_; ++i) {
                const int n = nodeIndex(i, j, k);
                const bool hasNeighbour[3] = {i < cellsX_, j < cellsY_, k < cellsZ_};
                const double belowLower = static_cast<double>(iso) - nodeSamples_[n];
                for (int axis = 0; axis < 3; ++axis) {
                    if (!hasNeighbour[axis]) continue;
                    const double belowUpper = static_cast<double>(iso) - nodeSamples_[n + stride[axis]];
                    if (!(belowUpper * belowLower > 0.0)) crossed.push_back(3 * n + axis);
                }
            }
        }
    });
    crossedEdges_.clear();
    for (const std::vector<int>& crossed : crossedInLayer) crossedEdges_.insert(crossedEdges_.end(), crossed.begin(), crossed.end());
    for (int e : crossedEdges_) edges_[e].crossed = 1;
}

// Finds the crossing of every crossed edge and the field there, into crossings_.
void PotentialGrid::locateCrossings(float iso, bool flipNormals, const BuildOptions& options) {
    std::vector<Segment> segments(crossedEdges_.size());
    for (std::size_t k = 0; k < segments.size(); ++k) {
        const int lower = crossedEdges_[k] / 3;  // slot 3n + axis starts at node n
        const int upper = neighbour(lower, crossedEdges_[k] % 3);
        segments[k] = {positions_[lower], positions_[upper], true, nodePotentials_[lower], nodePotentials_[upper]};
    }
    std::vector<std::optional<Vector3>> found(segments.size());
    findCrossings(*model_, segments, iso, options, found.data());
    std::vector<Vector3> crossings(segments.size());
    for (std::size_t k = 0; k < segments.size(); ++k) {
        if (found[k]) {
            crossings[k] = *found[k];
        } else {
            // The search fails only where iso is within rounding of an end's potential: that end.
            const int lower = crossedEdges_[k] / 3;
            const int upper = neighbour(lower, crossedEdges_[k] % 3);
            const double toLower = std::abs(static_cast<double>(iso) - nodeSamples_[lower]);
            const double toUpper = std::abs(static_cast<double>(iso) - nodeSamples_[upper]);
            crossings[k] = toUpper < toLower ? positions_[upper] : positions_[lower];
        }
    }
    std::vector<Vector3> fields(crossings.size());
    fieldsOf(*model_, crossings, fields.data(), options);
    crossings_.resize(crossings.size());
    for (std::size_t k = 0; k < crossings.size(); ++k) {
        EdgeCrossing& edge = crossings_[k];
        edge.crossing = crossings[k];
        edge.normal = fields[k];
        edge.fieldStrength = static_cast<float>(normalize(edge.normal));
        if (flipNormals) scaleInPlace(edge.normal, -1.0f);
    }
}

// Polygonises, in cell order, every cell with a crossed edge and adds its group to
// `result`; `polygonised` ends up set on exactly those cells. The threads find the
// triangles of a few layers of cells at a time, one layer each, from the plain arrays,
// while this thread makes the groups of the layers before.
void PotentialGrid::polygoniseCells(float iso, const Vector3& color, const BuildOptions& options, Group& result) {
    for (int c : polygonisedCells_) cells_[c].polygonised = 0;
    polygonisedCells_.clear();
    if (options.reference) {
        polygoniseCellByCell(iso, color, result);
        return;
    }
    std::vector<std::uint8_t> crossed(static_cast<std::size_t>(edgeCount_));
    for (int e : crossedEdges_) crossed[e] = 1;
    // crossedEdges_ is in slot order, so a crossed slot's entry is found by bisection.
    const auto crossingOfSlot = [&](int slot) -> const EdgeCrossing& {
        const auto at = std::lower_bound(crossedEdges_.begin(), crossedEdges_.end(), slot);
        return crossings_[static_cast<std::size_t>(at - crossedEdges_.begin())];
    };
    const std::array<int, 12> edgeOffsets = cellEdgeOffsets();
    // Corner b of a cell, as in the configuration index, is the node (di, dj, dk) from its lowest one.
    constexpr int cornerNodes[8][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0},
                                       {1, 0, 1}, {1, 1, 1}, {0, 0, 1}, {0, 1, 1}};
    std::array<int, 8> cornerOffsets{};
    for (int bit = 0; bit < 8; ++bit) cornerOffsets[bit] = nodeIndex(cornerNodes[bit][0], cornerNodes[bit][1], cornerNodes[bit][2]);

    struct LayerTriangles {
        std::vector<int> cells;                 // the layer's cells with a crossed edge, in order
        std::vector<std::uint8_t> counts;       // the number of triangles of each
        std::vector<CellTriangle> triangles;    // theirs, cell after cell
    };
    const auto triangulate = [&](int k, LayerTriangles& layer) {
        layer = {};
        for (int j = 0; j < cellsY_; ++j) {
            for (int i = 0; i < cellsX_; ++i) {
                const int lowestNode = nodeIndex(i, j, k);
                const int lowestSlot = 3 * lowestNode;
                bool anyCrossed = false;
                for (int offset : edgeOffsets) anyCrossed = anyCrossed || crossed[lowestSlot + offset];
                if (!anyCrossed) continue;
                float corners[8];
                for (int bit = 0; bit < 8; ++bit) corners[bit] = nodeSamples_[lowestNode + cornerOffsets[bit]];
                // A triangle joins edges whose ends lie on both sides of iso, which are all crossed.
                const auto edgeAt = [&](int position) -> const EdgeCrossing& {
                    return crossingOfSlot(lowestSlot + edgeOffsets[position]);
                };
                CellTriangle triangles[maxRowTriangles];
                const int count = rowTriangles(configurationIndex(corners, iso), edgeAt, triangles);
                layer.cells.push_back(cellIndex(i, j, k));
                layer.counts.push_back(static_cast<std::uint8_t>(count));
                layer.triangles.insert(layer.triangles.end(), triangles, triangles + count);
            }
        }
    };
    const auto makeGroups = [&](const std::vector<LayerTriangles>& layers) {
        for (const LayerTriangles& layer : layers) {
            const CellTriangle* triangles = layer.triangles.data();
            for (std::size_t m = 0; m < layer.cells.size(); ++m) {
                addPolygonisedCell(layer.cells[m], cellGroup(triangles, layer.counts[m], color), result);
                triangles += layer.counts[m];
            }
        }
    };
    // A few layers a block keep the triangles waiting small. The crossings are copied into
    // the edges beside the first block: the triangles come from the plain arrays, so nothing
    // here waits for the copy.
    constexpr int layersAtATime = 5;
    std::vector<LayerTriangles> blocks[2];  // block k's in blocks[k % 2]
    consumeWhileProducingNext(
        options.threadCount(),
        [&](int k) {
            const int first = k * layersAtATime;
            if (first >= cellsZ_) return -1;
            blocks[k % 2].resize(static_cast<std::size_t>(std::min(layersAtATime, cellsZ_ - first)));
            return static_cast<int>(blocks[k % 2].size());
        },
        [&](int k, int layer) { triangulate(k * layersAtATime + layer, blocks[k % 2][static_cast<std::size_t>(layer)]); },
        [&](int k) { makeGroups(blocks[k % 2]); }, [&] { storeCrossings(); });
}

void PotentialGrid::polygoniseCellByCell(float iso, const Vector3& color, Group& result) {
    storeCrossings();
    for (int c = 0; c < cellCount_; ++c) {
        const GridEdge* const* edges = cells_[c].edges;
        if (std::none_of(edges, edges + 12, [](const GridEdge* edge) { return edge->crossed != 0; })) continue;
        addPolygonisedCell(c, cells_[c].polygonise(iso, color), result);
    }
}

void PotentialGrid::storeCrossings() {
    for (std::size_t k = 0; k < crossedEdges_.size(); ++k) {
        GridEdge& edge = edges_[crossedEdges_[k]];
        edge.crossing = crossings_[k].crossing;
        edge.normal = crossings_[k].normal;
        edge.fieldStrength = crossings_[k].fieldStrength;
    }
}

void PotentialGrid::addPolygonisedCell(int c, const Ref<Group>& group, Group& result) {
    cells_[c].polygonised = 1;
    polygonisedCells_.push_back(c);
    if (group) result.add(*group);
}

Ref<Group> PotentialGrid::surface(float iso, bool flipNormals, const BuildOptions& options) {
    Ref<Group> result = create<Group>(20, 20);
    if (!result) return {};
    const Vector3 color = surfaceColor(iso);
    markCrossedEdges(iso, options);
    locateCrossings(iso, flipNormals, options);
    polygoniseCells(iso, color, options, *result);
    return result;
}

bool PotentialGrid::print(std::FILE*) const { return false; }

void PotentialGrid::draw() const {
    // Cells are polygonised, and so listed, in index order.
    for (int c : polygonisedCells_) cells_[c].draw();
}

}  // namespace kelvaro
