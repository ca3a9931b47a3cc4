#include "scene/primitives.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "scene/attribute_set.h"
#include "tests/scene/scene_test_support.h"

namespace kelvaro {
namespace {

using testing::Calls;
using testing::drawCalls;
using testing::liveQuadricCount;
using testing::textOf;
using testing::TextStream;

const Calls whiteCalls{"glDisable(GL_LIGHTING)", "glColor3f(1, 1, 1)"};

Calls concat(Calls first, const Calls& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(Point, DrawsALoneVertexAfterItsSet) {
    Ref<Point> point = create<Point>();
    point->position = {1.5f, -2, 3};
    EXPECT_EQ(drawCalls(*point), (Calls{"glVertex3f(1.5, -2, 3)"}));
    EXPECT_EQ(textOf(*point), "Point(1.5, -2, 3)\n");
    point->setColor({1, 1, 1});
    EXPECT_EQ(drawCalls(*point), concat(whiteCalls, {"glVertex3f(1.5, -2, 3)"}));
    EXPECT_EQ(textOf(*point), "Point(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n1.5, -2, 3)\n");
}

TEST(Line, AppliesItsSetBeforeBegin) {
    Ref<Line> line = create<Line>(Vector3{0, 0, 0}, Vector3{0.1f, 2, 1e-7f});
    line->setColor({1, 1, 1});
    EXPECT_EQ(drawCalls(*line),
              concat(whiteCalls, {"glBegin(GL_LINES)", "glVertex3f(0, 0, 0)", "glVertex3f(0.1, 2, 1e-07)", "glEnd()"}));
    EXPECT_EQ(textOf(*line), "Line(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n0, 0, 0; 0.1, 2, 1e-07)\n");
}

TEST(PolyLine, DrawsAStripOnlyFromTwoPointsOn) {
    Ref<PolyLine> line = create<PolyLine>(500);
    EXPECT_EQ(drawCalls(*line), (Calls{"glBegin(GL_LINE_STRIP)", "glEnd()"}));
    line->append({1, 2, 3});
    EXPECT_EQ(drawCalls(*line), (Calls{"glBegin(GL_LINE_STRIP)", "glEnd()"}));
    line->append({4, 5, 6});
    line->setColor({1, 1, 1});
    EXPECT_EQ(drawCalls(*line), concat(whiteCalls, {"glBegin(GL_LINE_STRIP)", "glVertex3f(1, 2, 3)",
                                                    "glVertex3f(4, 5, 6)", "glEnd()"}));
}

TEST(PolyLine, TextFormListsEveryPoint) {
    Ref<PolyLine> line = create<PolyLine>(500);
    EXPECT_EQ(textOf(*line), "PolyLine()\n");
    line->setColor({0.7f, 0.7f, 0});
    line->append({1, 2, 3});
    EXPECT_EQ(textOf(*line), "PolyLine(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n1, 2, 3)\n");
    line->append({4, 5, 6});
    line->append({7, 8, 9});
    EXPECT_EQ(textOf(*line), "PolyLine(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n1, 2, 3\n4, 5, 6\n7, 8, 9)\n");

    TextStream out(60);
    EXPECT_FALSE(line->print(out.file()));
    EXPECT_EQ(out.text(), "PolyLine(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n1, 2, 3\n4, 5, 6");
}

TEST(PolyLine, CopyHasExactStorageAndSharesTheSet) {
    Ref<PolyLine> working = create<PolyLine>(500);
    working->setColor({0.7f, 0.7f, 0});
    working->append({1, 0, 0});
    working->append({2, 0, 0});
    Ref<PolyLine> copy = create<PolyLine>(*working);
    EXPECT_EQ(copy->capacity(), 2);
    EXPECT_EQ(copy->point(1).x, 2.0f);
    EXPECT_EQ(copy->attributes(), working->attributes());
    EXPECT_EQ(copy->refCount(), 1);
    working.reset();
    EXPECT_EQ(copy->attributes()->refCount(), 1);
    EXPECT_EQ(copy->attributes()->color().x, 0.7f);
}

TEST(ABox, ContainsIsClosedAndRejectsNotANumber) {
    Ref<ABox> box = create<ABox>();
    box->min = {-1, -1, -1};
    box->max = {1, 1, 1};
    EXPECT_TRUE(box->contains({0, 0, 0}));
    EXPECT_TRUE(box->contains({1, 0, 0}));
    EXPECT_TRUE(box->contains({1, 1, 0}));
    EXPECT_TRUE(box->contains({-1, -1, -1}));
    EXPECT_FALSE(box->contains({std::nextafter(1.0f, 2.0f), 0, 0}));
    EXPECT_FALSE(box->contains({0, std::nextafter(-1.0f, -2.0f), 0}));
    EXPECT_FALSE(box->contains({0, 0, 1.5f}));
    EXPECT_FALSE(box->contains({std::numeric_limits<float>::quiet_NaN(), 0, 0}));
    EXPECT_EQ(textOf(*box), "ABox(-1, -1, -1; 1, 1, 1)\n");
}

TEST(ABox, DrawsFourSidesAndTwoFaces) {
    Ref<ABox> box = create<ABox>();
    box->min = {0, 0, 0};
    box->max = {1, 2, 3};
    EXPECT_EQ(drawCalls(*box), (Calls{
                                   "glBegin(GL_QUAD_STRIP)", "glVertex3f(0, 2, 3)", "glVertex3f(0, 0, 3)",
                                   "glVertex3f(1, 2, 3)",    "glVertex3f(1, 0, 3)", "glVertex3f(1, 2, 0)",
                                   "glVertex3f(1, 0, 0)",    "glVertex3f(0, 2, 0)", "glVertex3f(0, 0, 0)",
                                   "glVertex3f(0, 2, 3)",    "glVertex3f(0, 0, 3)", "glEnd()",
                                   "glBegin(GL_QUADS)",      "glVertex3f(0, 0, 3)", "glVertex3f(1, 0, 3)",
                                   "glVertex3f(1, 0, 0)",    "glVertex3f(0, 0, 0)", "glEnd()",
                                   "glBegin(GL_QUADS)",      "glVertex3f(0, 2, 3)", "glVertex3f(1, 2, 3)",
                                   "glVertex3f(1, 2, 0)",    "glVertex3f(0, 2, 0)", "glEnd()",
                               }));
}

TEST(ABox, WireframeDrawsOutlinesUnlit) {
    Ref<ABox> box = create<ABox>();
    box->min = {0, 0, 0};
    box->max = {1, 2, 3};
    box->setColor({1, 1, 1});
    box->attributes()->setWireframe();
    EXPECT_EQ(drawCalls(*box),
              concat(whiteCalls, {
                                     "glDisable(GL_LIGHTING)", "glBegin(GL_LINE_LOOP)", "glVertex3f(0, 2, 3)",
                                     "glVertex3f(1, 2, 3)",    "glVertex3f(1, 0, 3)",   "glVertex3f(0, 0, 3)",
                                     "glEnd()",                "glBegin(GL_LINE_LOOP)", "glVertex3f(0, 2, 0)",
                                     "glVertex3f(1, 2, 0)",    "glVertex3f(1, 0, 0)",   "glVertex3f(0, 0, 0)",
                                     "glEnd()",                "glBegin(GL_LINES)",     "glVertex3f(0, 2, 0)",
                                     "glVertex3f(0, 2, 3)",    "glVertex3f(1, 2, 0)",   "glVertex3f(1, 2, 3)",
                                     "glVertex3f(1, 0, 0)",    "glVertex3f(1, 0, 3)",   "glVertex3f(0, 0, 0)",
                                     "glVertex3f(0, 0, 3)",    "glEnd()",               "glEnable(GL_LIGHTING)",
                                 }));
}

TEST(Sphere, DrawsAtItsCentreAndLeavesNoQuadricBehind) {
    Ref<Sphere> sphere = create<Sphere>(0.01f);
    sphere->setCenter({1, 2, 3});
    sphere->setColor({1, 1, 1});
    EXPECT_EQ(drawCalls(*sphere), concat(whiteCalls, {"glPushMatrix()", "glTranslatef(1, 2, 3)", "gluNewQuadric()",
                                                      "gluSphere(0.01, 10, 10)", "gluDeleteQuadric()", "glPopMatrix()"}));
    EXPECT_EQ(liveQuadricCount(), 0);
    EXPECT_EQ(textOf(*sphere), "Sphere(AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n 0.01, 1, 2, 3)\n");
}

TEST(Sphere, PrintsTheMeanSemiAxisLength) {
    Ref<Sphere> sphere = create<Sphere>(1.0f);
    sphere->axes[0] = {3, 4, 0};  // length 5
    sphere->axes[2] = {0, 0, 3};
    EXPECT_EQ(textOf(*sphere), "Sphere( 3, 0, 0, 0)\n");
}

TEST(Triangle, IssuesNormalsOnlyWhenSet) {
    Ref<Triangle> triangle = create<Triangle>(Vector3{0, 0, 0}, Vector3{1, 0, 0}, Vector3{0, 1, 0});
    const Calls plain{"glBegin(GL_TRIANGLES)", "glVertex3fv(0, 0, 0)", "glVertex3fv(1, 0, 0)", "glVertex3fv(0, 1, 0)",
                      "glEnd()"};
    EXPECT_EQ(drawCalls(*triangle), plain);
    triangle->setNormals({0, 0, 1}, {0, 0.6f, 0.8f}, {0, 0, -1});
    EXPECT_EQ(drawCalls(*triangle), (Calls{"glBegin(GL_TRIANGLES)", "glNormal3fv(0, 0, 1)", "glVertex3fv(0, 0, 0)",
                                           "glNormal3fv(0, 0.6, 0.8)", "glVertex3fv(1, 0, 0)", "glNormal3fv(0, 0, -1)",
                                           "glVertex3fv(0, 1, 0)", "glEnd()"}));
    triangle->clearNormals();
    EXPECT_EQ(drawCalls(*triangle), plain);
}

TEST(Triangle, WireframeDrawsAnUnlitLoopAndHasNoTextForm) {
    Ref<Triangle> triangle = create<Triangle>(Vector3{0, 0, 0}, Vector3{1, 0, 0}, Vector3{0, 1, 0});
    triangle->setNormals({0, 0, 1}, {0, 0, 1}, {0, 0, 1});
    triangle->setColor({1, 1, 1});
    triangle->attributes()->setWireframe();
    EXPECT_EQ(drawCalls(*triangle), concat(whiteCalls, {"glDisable(GL_LIGHTING)", "glBegin(GL_LINE_LOOP)",
                                                        "glVertex3fv(0, 0, 0)", "glVertex3fv(1, 0, 0)",
                                                        "glVertex3fv(0, 1, 0)", "glEnd()"}));
    TextStream out;
    EXPECT_FALSE(triangle->print(out.file()));
    EXPECT_EQ(out.text(), "");
}

TEST(TextForm, AFullDeviceFailsTheFirstWrite) {
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    Ref<Line> line = create<Line>(Vector3{}, Vector3{});
    EXPECT_FALSE(line->print(full));
    Ref<ABox> box = create<ABox>();
    EXPECT_FALSE(box->print(full));
    std::fclose(full);
}

}  // namespace
}  // namespace kelvaro
