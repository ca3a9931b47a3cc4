#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "model/model.h"
#include "model/model_colors.h"
#include "scene/attribute_set.h"
#include "tests/model/model_text.h"
#include "tests/support/gl_recorder.h"

namespace kelvaro::testing {
namespace {

void expectColor(const SceneObject& object, const Vector3& color) {
    const AttributeSet* set = static_cast<const AttributedObject&>(object).attributes();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->flags(), AttributeSet::ColorSet);
    EXPECT_EQ(set->color().x, color.x);
    EXPECT_EQ(set->color().y, color.y);
    EXPECT_EQ(set->color().z, color.z);
}

std::string lineText(const SceneObject& object) {
    const auto& line = static_cast<const Line&>(object);
    return std::to_string(line.start.x) + " " + std::to_string(line.start.y) + " " + std::to_string(line.start.z) +
           " > " + std::to_string(line.end.x) + " " + std::to_string(line.end.y) + " " + std::to_string(line.end.z);
}

TEST(Geometry, HoldsSpheresInChargeOrderThenAxes) {
    const auto model = readModel(unitBox("AXES ON\nPOINT -5 AT 0.5, 0, 0\nPOINT 0.1 AT 0, -0.5, 0.25\n"));
    ASSERT_TRUE(model);
    const Ref<Group> group = model->buildModelGeometry();
    ASSERT_TRUE(group);
    EXPECT_EQ(group->refCount(), 1);
    ASSERT_EQ(group->count(), 5);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(group->child(i).typeCode(), SphereType);
        const auto& sphere = static_cast<const Sphere&>(group->child(i));
        EXPECT_EQ(sphere.center.x, model->charges()[i].position.x);
        EXPECT_EQ(sphere.center.y, model->charges()[i].position.y);
        EXPECT_EQ(sphere.center.z, model->charges()[i].position.z);
        // The same radius whatever the charge.
        EXPECT_EQ(sphere.axes[0].x, 0.01f);
        EXPECT_EQ(sphere.axes[1].y, 0.01f);
        EXPECT_EQ(sphere.axes[2].z, 0.01f);
        expectColor(sphere, chargeColor);
    }
    for (int i = 2; i < 5; ++i) {
        ASSERT_EQ(group->child(i).typeCode(), LineType);
        expectColor(group->child(i), axisColor);
    }
    EXPECT_EQ(lineText(group->child(2)), lineText(*create<Line>(Vector3{-1, 0, 0}, Vector3{1, 0, 0})));
    EXPECT_EQ(lineText(group->child(3)), lineText(*create<Line>(Vector3{0, -1, 0}, Vector3{0, 1, 0})));
    EXPECT_EQ(lineText(group->child(4)), lineText(*create<Line>(Vector3{0, 0, -1}, Vector3{0, 0, 1})));
}

TEST(Geometry, GivesEveryChildItsOwnAttributeSet) {
    const auto model = readModel(unitBox("AXES ON\nPOINT 1 AT 0.5, 0, 0\nPOINT 1 AT -0.5, 0, 0\n"));
    ASSERT_TRUE(model);
    const Ref<Group> group = model->buildModelGeometry();
    ASSERT_TRUE(group);
    std::set<const AttributeSet*> sets;
    for (int i = 0; i < group->count(); ++i) {
        EXPECT_EQ(group->child(i).refCount(), 1);  // the group holds the only reference
        const AttributeSet* set = static_cast<const AttributedObject&>(group->child(i)).attributes();
        EXPECT_EQ(set->refCount(), 1);
        sets.insert(set);
    }
    EXPECT_EQ(sets.size(), 5u);
}

TEST(Geometry, IsEmptyOrAxesOnlyWithoutCharges) {
    const auto bare = readModel(unitBox());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->buildModelGeometry()->count(), 0);
    const auto withAxes = readModel(unitBox("AXES ON\n"));
    ASSERT_TRUE(withAxes);
    const Ref<Group> group = withAxes->buildModelGeometry();
    ASSERT_EQ(group->count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(group->child(i).typeCode(), LineType);
}

TEST(Geometry, DrawsAxesThroughTheOriginOutsideABoxAwayFromIt) {
    const auto model = readModel("BOUNDS FROM 1, 1, 1 TO 2, 2, 2\nAXES ON\n");
    ASSERT_TRUE(model);
    const Ref<Group> group = model->buildModelGeometry();
    ASSERT_EQ(group->count(), 3);
    EXPECT_EQ(lineText(group->child(0)), lineText(*create<Line>(Vector3{1, 0, 0}, Vector3{2, 0, 0})));
    EXPECT_EQ(lineText(group->child(1)), lineText(*create<Line>(Vector3{0, 1, 0}, Vector3{0, 2, 0})));
    EXPECT_EQ(lineText(group->child(2)), lineText(*create<Line>(Vector3{0, 0, 1}, Vector3{0, 0, 2})));
    for (int i = 0; i < 3; ++i) {
        const auto& line = static_cast<const Line&>(group->child(i));
        EXPECT_FALSE(model->bounds().contains(line.start));
        EXPECT_FALSE(model->bounds().contains(line.end));
    }
}

TEST(Geometry, OutlivesItsModel) {
    auto model = readModel(unitBox("POINT 1 AT 0.25, 0.5, 0.75\n"));
    ASSERT_TRUE(model);
    const Ref<Group> group = model->buildModelGeometry();
    model.reset();
    clearGlCalls();
    group->draw();
    const auto& calls = recordedGlCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "glTranslatef(0.25, 0.5, 0.75)"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "glColor3f(1, 1, 1)"), calls.end());
    EXPECT_EQ(liveQuadricCount(), 0);
}

}  // namespace
}  // namespace kelvaro::testing
