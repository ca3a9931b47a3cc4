#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

#include "scene/attribute_set.h"
#include "tests/support/gl_recorder.h"
#include "tests/viz/viz_test_support.h"
#include "viz/potential_grid.h"
#include "viz/potential_surface.h"
#include "viz/root_finding.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::modelFromText;

double length(const Vector3& v) {
    const double x = v.x;
    const double y = v.y;
    const double z = v.z;
    return std::sqrt(x * x + y * y + z * z);
}

double dot(const Vector3& a, const Vector3& b) {
    return static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y + static_cast<double>(a.z) * b.z;
}

std::unique_ptr<Model> unitCharge() {
    return modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT 0.013, -0.021, 0.007\n");
}

TEST(PotentialGrid, HasItsNodesEdgesAndCellsInIndexOrder) {
    const auto model = modelFromText("BOUNDS FROM -1, 0, 2 TO 1, 3, 6\nPOINT 1 AT 5, 5, 5\n");
    ASSERT_TRUE(model);
    const Ref<PotentialGrid> grid = create<PotentialGrid>(*model, 2, 3, 4);
    ASSERT_TRUE(grid && grid->complete());
    EXPECT_EQ(grid->typeCode(), PotentialGridType);
    EXPECT_EQ(grid->nodeCount(), 3 * 4 * 5);
    EXPECT_EQ(grid->edgeCount(), 3 * 3 * 4 * 5);
    EXPECT_EQ(grid->cellCount(), 2 * 3 * 4);
    EXPECT_EQ(grid->cellSize().x, 1.0f);
    EXPECT_EQ(grid->cellSize().z, 1.0f);

    const GridNode& node = grid->node(grid->nodeIndex(1, 2, 3));
    EXPECT_EQ(node.typeCode(), PointType);
    EXPECT_EQ(node.position.x, 0.0f);
    EXPECT_EQ(node.position.y, 2.0f);
    EXPECT_EQ(node.position.z, 5.0f);
    EXPECT_EQ(node.sampleValue, static_cast<float>(model->potentialAt(node.position)));

    int existing = 0;
    for (int i = 0; i < grid->edgeCount(); ++i) existing += grid->edge(i).exists;
    EXPECT_EQ(existing, 2 * 4 * 5 + 3 * 3 * 5 + 3 * 4 * 4);
    const GridEdge& lastAlongX = grid->edge(3 * grid->nodeIndex(2, 1, 1));
    EXPECT_EQ(lastAlongX.exists, 0);
    EXPECT_EQ(lastAlongX.lower, nullptr);

    // Each cell edge runs from its start offset one step along its axis.
    const int offsets[12][4] = {{0, 0, 0, 0}, {1, 0, 0, 2}, {0, 0, 1, 0}, {0, 0, 0, 2}, {0, 0, 0, 1}, {1, 0, 0, 1},
                                {1, 0, 1, 1}, {0, 0, 1, 1}, {0, 1, 0, 0}, {1, 1, 0, 2}, {0, 1, 1, 0}, {0, 1, 0, 2}};
    const GridCell& cell = grid->cell(grid->cellIndex(1, 1, 2));
    EXPECT_EQ(cell.typeCode(), GridCellType);
    for (int p = 0; p < 12; ++p) {
        const int* o = offsets[p];
        const int step[3] = {o[3] == 0, o[3] == 1, o[3] == 2};
        EXPECT_EQ(cell.edges[p]->typeCode(), GridEdgeType);
        EXPECT_EQ(cell.edges[p]->lower, &grid->node(grid->nodeIndex(1 + o[0], 1 + o[1], 2 + o[2]))) << p;
        EXPECT_EQ(cell.edges[p]->upper,
                  &grid->node(grid->nodeIndex(1 + o[0] + step[0], 1 + o[1] + step[1], 2 + o[2] + step[2])))
            << p;
    }
    // Palette sets: 0 for the first cell, then 1 to 16 over and over.
    EXPECT_EQ(grid->cell(0).attributes()->color().x, paletteColor(0).x);
    EXPECT_EQ(grid->cell(17).attributes()->color().y, paletteColor(1).y);
    EXPECT_EQ(grid->cell(16).attributes()->color().z, paletteColor(16).z);
}

