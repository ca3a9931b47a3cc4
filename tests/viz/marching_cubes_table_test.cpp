#include "viz/marching_cubes_table.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace kelvaro {
namespace {

// The cell's corners (cell-local offsets, by bit) and the corners each edge joins.
constexpr std::array<std::array<int, 3>, 8> cornerOffset = {{
    {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}, {0, 0, 1}, {0, 1, 1},
}};
constexpr std::array<std::array<int, 2>, 12> edgeCorners = {{
    {0, 2}, {2, 4}, {6, 4}, {0, 6}, {0, 1}, {2, 3}, {4, 5}, {6, 7}, {1, 3}, {3, 5}, {7, 5}, {1, 7},
}};

using Side = std::pair<int, int>;
using Triangle = std::array<int, 3>;

bool above(int index, int corner) { return (index >> corner & 1) != 0; }
bool isCrossed(int index, int edge) { return above(index, edgeCorners[edge][0]) != above(index, edgeCorners[edge][1]); }
bool touches(int edge, int corner) { return edgeCorners[edge][0] == corner || edgeCorners[edge][1] == corner; }

std::vector<Triangle> rowTriangles(int index) {
    const MarchingCubesRow& row = marchingCubesTable[index];
    std::vector<Triangle> triangles;
    for (int t = 0; t < row.triangleCount; ++t)
        triangles.push_back({row.triangles[t][0], row.triangles[t][1], row.triangles[t][2]});
    return triangles;
}

struct Face {
    std::vector<int> corners;
    std::vector<int> edges;
    int axis;
    int side;
};

std::vector<Face> cubeFaces() {
    std::vector<Face> faces;
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            Face face{{}, {}, axis, side};
            for (int c = 0; c < 8; ++c)
                if (cornerOffset[c][axis] == side) face.corners.push_back(c);
            for (int e = 0; e < 12; ++e)
                if (cornerOffset[edgeCorners[e][0]][axis] == side && cornerOffset[edgeCorners[e][1]][axis] == side)
                    face.edges.push_back(e);
            faces.push_back(face);
        }
    }
    return faces;
}

// The pairs of crossed edges that must be joined on one face: the only pair when two are
// crossed; with four (diagonal corners above), the two pairs that cut off the corners above.
std::set<Side> expectedFaceSegments(int index, const Face& face) {
    std::vector<int> cut;
    for (int e : face.edges)
        if (isCrossed(index, e)) cut.push_back(e);
    std::set<Side> segments;
    if (cut.size() == 2) segments.insert(std::minmax(cut[0], cut[1]));
    if (cut.size() == 4) {
        for (int c : face.corners) {
            if (!above(index, c)) continue;
            std::vector<int> pair;
            for (int e : cut)
                if (touches(e, c)) pair.push_back(e);
            segments.insert(std::minmax(pair[0], pair[1]));
        }
    }
    return segments;
}

struct Point {
    double x, y, z;
};
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point cross(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Point corner(int c) { return {double(cornerOffset[c][0]), double(cornerOffset[c][1]), double(cornerOffset[c][2])}; }
Point midpoint(int e) {
    const Point a = corner(edgeCorners[e][0]);
    const Point b = corner(edgeCorners[e][1]);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2};
}

// Rule 5 with the crossings at the edge midpoints: the triangle's normal has a positive
// component along the directions from the corner above to the corner below of its edges.
bool facesAwayFromCornersAbove(int index, const Triangle& t) {
    const Point normal = cross(midpoint(t[1]) - midpoint(t[0]), midpoint(t[2]) - midpoint(t[0]));
    double along = 0.0;
    for (int e : t) {
        const int a = edgeCorners[e][0];
        const int b = edgeCorners[e][1];
        along += dot(normal, above(index, a) ? corner(b) - corner(a) : corner(a) - corner(b));
    }
    return along > 0.0;
}

TEST(MarchingCubesTable, EveryRowFollowsTheTriangulationRules) {
    const std::vector<Face> faces = cubeFaces();
    for (int index = 0; index < 256; ++index) {
        SCOPED_TRACE(index);
        const std::vector<Triangle> triangles = rowTriangles(index);
        std::set<int> used;
        std::map<Side, int> directedUses;
        for (const Triangle& t : triangles) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_TRUE(isCrossed(index, t[i])) << "edge " << t[i];  // rule 1
                used.insert(t[i]);
                ++directedUses[{t[i], t[(i + 1) % 3]}];
            }
            EXPECT_TRUE(facesAwayFromCornersAbove(index, t)) << t[0] << " " << t[1] << " " << t[2];  // rule 5
        }
        for (int e = 0; e < 12; ++e) {  // rule 2
            if (isCrossed(index, e)) {
                EXPECT_EQ(used.count(e), 1u) << "edge " << e;
            }
        }

        std::set<Side> faceSegments;
        for (const Face& face : faces)
            for (const Side& s : expectedFaceSegments(index, face)) faceSegments.insert(s);
        // Rules 3 and 4: every face segment is the side of exactly one triangle, every other
        // side is shared by exactly two, and shared sides run in opposite directions, so
        // all triangles of a polygon wind alike (rule 5 then holds for all once for one).
        std::map<Side, int> uses;
        for (const auto& [side, count] : directedUses) {
            EXPECT_EQ(count, 1) << side.first << "-" << side.second;
            uses[std::minmax(side.first, side.second)] += count;
        }
        for (const auto& [side, count] : uses) {
            const bool onFace = faceSegments.count(side) != 0;
            EXPECT_EQ(count, onFace ? 1 : 2) << side.first << "-" << side.second;
        }
        for (const Side& s : faceSegments) EXPECT_EQ(uses.count(s), 1u) << "face segment " << s.first << "-" << s.second;
    }
}

TEST(MarchingCubesTable, TellingRowsAreExact) {
    const std::map<int, std::vector<Triangle>> telling = {
        {0, {}},
        {1, {{0, 4, 3}}},
        {2, {{4, 8, 11}}},
        {3, {{3, 0, 11}, {0, 8, 11}}},
        {6, {{4, 8, 11}, {0, 1, 5}}},
        {7, {{5, 8, 11}, {5, 11, 3}, {1, 5, 3}}},
        {15, {{1, 9, 11}, {1, 11, 3}}},
        {60, {{2, 10, 8}, {2, 8, 0}}},
        {254, {{3, 4, 0}}},
        {255, {}},
    };
    for (const auto& [index, triangles] : telling) EXPECT_EQ(rowTriangles(index), triangles) << "row " << index;
}

}  // namespace
}  // namespace kelvaro
