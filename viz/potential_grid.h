#pragma once
// The potential sampling grid of an equipotential surface: nodes with sampled potentials,
// edges that carry the iso crossings, cells that turn into triangles. Each kind lives in
// one array in the grid's storage; its objects are constructed in place with one reference
// and end with the grid, never released one by one. No grid class has a text form.

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
    // when the group or its attribute set cannot be created. The surface pass's reference
    // path polygonises each cell through it.
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

// The objects of one kind of a grid: constructed in place one after the other in the
// grid's storage, each with its one reference, and ended with the grid (never released one
// by one). Grid objects hold nothing outside the grid: nodes and edges carry no attribute
// set and a cell only its own set in the grid's storage. Their destructors would therefore
// free nothing, and the grid ends their lives without running them (which would only walk
// the grid's 28 MB once more). That holds only while no grid class, nor a scene class
// beneath them, gains a member that owns something: grid_layout checks it at compile time.
template <class T>
class GridObjects {
    static_assert(grid_layout::sceneBasesOwnNothingElse && grid_layout::freedWithoutDestructor<T>,
                  "a grid object would own something that freeing the grid without destructors leaks; "
                  "keep grid classes to plain fields, or run their destructors");

public:
    // The bytes `count` objects take.
    static std::size_t bytesFor(int count) { return sizeof(T) * static_cast<std::size_t>(count); }
    // The objects go to `storage`, aligned for T, with room for as many as will be constructed.
    void placeAt(std::byte* storage) { objects_ = reinterpret_cast<T*>(storage); }
    // Constructs the next object in place.
    template <class... Arguments>
    void construct(Arguments&&... arguments) {
        new (objects_ + constructed_) T(std::forward<Arguments>(arguments)...);
        ++constructed_;
    }
    T& operator[](int index) const { return objects_[index]; }

private:
    T* objects_ = nullptr;
    int constructed_ = 0;
};

class PotentialGrid : public AttributedObject {
public:
    // Builds cellsX x cellsY x cellsZ cells over the model's bounds and samples the
    // potential at every node (computed as `options` say). The grid keeps a pointer to
    // `model`, which must outlive it. When memory for the arrays runs out the grid is left
    // without nodes (see complete()).
    PotentialGrid(const Model& model, int cellsX, int cellsY, int cellsZ, const BuildOptions& options = {});

    // False when the arrays could not be allocated; such a grid has no nodes, edges or cells.
    bool complete() const;

    // Marks every edge crossed by `iso`, locates its crossing and normal (reversed when
    // `flipNormals`), and polygonises every cell with a crossed edge in the surface colour.
    // Answers a new Group (one reference, the caller's) of the cells' groups, empty when
    // `iso` lies outside the sampled potentials; an empty Ref when it cannot be created.
    // Raises std::bad_alloc when memory for the other objects or the work runs out.
    Ref<Group> surface(float iso, bool flipNormals, const BuildOptions& options = {});

    // The surface colour for `iso`: a red deepening towards the model's extreme potential
    // for iso >= 0, a green for iso < 0; mid grey when both extremes are 0.
    Vector3 surfaceColor(float iso) const;

    // Writes nothing and answers false.
    bool print(std::FILE* stream) const override;
    // Draws every polygonised cell in index order.
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
    GridNode& node(int index) const { return nodes_[index]; }
    GridEdge& edge(int index) const { return edges_[index]; }
    GridCell& cell(int index) const { return cells_[index]; }

protected:
    ~PotentialGrid() override = default;

private:
    void constructObjects(const BuildOptions& options);
    void linkEdges();
    void assembleCells();
    // The node one step along `axis` (0 x, 1 y, 2 z) from node n, or -1 past the far face.
    int neighbour(int n, int axis) const;
    void markCrossedEdges(float iso, const BuildOptions& options);
    // The offset of each of a cell's 12 edge slots from slot 3n of its lowest node n.
    std::array<int, 12> cellEdgeOffsets() const;
    void locateCrossings(float iso, bool flipNormals, const BuildOptions& options);
    void polygoniseCells(float iso, const Vector3& color, const BuildOptions& options, Group& result);
    // The plain path: each cell polygonised in turn from the crossings stored in its edges.
    void polygoniseCellByCell(float iso, const Vector3& color, Group& result);
    // Copies the crossings of the last pass into their edges.
    void storeCrossings();
    // Sets `polygonised` on cell c, records it, and adds its group (when made) to `result`.
    void addPolygonisedCell(int c, const Ref<Group>& group, Group& result);

    GridStorage storage_;  // the four arrays below, one after the other
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
    // The edges crossed and the cells polygonised in the last surface pass; every other
    // edge and cell has its flag clear, so a pass need not visit them.
    std::vector<int> crossedEdges_;
    std::vector<int> polygonisedCells_;
    // Plain copies of what the nodes and crossed edges hold, which the worker threads read
    // (they never touch the grid's objects): node positions, potentialAt in double and in
    // single precision (sampleValue), and what each crossed edge of the last pass carries.
    std::vector<Vector3> positions_;
    std::vector<double> nodePotentials_;
    std::vector<float> nodeSamples_;
    struct EdgeCrossing {
        Vector3 crossing;
        Vector3 normal;
        float fieldStrength;
    };
    std::vector<EdgeCrossing> crossings_;  // in the order of crossedEdges_
};

}  // namespace kelvaro
