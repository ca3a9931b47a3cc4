#pragma once
// The potential sampling grid of an equipotential surface: nodes with sampled potentials,
// edges that carry the iso crossings, cells that turn into triangles. The grid computes on
// plain arrays (the samples, and the crossings and cells of its last surface pass) and
// shows them as scene objects: nodes, edges and cells, each kind in one array of the grid's
// storage, constructed in place with one reference the first time they are asked for (the
// surface's own work never asks) and ended with the grid, never released one by one. No
// grid class has a text form.

#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/vector3.h"
#include "model/model.h"
#include "scene/attribute_set.h"
#include "scene/group.h"
#include "scene/primitives.h"
#include "viz/grid_storage.h"
#include "viz/worker_threads.h"

namespace kelvaro {

// A sample point of the grid; sampleValue holds the potential there (single precision).
// Grid nodes and edges carry no attribute set (see GridObjects).
class GridNode : public Point {
public:
    GridNode() = default;
    ~GridNode() override = default;

private:
    using Point::setAttributes;
    using Point::setColor;
};

// What a grid edge holds besides its AttributedObject (all of it: see GridObjects).
struct GridEdgeFields {
    GridNode* lower = nullptr;  // the end with the smaller coordinate along the edge's axis
    GridNode* upper = nullptr;
    std::uint8_t exists = 0;   // 0 for the slots past the far faces of the grid
    std::uint8_t crossed = 0;  // the iso value lies between the ends' potentials
    Vector3 crossing;          // where the potential equals the iso value
    Vector3 normal;            // unit field direction at the crossing, reversed for "Enter"
    float fieldStrength = 0.0f;
};

class GridEdge : public AttributedObject, public GridEdgeFields {
public:
    // A slot past the far faces of the grid.
    GridEdge() : AttributedObject(GridEdgeType) {}
    // A real edge between two nodes.
    GridEdge(GridNode* lowerEnd, GridNode* upperEnd) : AttributedObject(GridEdgeType) {
        lower = lowerEnd;
        upper = upperEnd;
        exists = 1;
    }
    ~GridEdge() override = default;

    // Writes nothing and answers false.
    bool print(std::FILE* stream) const override;
    // glBegin(GL_LINES), the attribute set if any, the two end positions, glEnd().
    void draw() const override;

private:
    using AttributedObject::setAttributes;
    using AttributedObject::setColor;
};

// One triangle of a cell's surface: the crossings of its three edges and their normals.
struct CellTriangle {
    Vector3 corners[3];
    Vector3 normals[3];
};

// Edge positions of a cell: the cell-local start node (di, dj, dk) and axis of each.
//   0 (0,0,0) x   1 (1,0,0) z   2 (0,0,1) x    3 (0,0,0) z
//   4 (0,0,0) y   5 (1,0,0) y   6 (1,0,1) y    7 (0,0,1) y
//   8 (0,1,0) x   9 (1,1,0) z  10 (0,1,1) x   11 (0,1,0) z
// What a grid cell holds besides its AttributedObject (all of it: see GridObjects).
struct GridCellFields {
    GridEdge* edges[12] = {};
    std::uint8_t polygonised = 0;
};

class GridCell : public AttributedObject, public GridCellFields {
public:
    // A cell drawn with `ownSet`, its own attribute set in the grid's array (which the
    // cell retains; its set cannot be replaced).
    explicit GridCell(AttributeSet& ownSet) : AttributedObject(GridCellType) {
        AttributedObject::setAttributes(Ref<AttributeSet>::share(&ownSet));
    }
    ~GridCell() override = default;

    // Writes nothing and answers false.
    bool print(std::FILE* stream) const override;
    // The attribute set, then the edges at positions 0, 3 and 4 (those at the lowest corner).
    void draw() const override;