TEST(PotentialGrid, DrawsThePolygonisedCellsByTheirCornerEdgesAndHasNoTextForm) {
    const auto model = modelFromText("BOUNDS FROM 0, 0, 0 TO 2, 1, 1\nPOINT 1 AT -0.5, 0.5, 0.5\n");
    ASSERT_TRUE(model);
    const Ref<PotentialGrid> grid = create<PotentialGrid>(*model, 2, 1, 1);
    EXPECT_FALSE(grid->print(stdout));
    EXPECT_FALSE(grid->cell(0).print(stdout));
    EXPECT_FALSE(grid->edge(0).print(stdout));
    // Only the first cell holds the crossing between its nodes' potentials.
    const float iso = 0.5f * (grid->node(0).sampleValue + grid->node(1).sampleValue);
    ASSERT_GT(iso, grid->node(2).sampleValue);
    grid->surface(iso, false);
    ::kelvaro::testing::clearGlCalls();
    grid->draw();
    std::vector<std::string> geometry;
    for (const std::string& call : ::kelvaro::testing::recordedGlCalls())
        if (call.rfind("glColor3f", 0) != 0 && call.rfind("glDisable", 0) != 0) geometry.push_back(call);
    // Edges 0 (along x), 3 (along z) and 4 (along y) of cell 0.
    EXPECT_EQ(geometry, (std::vector<std::string>{"glBegin(GL_LINES)", "glVertex3f(0, 0, 0)", "glVertex3f(1, 0, 0)", "glEnd()",
                                                  "glBegin(GL_LINES)", "glVertex3f(0, 0, 0)", "glVertex3f(0, 0, 1)", "glEnd()",
                                                  "glBegin(GL_LINES)", "glVertex3f(0, 0, 0)", "glVertex3f(0, 1, 0)", "glEnd()"}));
}

TEST(PotentialGrid, NodesGrowByRepeatedAddition) {
    const auto model = modelFromText("BOUNDS FROM 0.1, 0, 0 TO 0.8, 1, 1\n");
    ASSERT_TRUE(model);
    const Ref<PotentialGrid> grid = create<PotentialGrid>(*model, 40, 1, 1);
    float x = 0.1f;
    for (int i = 0; i <= 40; ++i, x += grid->cellSize().x) EXPECT_EQ(grid->node(i).position.x, x) << i;
    EXPECT_EQ(grid->cellSize().x, static_cast<float>((0.8L - 0.1L) / 40));  // widened from the single corners
    const auto fullSize = create<PotentialGrid>(*model, 40, 40, 40);
    int existing = 0;
    for (int i = 0; i < fullSize->edgeCount(); ++i) existing += fullSize->edge(i).exists;
    EXPECT_EQ(fullSize->nodeCount(), 41 * 41 * 41);
    EXPECT_EQ(existing, 3 * 40 * 41 * 41);
    EXPECT_EQ(fullSize->cellCount(), 64000);
}

