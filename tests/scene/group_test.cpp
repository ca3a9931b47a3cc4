#include "scene/group.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/attribute_set.h"
#include "scene/primitives.h"
#include "tests/scene/text_stream.h"
#include "tests/support/gl_recorder.h"

namespace kelvaro {
namespace {

using testing::clearGlCalls;
using testing::recordedGlCalls;
using testing::TextStream;

// A leaf that logs its own destruction, to count destruction cascades.
class Probe : public AttributedObject {
public:
    Probe(std::vector<std::string>& log, std::string name)
        : AttributedObject(PointType), log_(log), name_(std::move(name)) {}
    bool print(std::FILE* stream) const override { return std::fputs(name_.c_str(), stream) >= 0; }
    void draw() const override {}

protected:
    ~Probe() override { log_.push_back(name_); }

private:
    std::vector<std::string>& log_;
    std::string name_;
};

Ref<Line> makeLine(float x) { return create<Line>(Vector3{x, 0, 0}, Vector3{x, 1, 0}); }

TEST(Group, GrowsWhenCountReachesCapacityMinusOne) {
    Ref<Group> group = create<Group>(20, 20);
    std::vector<Ref<Line>> lines;
    for (int i = 0; i < 41; ++i) {
        lines.push_back(makeLine(static_cast<float>(i)));
        group->add(*lines.back());
        const int count = i + 1;
        EXPECT_EQ(group->count(), count);
        EXPECT_EQ(group->capacity(), count < 20 ? 20 : count < 40 ? 40 : 60) << "after child " << count;
    }
    for (int i = 0; i < 41; ++i) EXPECT_EQ(&group->child(i), lines[i].get()) << "child " << i;
    EXPECT_EQ(group->growthStep(), 20);
}

TEST(Group, AGrowthStepOfZeroStillLeavesAFreeSlot) {
    Ref<Group> group = create<Group>(1, 0);
    Ref<Line> line = makeLine(0);
    for (int i = 0; i < 5; ++i) group->add(*line);
    EXPECT_EQ(group->count(), 5);
    EXPECT_GT(group->capacity(), group->count());
    EXPECT_EQ(line->refCount(), 6);
}

TEST(Group, SharedChildIsCountedByEveryHolder) {
    Ref<Line> child = makeLine(1);
    Ref<Group> first = create<Group>(20, 20);
    Ref<Group> second = create<Group>(20, 20);
    first->add(*child);
    second->add(*child);
    EXPECT_EQ(child->refCount(), 3);

    Line* raw = child.get();
    child.reset();
    first.reset();
    EXPECT_EQ(raw->refCount(), 1);

    clearGlCalls();
    second->draw();
    EXPECT_EQ(recordedGlCalls(),
              (std::vector<std::string>{"glBegin(GL_LINES)", "glVertex3f(1, 0, 0)", "glVertex3f(1, 1, 0)", "glEnd()"}));
}

TEST(Group, DestructionReleasesChildrenInOrderThenTheSet) {
    std::vector<std::string> log;
    Ref<Group> outer = create<Group>(20, 20);
    Ref<Group> inner = create<Group>(20, 20);
    inner->add(*create<Probe>(log, "inner-a")).add(*create<Probe>(log, "inner-b"));
    outer->add(*create<Probe>(log, "a")).add(*inner).add(*create<Probe>(log, "c"));
    Ref<Probe> kept = create<Probe>(log, "kept");
    outer->add(*kept);
    inner.reset();

    outer.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"a", "inner-a", "inner-b", "c"}));
    EXPECT_EQ(kept->refCount(), 1);
}

TEST(Group, SetAttributesReleasesThePreviousSet) {
    Ref<Group> group = create<Group>(20, 20);
    Ref<AttributeSet> first = create<AttributeSet>(2);
    group->setAttributes(first);
    EXPECT_EQ(first->refCount(), 2);
    group->setAttributes(create<AttributeSet>(3));
    EXPECT_EQ(first->refCount(), 1);
    EXPECT_EQ(group->attributes()->color().y, 0.5f);
}

TEST(Group, SetColorRecoloursASharedSetForEverySharer) {
    Ref<PolyLine> original = create<PolyLine>(4);
    original->append({0, 0, 0});
    original->setColor({0.7f, 0.7f, 0.0f});
    Ref<PolyLine> copy = create<PolyLine>(*original);
    EXPECT_EQ(copy->attributes(), original->attributes());
    EXPECT_EQ(original->attributes()->refCount(), 2);

    copy->setColor({0.0f, 0.0f, 1.0f});
    EXPECT_EQ(original->attributes()->color().z, 1.0f);
    EXPECT_EQ(original->attributes()->flags(), AttributeSet::ColorSet);
}