    // The marching-cubes step: a new Group (one reference, the caller's) under a lit,
    // translucent material of `color` holding one Triangle per entry of the table row of
    // this cell's corners (a corner counts as above when its potential is greater than
    // `iso`), with the crossings of the row's edges as corners and their normals as vertex
    // normals. A triangle with a corner or normal that is not finite is left out. Empty Ref
    // when the group, its attribute set or a triangle cannot be created. The surface pass's
    // reference path polygonises each cell through it.
    Ref<Group> polygonise(float iso, const Vector3& color) const;

private:
    using AttributedObject::setAttributes;
    using AttributedObject::setColor;
};

// A cell's own attribute set, made in place in the grid's array of them: the array holds
// its creation reference and the cell a second one.
class GridCellAttributes final : public AttributeSet {
public:
    using AttributeSet::AttributeSet;
    ~GridCellAttributes() override = default;
};

// Compile-time checks that GridObjects may end its objects' lives without their destructors:
// each grid class is its scene base followed by plain fields, and each scene class beneath
// holds only the members listed here; a member added anywhere on the way fails the build.
namespace grid_layout {

// True when `Object` is laid out as `Base` followed by `Fields` and nothing more, and
// `Fields` needs no destructor: a member added to `Object` outside `Fields` changes its size.
template <class Object, class Base, class Fields>
consteval bool isBaseAndPlainFields() {
    struct Layout : Base, Fields {};
    return std::is_trivially_destructible_v<Fields> && sizeof(Object) == sizeof(Layout);
}

struct NoFields {};
struct Polymorphic {
    virtual ~Polymorphic() = default;
};
// The members of the scene classes beneath the grid's.
struct SceneObjectFields {
    std::int32_t typeCode, refCount;
};
struct AttributedObjectFields {
    AttributeSet* attributes;  // never set on nodes and edges; a cell's is its own in the grid
};
struct PointFields {
    Vector3 position;
    float sampleValue;
};
struct AttributeSetFields {
    std::uint32_t flags;
    Vector3 color;
    float ambient, diffuse, specular, shininess, alpha;
};

inline constexpr bool sceneBasesOwnNothingElse =
    isBaseAndPlainFields<SceneObject, Polymorphic, SceneObjectFields>() &&
    isBaseAndPlainFields<AttributedObject, SceneObject, AttributedObjectFields>() &&
    isBaseAndPlainFields<Point, AttributedObject, PointFields>() &&
    isBaseAndPlainFields<AttributeSet, SceneObject, AttributeSetFields>();

// Whether GridObjects may end the lives of T objects without running ~T.
template <class T>
inline constexpr bool freedWithoutDestructor = false;
template <>
inline constexpr bool freedWithoutDestructor<GridNode> = isBaseAndPlainFields<GridNode, Point, NoFields>();
template <>
inline constexpr bool freedWithoutDestructor<GridEdge> = isBaseAndPlainFields<GridEdge, AttributedObject, GridEdgeFields>();
template <>
inline constexpr bool freedWithoutDestructor<GridCell> = isBaseAndPlainFields<GridCell, AttributedObject, GridCellFields>();
template <>
inline constexpr bool freedWithoutDestructor<GridCellAttributes> =
    isBaseAndPlainFields<GridCellAttributes, AttributeSet, NoFields>();

}  // namespace grid_layout

// The objects of one kind of a grid: constructed in place in the grid's storage, each at
// its index and with its one reference, and ended with the grid (never released one by
// one). Grid objects hold nothing outside the grid: nodes and edges carry no attribute set
// and a cell only its own set in the grid's storage. Their destructors would therefore free
// nothing, and the grid ends their lives without running them (which would only walk the
// grid's 28 MB once more). That holds only while no grid class, nor a scene class beneath
// them, gains a member that owns something: grid_layout checks it at compile time.
template <class T>
class GridObjects {
    static_assert(grid_layout::sceneBasesOwnNothingElse && grid_layout::freedWithoutDestructor<T>,
                  "a grid object would own something that freeing the grid without destructors leaks; "
                  "keep grid classes to plain fields, or run their destructors");

public:
    // The bytes `count` objects take.
    static std::size_t bytesFor(int count) { return sizeof(T) * static_cast<std::size_t>(count); }
    // The objects go to `storage`, aligned for T, with room for every index.
    void placeAt(std::byte* storage) { objects_ = reinterpret_cast<T*>(storage); }
    // Constructs the object of `index` in place.
    template <class... Arguments>
    void constructAt(int index, Arguments&&... arguments) const {
        new (objects_ + index) T(std::forward<Arguments>(arguments)...);
    }
    T& operator[](int index) const { return objects_[index]; }

private:
    T* objects_ = nullptr;
};

// Which objects of one kind a grid has constructed, one bit an index.
class MadeObjects {
public:
    void resize(int count) { bits_.assign((static_cast<std::size_t>(count) + 63) / 64, 0); }
    bool has(int index) const { return (bits_[static_cast<std::size_t>(index) / 64] >> (index % 64)) & 1u; }
    void add(int index) { bits_[static_cast<std::size_t>(index) / 64] |= std::uint64_t{1} << (index % 64); }

private:
    std::vector<std::uint64_t> bits_;
};

class PotentialGrid : public AttributedObject {
public:
    // Builds cellsX x cellsY x cellsZ cells over the model's bounds and samples the
    // potential at every node (computed as `options` say). The grid keeps a pointer to
    // `model`, which must outlive it. When memory for the grid's storage runs out the grid
    // is left without nodes (see complete()).
    PotentialGrid(const Model& model, int cellsX, int cellsY, int cellsZ, const BuildOptions& options = {});

