#include "scene/shaded_primitives.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "scene/attribute_set.h"
#include "tests/scene/scene_test_support.h"

namespace kelvaro {
namespace {

using testing::Calls;
using testing::drawCalls;
using testing::textOf;
using testing::TextStream;

TEST(ShadedPolyLine, ColoursEachVertexAndPrintsAsAPolyLine) {
    auto points = std::make_unique<Vector3[]>(2);
    auto colours = std::make_unique<Vector3[]>(2);
    points[0] = {0, 0, 0}, points[1] = {1, 2, 3};
    colours[0] = {1, 0, 0}, colours[1] = {0, 0.5f, 1};
    Ref<ShadedPolyLine> line = create<ShadedPolyLine>(std::move(points), std::move(colours), 2);
    line->setColor({1, 1, 1});
    EXPECT_EQ(line->typeCode(), PolyLineType);
    EXPECT_EQ(drawCalls(*line), (Calls{"glDisable(GL_LIGHTING)", "glColor3f(1, 1, 1)", "glBegin(GL_LINE_STRIP)",
                                       "glColor3f(1, 0, 0)", "glVertex3f(0, 0, 0)", "glColor3f(0, 0.5, 1)",
                                       "glVertex3f(1, 2, 3)", "glEnd()"}));
    EXPECT_EQ(textOf(*line), "PolyLine(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n0, 0, 0\n1, 2, 3)\n");
}

TEST(ShadedLine, ColoursItsTwoEnds) {
    Ref<ShadedLine> line = create<ShadedLine>(Vector3{0, 0, 0}, Vector3{1, 0, 0}, Vector3{0, 0, 1}, Vector3{1, 1, 0});
    EXPECT_EQ(line->typeCode(), LineType);
    EXPECT_EQ(drawCalls(*line), (Calls{"glBegin(GL_LINES)", "glColor3f(0, 0, 1)", "glVertex3f(0, 0, 0)",
                                       "glColor3f(1, 1, 0)", "glVertex3f(1, 0, 0)", "glEnd()"}));
    EXPECT_EQ(textOf(*line), "Line(0, 0, 0; 1, 0, 0)\n");
}

// A 3 x 2 grid in the plane y = 0.5: u runs along z, v along x.
Ref<ShadedGrid> smallGrid() {
    std::vector<Vector3> colours;
    for (int k = 0; k < 6; ++k) colours.push_back({0.1f * k, 0, 0});
    return create<ShadedGrid>(1, 0.5f, std::vector<float>{-1, 0, 1}, std::vector<float>{2, 3}, colours);
}

TEST(ShadedGrid, DrawsItsRowsAsColouredStripsPushedBehindLines) {
    const Ref<ShadedGrid> grid = smallGrid();
    EXPECT_EQ(grid->typeCode(), ShadedGridType);
    EXPECT_EQ(grid->node(2, 1).x, 3.0f);
    EXPECT_EQ(grid->node(2, 1).y, 0.5f);
    EXPECT_EQ(grid->node(2, 1).z, 1.0f);
    EXPECT_EQ(drawCalls(*grid),
              (Calls{"glDisable(GL_LIGHTING)", "glEnable(GL_POLYGON_OFFSET_FILL)", "glPolygonOffset(1, 1)",
                     "glDepthRange(0.00012207, 1)",
                     "glBegin(GL_QUAD_STRIP)", "glColor3f(0, 0, 0)", "glVertex3f(2, 0.5, -1)", "glColor3f(0.3, 0, 0)",
                     "glVertex3f(3, 0.5, -1)", "glColor3f(0.1, 0, 0)", "glVertex3f(2, 0.5, 0)", "glColor3f(0.4, 0, 0)",
                     "glVertex3f(3, 0.5, 0)", "glColor3f(0.2, 0, 0)", "glVertex3f(2, 0.5, 1)", "glColor3f(0.5, 0, 0)",
                     "glVertex3f(3, 0.5, 1)", "glEnd()", "glDepthRange(0, 1)", "glDisable(GL_POLYGON_OFFSET_FILL)"}));
    grid->setColor({1, 1, 1});
    EXPECT_EQ(textOf(*grid), "ShadedGrid(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\ny = 0.5; -1, 1, 3; 2, 3, 2)\n");
    EXPECT_THROW(create<ShadedGrid>(1, 0.0f, std::vector<float>{0, 1}, std::vector<float>{0, 1}, std::vector<Vector3>(3)),
                 std::invalid_argument);
}

TEST(ShadedGrid, AFailedWriteStopsItsPrint) {
    const Ref<ShadedGrid> grid = smallGrid();
    TextStream full(14);
    EXPECT_FALSE(grid->print(full.file()));
}

TEST(LevelLine, IsAPolyLineInAll) {
    Ref<LevelLine> line = create<LevelLine>(3);
    line->append({0, 0, 0});
    line->append({1, 0, 0});
    EXPECT_EQ(line->typeCode(), PolyLineType);
    EXPECT_EQ(drawCalls(*line), (Calls{"glBegin(GL_LINE_STRIP)", "glVertex3f(0, 0, 0)", "glVertex3f(1, 0, 0)", "glEnd()"}));
}

}  // namespace
}  // namespace kelvaro