// The grid's objects show its last surface pass however they came to be: asked for before
// two passes at different levels (and so kept up to date through both), asked for only after
// them, or after one pass of the reference path at the second level.
TEST(PotentialGrid, ObjectsShowTheLastPassWhetherAskedForBeforeOrAfterIt) {
    const auto model = unitCharge();
    ASSERT_TRUE(model);
    const auto everyObject = [](const PotentialGrid& grid) {
        for (int e = 0; e < grid.edgeCount(); ++e) grid.edge(e);
        for (int c = 0; c < grid.cellCount(); ++c) grid.cell(c);
    };
    const Ref<PotentialGrid> before = create<PotentialGrid>(*model, 12, 11, 10);
    everyObject(*before);
    const Ref<PotentialGrid> after = create<PotentialGrid>(*model, 12, 11, 10);
    const Ref<PotentialGrid> reference = create<PotentialGrid>(*model, 12, 11, 10, BuildOptions::referencePath());
    for (PotentialGrid* grid : {before.get(), after.get()}) {
        ASSERT_TRUE(grid->surface(1.2f, false, {2, false}));
        ASSERT_TRUE(grid->surface(2.5f, true, {2, false}));
    }
    ASSERT_TRUE(reference->surface(2.5f, true, BuildOptions::referencePath()));
    everyObject(*after);
    everyObject(*reference);
    int crossed = 0, clearedSinceTheFirstPass = 0, polygonised = 0;
    for (int e = 0; e < reference->edgeCount(); ++e) {
        const GridEdge& expected = reference->edge(e);
        crossed += expected.crossed;
        clearedSinceTheFirstPass += !expected.crossed && before->edge(e).fieldStrength != 0.0f;
        for (const PotentialGrid* grid : {before.get(), after.get()}) {
            const GridEdge& edge = grid->edge(e);
            ASSERT_EQ(edge.crossed, expected.crossed) << "edge " << e;
            ASSERT_EQ(edge.exists, expected.exists) << "edge " << e;
            if (!expected.crossed) continue;
            EXPECT_EQ(edge.crossing.x, expected.crossing.x) << "edge " << e;
            EXPECT_EQ(edge.normal.z, expected.normal.z) << "edge " << e;
            EXPECT_EQ(edge.fieldStrength, expected.fieldStrength) << "edge " << e;
        }
    }
    for (int c = 0; c < reference->cellCount(); ++c) {
        polygonised += reference->cell(c).polygonised;
        ASSERT_EQ(before->cell(c).polygonised, reference->cell(c).polygonised) << "cell " << c;
        ASSERT_EQ(after->cell(c).polygonised, reference->cell(c).polygonised) << "cell " << c;
    }
    EXPECT_GT(crossed, 50);
    EXPECT_GT(clearedSinceTheFirstPass, 100) << "the first pass's sphere is wider than the second's";
    EXPECT_GT(polygonised, 50);
}

TEST(FindRoot, LocatesBracketedRootsWithinItsTolerance) {
    double root = -1.0;
    ASSERT_TRUE(findRoot([](double s) { return s * s - 0.36; }, 0.0, 1.0, root));
    EXPECT_NEAR(root, 0.6, 0.0005);
    ASSERT_TRUE(findRoot([](double s) { return std::exp(-8 * s) - 0.01; }, 0.0, 1.0, root));
    EXPECT_NEAR(root, std::log(100.0) / 8, 0.0005);
    ASSERT_TRUE(findRoot([](double s) { return s; }, 0.0, 1.0, root));  // zero at an end brackets
    EXPECT_NEAR(root, 0.0, 0.0005);
    root = 7.0;
    EXPECT_FALSE(findRoot([](double s) { return s + 1.0; }, 0.0, 1.0, root));
    EXPECT_EQ(root, 7.0);
    // Values that are not numbers neither bracket nor refuse; the search still ends.
    int calls = 0;
    findRoot(
        [&](double) {
            ++calls;
            return std::nan("");
        },
        0.0, 1.0, root);
    EXPECT_LE(calls, 102);
}

TEST(PotentialSurface, CrossingsOfAChargeSphereLieOnItWithNormalsAlongTheField) {
    const auto model = unitCharge();
    ASSERT_TRUE(model);
    const Vector3 centre = model->charges()[0].position;
    for (bool enter : {false, true}) {
        const Ref<PotentialGrid> grid = create<PotentialGrid>(*model, 40, 40, 40);
        const Ref<Group> surface = grid->surface(2.0f, enter);  // the sphere of radius 0.5
        ASSERT_TRUE(surface);
        int crossed = 0;
        for (int e = 0; e < grid->edgeCount(); ++e) {
            const GridEdge& edge = grid->edge(e);
            if (!edge.exists || !edge.crossed) continue;
            ++crossed;
            const Vector3 radial = difference(edge.crossing, centre);
            // Located to 0.0005 of the 0.05 edge, a few times that in radius at most.
            EXPECT_NEAR(length(radial), 0.5, 0.0005 * 0.05 * 2);
            EXPECT_NEAR(length(edge.normal), 1.0, 1e-6);
            EXPECT_NEAR(dot(edge.normal, radial) / length(radial), enter ? -1.0 : 1.0, 1e-3);
            EXPECT_NEAR(edge.fieldStrength, 1.0 / (length(radial) * length(radial)), 1e-3);
        }
        EXPECT_GT(crossed, 1000);
        EXPECT_EQ(surface->count(), [&] {
            int polygonised = 0;
            for (int c = 0; c < grid->cellCount(); ++c) polygonised += grid->cell(c).polygonised;
            return polygonised;
        }());
    }
}