    // False when the grid's storage could not be reserved; such a grid has no nodes, edges or cells.
    bool complete() const;

    // Finds every edge crossed by `iso` (an end's potential equal to it included), locates
    // its crossing and the normal there (reversed when `flipNormals`), and polygonises every
    // cell with a crossed edge in the surface colour, in cell order. Answers a new Group (one
    // reference, the caller's) of the cells' groups, empty when `iso` lies outside the
    // sampled potentials; an empty Ref when it cannot be created. Raises std::bad_alloc when
    // memory for the other objects or the work runs out. The fast path works on the plain
    // arrays alone, layer by layer on the threads, and touches no grid object; the reference
    // path polygonises each cell through its objects.
    Ref<Group> surface(float iso, bool flipNormals, const BuildOptions& options = {});

    // The surface colour for `iso`: a red deepening towards the model's extreme potential
    // for iso >= 0, a green for iso < 0; mid grey when both extremes are 0.
    Vector3 surfaceColor(float iso) const;

    // Writes nothing and answers false.
    bool print(std::FILE* stream) const override;
    // Draws every cell polygonised by the last surface pass in index order.
    void draw() const override;

    int nodeIndex(int i, int j, int k) const { return i + (cellsX_ + 1) * (j + (cellsY_ + 1) * k); }
    int cellIndex(int i, int j, int k) const { return i + cellsX_ * (j + cellsY_ * k); }

    int nodeCount() const { return nodeCount_; }
    int edgeCount() const { return edgeCount_; }
    int cellCount() const { return cellCount_; }
    int cellsX() const { return cellsX_; }
    int cellsY() const { return cellsY_; }
    int cellsZ() const { return cellsZ_; }
    const Vector3& cellSize() const { return cellSize_; }
    // The grid's objects, as the samples and the last surface pass make them: a node's
    // position and sampled potential; an edge's ends (its nodes), whether the last pass
    // crossed it and where (an edge crossed before keeps its crossing, its flag cleared); a
    // cell's edges and own palette attribute set, and whether the last pass polygonised it.
    // Each is constructed the first time it (or a cell or edge holding it) is asked for, and
    // kept up to date from then on. Not for several threads at once.
    GridNode& node(int index) const;
    GridEdge& edge(int index) const;
    GridCell& cell(int index) const;

protected:
    ~PotentialGrid() override = default;

private:
    struct EdgeCrossing {
        Vector3 crossing;
        Vector3 normal;
        float fieldStrength;
    };
    // The crossed edges whose lower node lies in one layer of nodes (fixed k), with how each
    // node of the layer lies against the level, for the cells on either side.
    struct LayerCrossings {
        std::vector<int> slots;              // edge slots 3n + axis, increasing
        std::vector<int> rowStarts;          // where the slots of each row of nodes start, and the end
        std::vector<EdgeCrossing> crossings;  // of the slots, in their order
        std::vector<std::uint8_t> sides;     // each node's side of the level, in index order
        std::vector<std::uint8_t> rowSides;  // a row's side when all its nodes share it, else mixed
    };
    // The triangles of the cells with a crossed edge in one layer of cells.
    struct LayerTriangles;

