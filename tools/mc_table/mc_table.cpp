// mc_table: writes viz/marching_cubes_table.cpp, the triangulation table of the
// marching-cubes step, to standard output.
//
// Usage: mc_table > viz/marching_cubes_table.cpp
//
// For every configuration (bit b set = corner b above the iso value) it cuts each cube face
// into segments between the face's crossed edges, chains the segments into closed
// polygons and splits each polygon into a fan of triangles. A face with four crossed
// edges (two diagonal corners above) always cuts off its corners above: the choice looks
// only at the face's own corners, so the two cells sharing a face cut it alike and the
// surface has no cracks. Segments are oriented so that every triangle faces away from
// the corners above. Eight reference rows with a prescribed form (triangle order and
// first corners included) are emitted verbatim, after checking that they close the same
// polygons.

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

// The width of a row in viz/marching_cubes_table.h.
constexpr std::size_t maxRowTriangles = 5;

struct Point {
    double x, y, z;
};
Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point operator*(Point a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point cross(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Corner b sits at the cell-local offset (di, dj, dk).
constexpr std::array<std::array<int, 3>, 8> cornerOffset = {{
    {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {0, 0, 1}, {0, 1, 1},
}};
// The two corners joined by each edge position.
constexpr std::array<std::array<int, 2>, 12> edgeCorners = {{
    {0, 2}, {2, 4}, {6, 4}, {0, 6}, {0, 1}, {2, 3}, {4, 5}, {6, 7}, {1, 3}, {3, 5}, {7, 5}, {1, 7},
}};

using Triangle = std::array<int, 3>;
using Row = std::vector<Triangle>;

const std::map<int, Row> referenceRows = {
    {1, {{0, 4, 3}}},
    {2, {{4, 8, 11}}},
    {3, {{3, 0, 11}, {0, 8, 11}}},
    {6, {{4, 8, 11}, {0, 1, 5}}},
    {7, {{5, 8, 11}, {5, 11, 3}, {1, 5, 3}}},
    {15, {{1, 9, 11}, {1, 11, 3}}},
    {60, {{2, 10, 8}, {2, 8, 0}}},
    {254, {{3, 4, 0}}},
};

Point corner(int c) { return {double(cornerOffset[c][0]), double(cornerOffset[c][1]), double(cornerOffset[c][2])}; }
Point midpoint(int edge) { return (corner(edgeCorners[edge][0]) + corner(edgeCorners[edge][1])) * 0.5; }
bool above(int index, int c) { return (index >> c & 1) != 0; }
bool crossed(int index, int edge) { return above(index, edgeCorners[edge][0]) != above(index, edgeCorners[edge][1]); }

struct Face {
    std::vector<int> corners;
    std::vector<int> edges;
    Point outward;
};

std::vector<Face> cubeFaces() {
    std::vector<Face> faces;
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            Face face;
            for (int c = 0; c < 8; ++c)
                if (cornerOffset[c][axis] == side) face.corners.push_back(c);
            for (int e = 0; e < 12; ++e)
                if (cornerOffset[edgeCorners[e][0]][axis] == side && cornerOffset[edgeCorners[e][1]][axis] == side)
                    face.edges.push_back(e);
            double normal[3] = {0, 0, 0};
            normal[axis] = side == 0 ? -1.0 : 1.0;
            face.outward = {normal[0], normal[1], normal[2]};
            faces.push_back(face);
        }
    }
    return faces;
}

bool touches(int edge, int c) { return edgeCorners[edge][0] == c || edgeCorners[edge][1] == c; }

// The segments of one face, each directed so that, seen from outside the cube, the
// corners above lie on its right: then every polygon runs around its corners above with
// the winding that makes its triangles face away from them.
std::vector<std::pair<int, int>> faceSegments(int index, const Face& face) {
    std::vector<int> cut;
    for (int e : face.edges)
        if (crossed(index, e)) cut.push_back(e);
    // Each segment with the corners above on its side.
    std::vector<std::pair<std::pair<int, int>, std::vector<int>>> segments;
    if (cut.size() == 2) {
        std::vector<int> corners;
        for (int c : face.corners)
            if (above(index, c)) corners.push_back(c);
        segments.push_back({{cut[0], cut[1]}, corners});
    } else if (cut.size() == 4) {
        for (int c : face.corners) {
            if (!above(index, c)) continue;
            std::vector<int> pair;
            for (int e : cut)
                if (touches(e, c)) pair.push_back(e);
            segments.push_back({{pair[0], pair[1]}, {c}});
        }
    }
    std::vector<std::pair<int, int>> directed;
    for (const auto& [segment, corners] : segments) {
        Point side{0, 0, 0};
        for (int c : corners) side = side + corner(c);
        side = side * (1.0 / double(corners.size()));
        const Point from = midpoint(segment.first);
        const Point to = midpoint(segment.second);
        const Point toAbove = side - (from + to) * 0.5;
        const bool forward = dot(to - from, cross(face.outward, toAbove)) > 0.0;
        directed.push_back(forward ? segment : std::make_pair(segment.second, segment.first));
    }
    return directed;
}

// How well a triangle faces away from the corners above: the cosine between its normal
// and the direction of falling potential along its three edges (positive is right).
double facing(int index, const Triangle& t) {
    const Point normal = cross(midpoint(t[1]) - midpoint(t[0]), midpoint(t[2]) - midpoint(t[0]));
    Point falling{0, 0, 0};
    for (int e : t) {
        const int a = edgeCorners[e][0];
        const int b = edgeCorners[e][1];
        falling = falling + (above(index, a) ? corner(b) - corner(a) : corner(a) - corner(b));
    }
    return dot(normal, falling) / std::sqrt(dot(normal, normal) * dot(falling, falling));
}

// The fan over `loop` that faces away from the corners above best.
Row triangulate(int index, const std::vector<int>& loop) {
    Row best;
    double bestScore = -2.0;
    const std::size_t n = loop.size();
    for (std::size_t apex = 0; apex < n; ++apex) {
        Row fan;
        double score = 2.0;
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const Triangle t{loop[apex], loop[(apex + i) % n], loop[(apex + i + 1) % n]};
            score = std::min(score, facing(index, t));
            fan.push_back(t);
        }
        if (score > bestScore + 1e-12) {
            best = fan;
            bestScore = score;
        }
    }
    if (bestScore <= 0.0) {
        std::fprintf(stderr, "configuration %d: no fan faces away from the corners above\n", index);
        std::exit(1);
    }
    return best;
}