TEST(PotentialSurface, ClosedSurfaceIsWatertightAndConsistentlyWound) {
    const auto model = unitCharge();
    ASSERT_TRUE(model);
    const Ref<Group> result = makePotentialSurface(*model, 3.0, 0);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->count(), 1);
    const auto& surface = dynamic_cast<const Group&>(result->child(0));
    using Key = std::tuple<float, float, float>;
    const auto key = [](const Vector3& p) { return Key{p.x, p.y, p.z}; };
    std::map<std::pair<Key, Key>, int> directedSides;
    int triangles = 0;
    for (const Group* cell : childrenOf<Group>(surface)) {
        ASSERT_NE(cell->attributes(), nullptr);
        EXPECT_EQ(cell->attributes()->flags(), 0x1F5u);
        for (const Triangle* t : childrenOf<Triangle>(*cell)) {
            ++triangles;
            for (int i = 0; i < 3; ++i) ++directedSides[{key(t->vertices[i]), key(t->vertices[(i + 1) % 3])}];
            // Wound to face away from the charge (towards lower potential).
            const Vector3 u = difference(t->vertices[1], t->vertices[0]);
            const Vector3 v = difference(t->vertices[2], t->vertices[0]);
            const Vector3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
            if (length(n) > 1e-9) {
                EXPECT_GT(dot(n, t->normals[0]), 0.0);
            }
        }
    }
    EXPECT_GT(triangles, 500);
    for (const auto& [side, count] : directedSides) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(directedSides.count({side.second, side.first}), 1u);  // every side shared by exactly two
    }
}

TEST(PotentialSurface, ValueOutsideTheSampledRangeGivesOneEmptySurface) {
    const auto model = unitCharge();
    ASSERT_TRUE(model);
    for (double value : {1000.0, -1.0}) {
        const Ref<Group> result = makePotentialSurface(*model, value, 1);
        ASSERT_TRUE(result);
        ASSERT_EQ(result->count(), 1);
        EXPECT_EQ(dynamic_cast<const Group&>(result->child(0)).count(), 0);
    }
}

TEST(PotentialSurface, ColourDeepensTowardsTheExtremePotential) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT -1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<PotentialGrid> grid = create<PotentialGrid>(*model, 2, 2, 2);
    const auto extreme = static_cast<float>(std::abs(model->potentialMin()));
    const Vector3 red = grid->surfaceColor(extreme);
    EXPECT_FLOAT_EQ(red.x, 1.0f);
    EXPECT_FLOAT_EQ(red.y, 0.0f);
    const Vector3 green = grid->surfaceColor(-0.5f);
    const auto t = static_cast<float>(std::pow(0.5 / extreme, 0.1));
    EXPECT_EQ(green.y, 0.5f + 0.5f * t);
    EXPECT_EQ(green.x, 0.5f - 0.5f * t);
    EXPECT_EQ(grid->surfaceColor(0.0f).x, 0.5f);

    const auto uncharged = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n");
    const Ref<PotentialGrid> flat = create<PotentialGrid>(*uncharged, 2, 2, 2);
    const Vector3 grey = flat->surfaceColor(1.0f);
    EXPECT_EQ(grey.x, 0.5f);
    EXPECT_EQ(grey.y, 0.5f);
    EXPECT_EQ(grey.z, 0.5f);
}

TEST(PotentialSurface, CornerExactlyAtTheValueCountsAsBelow) {
    const auto model = modelFromText("BOUNDS FROM 0.5, 0.5, 0.5 TO 1.5, 1.5, 1.5\nPOINT 1 AT 0, 0, 0\n");
    ASSERT_TRUE(model);
    const Ref<PotentialGrid> grid = create<PotentialGrid>(*model, 1, 1, 1);
    const float highest = grid->node(0).sampleValue;  // the corner nearest the charge
    const Ref<Group> surface = grid->surface(highest, false);
    ASSERT_EQ(surface->count(), 1);  // its edges count as crossed...
    EXPECT_EQ(grid->cell(0).polygonised, 1);
    const auto& cell = dynamic_cast<const Group&>(surface->child(0));
    EXPECT_EQ(cell.count(), 0);  // ...but the configuration is empty
    EXPECT_EQ(cell.attributes()->flags(), 0x1F5u);
}

}  // namespace
}  // namespace kelvaro