    Vector3 position(int n) const;
    // Samples the potential at every node into the storage.
    void sample(const BuildOptions& options);
    // The node one step along `axis` (0 x, 1 y, 2 z) from node n, or -1 past the far face.
    int neighbour(int n, int axis) const;
    // The offset of each of a cell's 12 edge slots from slot 3n of its lowest node n.
    std::array<int, 12> cellEdgeOffsets() const;
    // The node sides of layer k, and of each of its rows.
    void classifyLayer(int k, float iso, LayerCrossings& layer) const;
    // The crossed edges of layer k and where they cross, the numbers computed as `evaluation` says.
    void locateLayerCrossings(int k, float iso, bool flipNormals, const BuildOptions& evaluation,
                              LayerCrossings& layer) const;
    // The crossing of an edge slot in the last pass; null when it did not cross the slot.
    const EdgeCrossing* crossingIn(int slot) const;
    // The cells of layer k with a crossed edge, and their triangles.
    void triangulateLayer(int k, LayerTriangles& out) const;
    // The fast path: the crossings and triangles layer by layer on the threads.
    void polygoniseInParallel(float iso, bool flipNormals, const Vector3& color, const BuildOptions& options,
                              Group& result);
    // The plain path: the crossings layer by layer, then each cell polygonised in turn from
    // the crossings stored in its edges.
    void polygoniseCellByCell(float iso, bool flipNormals, const Vector3& color, Group& result);
    // Clears the flags that the last pass set on constructed edges and cells.
    void clearPassFlags();
    // Stores the last pass's crossings and flags in the constructed edges.
    void storeCrossingsInEdges();
    // Marks `edge` crossed at `crossing`.
    static void storeCrossing(const EdgeCrossing& crossing, GridEdge& edge);
    // Records cell c as polygonised and adds its group to `result`; raises std::bad_alloc
    // when the group could not be made.
    void addPolygonisedCell(int c, const Ref<Group>& group, Group& result);

    GridStorage storage_;  // the samples and the object arrays below, one after the other
    GridObjects<GridNode> nodes_;
    int nodeCount_;
    GridObjects<GridEdge> edges_;
    int edgeCount_;
    GridObjects<GridCellAttributes> cellAttributes_;
    GridObjects<GridCell> cells_;
    int cellCount_;
    int cellsZ_;
    int cellsY_;
    int cellsX_;
    Vector3 cellSize_;
    const Model* model_;
    Vector3 min_;
    Vector3 max_;
    // The node coordinates along each axis.
    std::vector<float> xs_, ys_, zs_;
    // potentialAt at every node in double and in single precision (sampleValue), in the storage.
    double* nodePotentials_ = nullptr;
    float* nodeSamples_ = nullptr;
    // The last surface pass: its crossed edges by layer of nodes, and the cells it
    // polygonised, increasing. Every other edge and cell has its flag clear.
    std::vector<LayerCrossings> crossed_;
    std::vector<int> polygonisedCells_;
    // The objects constructed so far.
    mutable MadeObjects madeNodes_, madeEdges_, madeCells_;
    mutable bool anyMade_ = false;
};

}  // namespace kelvaro
