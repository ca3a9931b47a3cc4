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
#include "viz/scene_arena.h"

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
// the bytes of the storage: the samples first, which every surface writes, then the
// objects, which only those that ask for them touch.
struct StorageLayout {
    std::size_t potentials, samples, nodes, edges, cellAttributes, cells, total;
};

StorageLayout storageLayout(int cellsX, int cellsY, int cellsZ) {
    const int nodes = (cellsX + 1) * (cellsY + 1) * (cellsZ + 1);
    const int cells = cellsX * cellsY * cellsZ;
    const auto after = [](std::size_t start, std::size_t bytes) { return (start + bytes + 63) / 64 * 64; };
    StorageLayout layout{};
    layout.samples = after(layout.potentials, sizeof(double) * static_cast<std::size_t>(nodes));
    layout.nodes = after(layout.samples, sizeof(float) * static_cast<std::size_t>(nodes));
    layout.edges = after(layout.nodes, GridObjects<GridNode>::bytesFor(nodes));
    layout.cellAttributes = after(layout.edges, GridObjects<GridEdge>::bytesFor(3 * nodes));
    layout.cells = after(layout.cellAttributes, GridObjects<GridCellAttributes>::bytesFor(cells));
    layout.total = after(layout.cells, GridObjects<GridCell>::bytesFor(cells));
    return layout;
}

// The first block of a surface's arena; the blocks grow with the surface.
constexpr std::size_t firstArenaBlock = std::size_t{64} << 10;

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