// The closed polygons of a configuration, each as its edge positions in boundary order,
// together with the set of their directed boundary segments.
std::vector<std::vector<int>> polygons(int index, const std::vector<Face>& faces,
                                       std::set<std::pair<int, int>>& boundary) {
    std::map<int, int> next;
    for (const Face& face : faces) {
        for (const auto& [from, to] : faceSegments(index, face)) {
            if (next.count(from) != 0) {
                std::fprintf(stderr, "configuration %d: edge %d starts two segments\n", index, from);
                std::exit(1);
            }
            next[from] = to;
            boundary.insert({from, to});
        }
    }
    std::vector<std::vector<int>> loops;
    std::set<int> visited;
    for (const auto& [start, unused] : next) {
        if (visited.count(start) != 0) continue;
        std::vector<int> loop;
        for (int e = start; visited.insert(e).second; e = next.at(e)) loop.push_back(e);
        loops.push_back(loop);
    }
    return loops;
}

// The directed triangle sides of a row that are not shared with another triangle.
std::set<std::pair<int, int>> openSides(const Row& row) {
    std::map<std::pair<int, int>, int> uses;
    for (const Triangle& t : row)
        for (int i = 0; i < 3; ++i) ++uses[{t[i], t[(i + 1) % 3]}];
    std::set<std::pair<int, int>> open;
    for (const auto& [side, count] : uses) {
        const auto reverse = uses.find({side.second, side.first});
        if (count != 1 || (reverse != uses.end() && reverse->second > 1)) {
            std::fprintf(stderr, "side %d-%d used inconsistently\n", side.first, side.second);
            std::exit(1);
        }
        if (reverse == uses.end()) open.insert(side);
    }
    return open;
}