TEST(Group, SetColorKeepsMaterialOfAnExistingSet) {
    Ref<Line> line = makeLine(0);
    Ref<AttributeSet> set = create<AttributeSet>(19);
    set->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    line->setAttributes(std::move(set));
    line->setColor({1, 0, 0});
    EXPECT_EQ(line->attributes()->flags(), 0xF5u);
    EXPECT_EQ(line->attributes()->diffuse(), 0.8f);
}

TEST(Group, PrintSeparatesChildrenAndIgnoresItsOwnSet) {
    Ref<Group> group = create<Group>(20, 20);
    group->setColor({1, 1, 1});
    Ref<Point> point = create<Point>();
    point->position = {1, 2, 3};
    group->add(*point).add(*makeLine(0.5f));
    TextStream out;
    EXPECT_TRUE(group->print(out.file()));
    EXPECT_EQ(out.text(), "Group(Point(1, 2, 3)\n;Line(0.5, 0, 0; 0.5, 1, 0)\n)");

    Ref<Group> empty = create<Group>(20, 20);
    TextStream emptyOut;
    EXPECT_TRUE(empty->print(emptyOut.file()));
    EXPECT_EQ(emptyOut.text(), "Group()");
}

TEST(Group, PrintStopsAtATriangle) {
    Ref<Group> group = create<Group>(20, 20);
    group->add(*makeLine(0)).add(*create<Triangle>(Vector3{}, Vector3{1, 0, 0}, Vector3{0, 1, 0})).add(*makeLine(1));
    TextStream out;
    EXPECT_FALSE(group->print(out.file()));
    EXPECT_EQ(out.text(), "Group(Line(0, 0, 0; 0, 1, 0)\n;");
}

TEST(Group, PrintFailsWhenAChildsWriteFails) {
    Ref<Group> group = create<Group>(20, 20);
    group->add(*makeLine(0)).add(*makeLine(1));
    TextStream out(40);
    EXPECT_FALSE(group->print(out.file()));
    EXPECT_EQ(out.text(), "Group(Line(0, 0, 0; 0, 1, 0)\n;Line(1, 0,");
}

TEST(PointArray, AppendStopsAtCapacityAndCopiesAreExact) {
    PointArray points(500);
    for (int i = 0; i < 501; ++i) points.append({static_cast<float>(i), 0, 0});
    EXPECT_EQ(points.count(), 500);
    EXPECT_EQ(points.point(499).x, 499.0f);

    PointArray partial(500);
    for (int i = 0; i < 37; ++i) partial.append({0, static_cast<float>(i), 0});
    const PointArray copy(partial);
    EXPECT_EQ(copy.capacity(), 37);
    EXPECT_EQ(copy.count(), 37);
    for (int i = 0; i < 37; ++i) EXPECT_EQ(copy.point(i).y, static_cast<float>(i));

    partial.clear();
    EXPECT_EQ(partial.count(), 0);
    EXPECT_EQ(partial.capacity(), 500);
}

TEST(SceneObject, TypeCodesAndTheQueryAnswerFalse) {
    Ref<AttributeSet> set = create<AttributeSet>(1);
    Ref<Group> group = create<Group>(20, 20);
    Ref<Sphere> sphere = create<Sphere>(1.0f);
    Ref<Triangle> triangle = create<Triangle>(Vector3{}, Vector3{}, Vector3{});
    Ref<ABox> box = create<ABox>();
    Ref<PolyLine> polyLine = create<PolyLine>(2);
    EXPECT_EQ(set->typeCode(), 1);
    EXPECT_EQ(create<Point>()->typeCode(), 2);
    EXPECT_EQ(makeLine(0)->typeCode(), 5);
    EXPECT_EQ(polyLine->typeCode(), 6);
    EXPECT_EQ(box->typeCode(), 7);
    EXPECT_EQ(triangle->typeCode(), 9);
    EXPECT_EQ(sphere->typeCode(), 10);
    EXPECT_EQ(group->typeCode(), 11);
    const int key = 0;
    for (const SceneObject* object : std::vector<const SceneObject*>{set.get(), group.get(), sphere.get(), triangle.get(),
                                                                     box.get(), polyLine.get()}) {
        EXPECT_FALSE(object->matches(&key));
        EXPECT_EQ(object->refCount(), 1);
    }
}

}  // namespace
}  // namespace kelvaro