// Models with overflowed numbers put grid nodes at infinity, and a field that vanishes or
// overflows at a crossing gives no normal: GL cannot draw such a corner.
bool isFinite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Where a node lies against the level: its potential above, below, or neither (0: equal to
// the level, or not a number). Edges between nodes settled on one side are not crossed.
constexpr std::uint8_t aboveLevel = 1;
constexpr std::uint8_t belowLevel = 2;
// A row of nodes not all on one side.
constexpr std::uint8_t mixedRow = 0xFF;

// The side of a node of potential `sample`, as the crossing test of an edge needs it: the
// ends' differences from the level, iso - sample in double precision, multiply to a
// positive number exactly when both are settled on one side. (A difference has the sign of
// the comparison, and is 0 only for equal numbers, not a number when either is one.)
std::uint8_t sideOf(float sample, float iso) {
    return static_cast<std::uint8_t>((sample > iso ? aboveLevel : 0) | (sample < iso ? belowLevel : 0));
}

bool settled(std::uint8_t side) { return side == aboveLevel || side == belowLevel; }

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
// `color`, holding the triangles, all made in `arena` (from the heap without one); an empty
// Ref when the group, its set or a triangle cannot be made.
Ref<Group> cellGroup(const CellTriangle* triangles, int count, const Vector3& color, SceneArena* arena = nullptr) {
    Ref<Group> group = arena != nullptr ? arena->make<Group>(20, 20) : create<Group>(20, 20);
    Ref<AttributeSet> material = arena != nullptr ? arena->make<AttributeSet>(color) : create<AttributeSet>(color);
    if (!group || !material) return {};
    material->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    material->setAlpha(0.6f);
    group->setAttributes(std::move(material));
    for (int t = 0; t < count; ++t) {
        const CellTriangle& corners = triangles[t];
        const Vector3* c = corners.corners;
        const Ref<Triangle> triangle =
            arena != nullptr ? arena->make<Triangle>(c[0], c[1], c[2]) : create<Triangle>(c[0], c[1], c[2]);
        if (!triangle) return {};
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
    nodePotentials_ = reinterpret_cast<double*>(storage_.data() + layout.potentials);
    nodeSamples_ = reinterpret_cast<float*>(storage_.data() + layout.samples);
    nodes_.placeAt(storage_.data() + layout.nodes);
    edges_.placeAt(storage_.data() + layout.edges);
    cellAttributes_.placeAt(storage_.data() + layout.cellAttributes);
    cells_.placeAt(storage_.data() + layout.cells);
    madeNodes_.resize(nodeCount_);
    madeEdges_.resize(edgeCount_);
    madeCells_.resize(cellCount_);
    cellSize_ = {cellLength(min_.x, max_.x, cellsX), cellLength(min_.y, max_.y, cellsY),
                 cellLength(min_.z, max_.z, cellsZ)};
    // The additions along one axis do not depend on the other axes, so each axis is walked once.
    xs_ = axisCoordinates(min_.x, cellSize_.x, cellsX_);
    ys_ = axisCoordinates(min_.y, cellSize_.y, cellsY_);
    zs_ = axisCoordinates(min_.z, cellSize_.z, cellsZ_);
    sample(options);
}

bool PotentialGrid::complete() const { return static_cast<bool>(storage_); }

Vector3 PotentialGrid::position(int n) const {
    const int row = cellsX_ + 1;
    const int layer = row * (cellsY_ + 1);
    return {xs_[n % row], ys_[n / row % (cellsY_ + 1)], zs_[n / layer]};
}

// The potential at every node, a layer of nodes a task: the points of a layer are made
// where the task runs, so no array of every node's position is needed.
void PotentialGrid::sample(const BuildOptions& options) {
    const int layerNodes = (cellsX_ + 1) * (cellsY_ + 1);
    const BuildOptions onThisThread{1, options.reference};
    const auto sampleLayers = [&](int begin, int end) {
        std::vector<Vector3> points(static_cast<std::size_t>(layerNodes));
        for (int k = begin; k < end; ++k) {
            Vector3* point = points.data();
            for (int j = 0; j <= cellsY_; ++j) {
                for (int i = 0; i <= cellsX_; ++i) *point++ = {xs_[i], ys_[j], zs_[k]};
            }
            double* potentials = nodePotentials_ + k * layerNodes;
            float* samples = nodeSamples_ + k * layerNodes;
            potentialsOf(*model_, points, potentials, onThisThread);
            for (int n = 0; n < layerNodes; ++n) samples[n] = static_cast<float>(potentials[n]);
        }
    };
    if (options.reference) {
        sampleLayers(0, cellsZ_ + 1);
    } else {
        forEachChunk(options.threadCount(), cellsZ_ + 1, 1, sampleLayers);
    }
}

void PotentialGrid::storeCrossing(const EdgeCrossing& crossing, GridEdge& edge) {
    edge.crossed = 1;
    edge.crossing = crossing.crossing;
    edge.normal = crossing.normal;
    edge.fieldStrength = crossing.fieldStrength;
}

GridNode& PotentialGrid::node(int index) const {
    GridNode& made = nodes_[index];
    if (!madeNodes_.has(index)) {
        nodes_.constructAt(index);
        made.position = position(index);
        made.sampleValue = nodeSamples_[index];
        madeNodes_.add(index);
        anyMade_ = true;
    }
    return made;
}

GridEdge& PotentialGrid::edge(int index) const {
    GridEdge& made = edges_[index];
    if (!madeEdges_.has(index)) {
        const int lower = index / 3;
        const int upper = neighbour(lower, index % 3);
        if (upper >= 0) {
            edges_.constructAt(index, &node(lower), &node(upper));
        } else {
            edges_.constructAt(index);
        }
        if (const EdgeCrossing* crossing = crossingIn(index)) storeCrossing(*crossing, made);
        madeEdges_.add(index);
        anyMade_ = true;
    }
    return made;
}

GridCell& PotentialGrid::cell(int index) const {
    GridCell& made = cells_[index];
    if (!madeCells_.has(index)) {
        cellAttributes_.constructAt(index, paletteIndexOfCell(index));
        cells_.constructAt(index, cellAttributes_[index]);
        const int i = index % cellsX_;
        const int j = index / cellsX_ % cellsY_;
        const int k = index / (cellsX_ * cellsY_);
        const int lowest = 3 * nodeIndex(i, j, k);
        const std::array<int, 12> offsets = cellEdgeOffsets();
        for (int position = 0; position < 12; ++position) made.edges[position] = &edge(lowest + offsets[position]);
        made.polygonised = std::binary_search(polygonisedCells_.begin(), polygonisedCells_.end(), index) ? 1 : 0;
        madeCells_.add(index);
        anyMade_ = true;
    }
    return made;
}

std::array<int, 12> PotentialGrid::cellEdgeOffsets() const {
    std::array<int, 12> offsets{};
    for (int position = 0; position < 12; ++position) {
        const CellEdge& e = cellEdges[position];
        offsets[position] = 3 * nodeIndex(e.di, e.dj, e.dk) + e.axis;
    }
    return offsets;
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

void PotentialGrid::classifyLayer(int k, float iso, LayerCrossings& layer) const {
    const int row = cellsX_ + 1;
    const std::size_t rowNodes = static_cast<std::size_t>(row);
    const float* samples = nodeSamples_ + k * row * (cellsY_ + 1);
    layer.sides.resize(rowNodes * static_cast<std::size_t>(cellsY_ + 1));
    layer.rowSides.resize(static_cast<std::size_t>(cellsY_ + 1));
    std::uint8_t* sides = layer.sides.data();
    for (std::size_t n = 0; n < layer.sides.size(); ++n) sides[n] = sideOf(samples[n], iso);
    for (std::size_t j = 0; j < layer.rowSides.size(); ++j) {
        const std::uint8_t* rowSides = sides + j * rowNodes;
        std::uint8_t differs = 0;
        for (std::size_t i = 1; i < rowNodes; ++i) differs |= rowSides[i] ^ rowSides[0];
        layer.rowSides[j] = differs == 0 ? rowSides[0] : mixedRow;
    }
}

// An edge is crossed where its ends' potentials have iso between them, an end equal to iso
// included: its ends are not settled on one side. The rows whose nodes are all settled on
// one side, with the rows they link to, have no crossed edge and are passed over.
void PotentialGrid::locateLayerCrossings(int k, float iso, bool flipNormals, const BuildOptions& evaluation,
                                         LayerCrossings& layer) const {
    classifyLayer(k, iso, layer);
    LayerCrossings above;
    if (k < cellsZ_) classifyLayer(k + 1, iso, above);
    const int row = cellsX_ + 1;
    const int firstNode = k * row * (cellsY_ + 1);
    const auto crossed = [](std::uint8_t a, std::uint8_t b) { return !(a == b && settled(a)); };
    layer.slots.clear();
    layer.rowStarts.resize(static_cast<std::size_t>(cellsY_) + 2);
    for (int j = 0; j <= cellsY_; ++j) {
        layer.rowStarts[static_cast<std::size_t>(j)] = static_cast<int>(layer.slots.size());
        const std::size_t at = static_cast<std::size_t>(j) * static_cast<std::size_t>(row);
        const std::uint8_t side = layer.rowSides[static_cast<std::size_t>(j)];
        const bool alongX = !settled(side);
        const bool alongY = j < cellsY_ && crossed(side, layer.rowSides[static_cast<std::size_t>(j) + 1]);
        const bool alongZ = k < cellsZ_ && crossed(side, above.rowSides[static_cast<std::size_t>(j)]);
        if (!alongX && !alongY && !alongZ) continue;
        for (int i = 0; i < row; ++i) {
            const std::uint8_t here = layer.sides[at + i];
            const int slot = 3 * (firstNode + j * row + i);
            if (alongX && i < cellsX_ && crossed(here, layer.sides[at + i + 1])) layer.slots.push_back(slot);
            if (alongY && crossed(here, layer.sides[at + row + i])) layer.slots.push_back(slot + 1);
            if (alongZ && crossed(here, above.sides[at + i])) layer.slots.push_back(slot + 2);
        }
    }
    layer.rowStarts.back() = static_cast<int>(layer.slots.size());
    std::vector<Segment> segments(layer.slots.size());
    for (std::size_t e = 0; e < segments.size(); ++e) {
        const int lower = layer.slots[e] / 3;  // slot 3n + axis starts at node n
        const int upper = neighbour(lower, layer.slots[e] % 3);
        segments[e] = {position(lower), position(upper), true, nodePotentials_[lower], nodePotentials_[upper]};
    }
    std::vector<std::optional<Vector3>> found(segments.size());
    findCrossings(*model_, segments, iso, evaluation, found.data());
    std::vector<Vector3> crossings(segments.size());
    for (std::size_t e = 0; e < segments.size(); ++e) {
        if (found[e]) {
            crossings[e] = *found[e];
        } else {
            // The search fails only where iso is within rounding of an end's potential: that end.
            const int lower = layer.slots[e] / 3;
            const int upper = neighbour(lower, layer.slots[e] % 3);
            const double toLower = std::abs(static_cast<double>(iso) - nodeSamples_[lower]);
            const double toUpper = std::abs(static_cast<double>(iso) - nodeSamples_[upper]);
            crossings[e] = toUpper < toLower ? segments[e].b : segments[e].a;
        }
    }
    std::vector<Vector3> fields(crossings.size());
    fieldsOf(*model_, crossings, fields.data(), evaluation);
    layer.crossings.resize(crossings.size());
    for (std::size_t e = 0; e < crossings.size(); ++e) {
        EdgeCrossing& edge = layer.crossings[e];
        edge.crossing = crossings[e];
        edge.normal = fields[e];
        edge.fieldStrength = static_cast<float>(normalize(edge.normal));
        if (flipNormals) scaleInPlace(edge.normal, -1.0f);
    }
}

const PotentialGrid::EdgeCrossing* PotentialGrid::crossingIn(int slot) const {
    if (crossed_.empty()) return nullptr;  // no pass yet
    const int row = cellsX_ + 1;
    const int layerNodes = row * (cellsY_ + 1);
    const LayerCrossings& layer = crossed_[static_cast<std::size_t>(slot / 3 / layerNodes)];
    if (layer.rowStarts.empty()) return nullptr;  // a pass that ran out of memory before this layer
    const std::size_t j = static_cast<std::size_t>(slot / 3 % layerNodes / row);
    const auto first = layer.slots.begin() + layer.rowStarts[j], last = layer.slots.begin() + layer.rowStarts[j + 1];
    const auto at = std::lower_bound(first, last, slot);
    if (at == last || *at != slot) return nullptr;
    return &layer.crossings[static_cast<std::size_t>(at - layer.slots.begin())];
}

struct PotentialGrid::LayerTriangles {
    std::vector<int> cells;               // the layer's cells with a crossed edge, in order
    std::vector<std::uint8_t> counts;     // the number of triangles of each
    std::vector<CellTriangle> triangles;  // theirs, cell after cell
};

// The cells of layer k (between node layers k and k + 1) with a crossed edge, and their
// triangles, from the crossings of both node layers. A cell has a crossed edge unless its
// eight corners are all settled on one side; whole rows of such cells are passed over.
void PotentialGrid::triangulateLayer(int k, LayerTriangles& out) const {
    out = {};
    const LayerCrossings& lower = crossed_[static_cast<std::size_t>(k)];
    const LayerCrossings& upper = crossed_[static_cast<std::size_t>(k) + 1];
    const std::array<int, 12> edgeOffsets = cellEdgeOffsets();
    const std::size_t row = static_cast<std::size_t>(cellsX_) + 1;
    // The sides of the four nodes (i, j + dj, k + dk) of column i of a row of cells, two
    // bits each: dj = 0, dk = 0 lowest, then (1, 0), (0, 1) and (1, 1).
    std::vector<std::uint8_t> columns(row);
    constexpr std::uint8_t allAbove = aboveLevel * 0x55;
    constexpr std::uint8_t allBelow = belowLevel * 0x55;
    for (int j = 0; j < cellsY_; ++j) {
        const std::size_t at = static_cast<std::size_t>(j);
        const std::uint8_t side = lower.rowSides[at];
        if (settled(side) && lower.rowSides[at + 1] == side && upper.rowSides[at] == side && upper.rowSides[at + 1] == side)
            continue;
        for (std::size_t i = 0; i < row; ++i) {
            const std::size_t n = at * row + i;
            columns[i] = static_cast<std::uint8_t>(lower.sides[n] | lower.sides[n + row] << 2 | upper.sides[n] << 4 |
                                                   upper.sides[n + row] << 6);
        }
        for (int i = 0; i < cellsX_; ++i) {
            const unsigned near = columns[static_cast<std::size_t>(i)], far = columns[static_cast<std::size_t>(i) + 1];
            if (near == far && (near == allAbove || near == allBelow)) continue;
            // Corner b of the configuration index is the node (di, dj, dk) from the cell's lowest:
            // (0,0,0) (0,1,0) (1,0,0) (1,1,0) (1,0,1) (1,1,1) (0,0,1) (0,1,1).
            const unsigned corners[8] = {near, near >> 2, far, far >> 2, far >> 4, far >> 6, near >> 4, near >> 6};
            unsigned index = 0;
            for (unsigned bit = 0; bit < 8; ++bit) {
                if ((corners[bit] & 3u) == aboveLevel) index |= 1u << bit;
            }
            const int lowestSlot = 3 * nodeIndex(i, j, k);
            // A triangle joins edges whose ends lie on both sides of iso, which are all crossed.
            const auto edgeAt = [&](int position) -> const EdgeCrossing& {
                return *crossingIn(lowestSlot + edgeOffsets[position]);
            };
            CellTriangle triangles[maxRowTriangles];
            const int count = rowTriangles(index, edgeAt, triangles);
            out.cells.push_back(cellIndex(i, j, k));
            out.counts.push_back(static_cast<std::uint8_t>(count));
            out.triangles.insert(out.triangles.end(), triangles, triangles + count);
        }
    }
}

// One parallel step: the tasks locate the crossings of every layer of nodes, then
// triangulate every layer of cells, each once both its layers of nodes have been located;
// this thread makes the groups of the layers of cells in order as they come.
void PotentialGrid::polygoniseInParallel(float iso, bool flipNormals, const Vector3& color,
                                         const BuildOptions& options, Group& result) {
    const int nodeLayers = cellsZ_ + 1;
    std::vector<LayerTriangles> triangles(static_cast<std::size_t>(cellsZ_));
    const BuildOptions onThisThread{1, false};
    SceneArena arena(firstArenaBlock);
    produceAndConsumeInOrder(
        options.threadCount(), nodeLayers + cellsZ_,
        [&](int task) { return task < nodeLayers ? 0 : task - nodeLayers + 2; },
        [&](int task) {
            if (task < nodeLayers) {
                locateLayerCrossings(task, iso, flipNormals, onThisThread, crossed_[static_cast<std::size_t>(task)]);
            } else {
                triangulateLayer(task - nodeLayers, triangles[static_cast<std::size_t>(task - nodeLayers)]);
            }
        },
        [&](int task) {
            if (task < nodeLayers) return true;
            LayerTriangles& layer = triangles[static_cast<std::size_t>(task - nodeLayers)];
            const CellTriangle* made = layer.triangles.data();
            for (std::size_t m = 0; m < layer.cells.size(); ++m) {
                addPolygonisedCell(layer.cells[m], cellGroup(made, layer.counts[m], color, &arena), result);
                made += layer.counts[m];
            }
            layer = {};
            return true;
        });
}

void PotentialGrid::polygoniseCellByCell(float iso, bool flipNormals, const Vector3& color, Group& result) {
    for (int k = 0; k <= cellsZ_; ++k)
        locateLayerCrossings(k, iso, flipNormals, BuildOptions::referencePath(), crossed_[static_cast<std::size_t>(k)]);
    storeCrossingsInEdges();
    for (int c = 0; c < cellCount_; ++c) {
        const GridCell& made = cell(c);
        if (std::none_of(made.edges, made.edges + 12, [](const GridEdge* e) { return e->crossed != 0; })) continue;
        addPolygonisedCell(c, made.polygonise(iso, color), result);
    }
}

void PotentialGrid::clearPassFlags() {
    if (!anyMade_) return;
    for (const LayerCrossings& layer : crossed_) {
        for (int e : layer.slots) {
            if (madeEdges_.has(e)) edges_[e].crossed = 0;
        }
    }
    for (int c : polygonisedCells_) {
        if (madeCells_.has(c)) cells_[c].polygonised = 0;
    }
}

void PotentialGrid::storeCrossingsInEdges() {
    if (!anyMade_) return;
    for (const LayerCrossings& layer : crossed_) {
        for (std::size_t m = 0; m < layer.slots.size(); ++m) {
            if (madeEdges_.has(layer.slots[m])) storeCrossing(layer.crossings[m], edges_[layer.slots[m]]);
        }
    }
}

void PotentialGrid::addPolygonisedCell(int c, const Ref<Group>& group, Group& result) {
    if (!group) throw std::bad_alloc();  // a surface is made whole or not at all
    polygonisedCells_.push_back(c);
    if (madeCells_.has(c)) cells_[c].polygonised = 1;
    result.add(*group);
}

Ref<Group> PotentialGrid::surface(float iso, bool flipNormals, const BuildOptions& options) {
    Ref<Group> result = create<Group>(20, 20);
    if (!result) return {};
    const Vector3 color = surfaceColor(iso);
    clearPassFlags();
    crossed_.assign(static_cast<std::size_t>(cellsZ_) + 1, {});
    polygonisedCells_.clear();
    if (options.reference) {
        polygoniseCellByCell(iso, flipNormals, color, *result);
    } else {
        polygoniseInParallel(iso, flipNormals, color, options, *result);
        storeCrossingsInEdges();
    }
    return result;
}

bool PotentialGrid::print(std::FILE*) const { return false; }

void PotentialGrid::draw() const {
    // Cells are polygonised, and so listed, in index order.
    for (int c : polygonisedCells_) cell(c).draw();
}

}  // namespace kelvaro