Row tableRow(int index, const std::vector<Face>& faces) {
    std::set<std::pair<int, int>> boundary;
    const auto loops = polygons(index, faces, boundary);
    const auto reference = referenceRows.find(index);
    if (reference != referenceRows.end()) {
        if (openSides(reference->second) != boundary) {
            std::fprintf(stderr, "configuration %d: reference row has other polygons\n", index);
            std::exit(1);
        }
        return reference->second;
    }
    Row row;
    for (const auto& loop : loops)
        for (const Triangle& t : triangulate(index, loop)) row.push_back(t);
    if (openSides(row) != boundary) {
        std::fprintf(stderr, "configuration %d: fan does not close its polygons\n", index);
        std::exit(1);
    }
    return row;
}

}  // namespace

int main() {
    const std::vector<Face> faces = cubeFaces();
    std::vector<Row> rows;
    std::size_t widest = 0;
    for (int index = 0; index < 256; ++index) {
        rows.push_back(tableRow(index, faces));
        widest = std::max(widest, rows.back().size());
    }
    if (widest > maxRowTriangles) {
        std::fprintf(stderr, "a row holds %zu triangles, more than the table's %zu\n", widest, maxRowTriangles);
        return 1;
    }
    std::printf(
        "// Generated by tools/mc_table (mc_table > viz/marching_cubes_table.cpp); do not edit.\n"
        "//\n"
        "// Corners (bit of the configuration index, at cell-local offset (di, dj, dk)) and\n"
        "// edges (position in GridCell::edges):\n"
        "//\n"
        "//              7 ---------10-------- 5            bit  offset      edge  corners\n"
        "//             /|                    /|              0  (0, 0, 0)     0    0-2\n"
        "//           11 |                   9 |              1  (0, 1, 0)     1    2-4\n"
        "//           /  7                  /  6              2  (1, 0, 0)     2    6-4\n"
        "//          1 ----------8-------- 3   |              3  (1, 1, 0)     3    0-6\n"
        "//          |   |                 |   |              4  (1, 0, 1)     4    0-1\n"
        "//          |   6 ---------2------|-- 4              5  (1, 1, 1)     5    2-3\n"
        "//          4  /                  5  /               6  (0, 0, 1)     6    4-5\n"
        "//  y       | 3                   | 1                7  (0, 1, 1)     7    6-7\n"
        "//  |  z    |/                    |/                                  8    1-3\n"
        "//  | /     0 ----------0-------- 2                                   9    3-5\n"
        "//  |/___ x                                                          10    7-5\n"
        "//                                                                   11    1-7\n"
        "//\n"
        "// Each row lists triangles as edge positions; every triangle faces away from the\n"
        "// corners above the iso value. Faces with two diagonal corners above always cut off\n"
        "// those corners, so neighbouring cells meet without cracks.\n"
        "\n"
        "#include \"viz/marching_cubes_table.h\"\n"
        "\n"
        "namespace kelvaro {\n"
        "\n"
        "const MarchingCubesRow marchingCubesTable[256] = {\n");
    for (int index = 0; index < 256; ++index) {
        std::printf("    /* %3d */ {%zu, {", index, rows[index].size());
        for (std::size_t t = 0; t < rows[index].size(); ++t) {
            const Triangle& tri = rows[index][t];
            std::printf("%s{%d, %d, %d}", t == 0 ? "" : ", ", tri[0], tri[1], tri[2]);
        }
        std::printf("}},\n");
    }
    std::printf("};\n\n}  // namespace kelvaro\n");
    return 0;
}
