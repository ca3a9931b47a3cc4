#include "scene/attribute_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/scene/scene_test_support.h"

namespace kelvaro {
namespace {

using testing::Calls;
using testing::drawCalls;
using testing::textOf;
using testing::TextStream;

Ref<AttributeSet> surfaceMaterial(bool withAlpha) {
    Ref<AttributeSet> set = create<AttributeSet>(Vector3{1.0f, 0.5f, 0.25f});
    set->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    if (withAlpha) set->setAlpha(0.6f);
    return set;
}

TEST(Palette, HoldsNineteenColoursAndADefault) {
    EXPECT_EQ(paletteColor(0).x, 0.0f);
    EXPECT_EQ(paletteColor(3).y, 0.5f);
    EXPECT_EQ(paletteColor(13).y, 0.7f);
    EXPECT_EQ(paletteColor(18).x, 0.3f);
    EXPECT_EQ(paletteColor(1).x, paletteColor(11).x);
    for (int index : {-1, 19, 25}) {
        const Vector3 c = paletteColor(index);
        EXPECT_EQ(c.x, 0.3f);
        EXPECT_EQ(c.y, 0.3f);
        EXPECT_EQ(c.z, 0.3f);
    }
}

TEST(AttributeSet, IndexNineteenHasNoFlagsAndDrawsNothing) {
    Ref<AttributeSet> set = create<AttributeSet>(19);
    EXPECT_EQ(set->flags(), 0u);
    EXPECT_EQ(set->color().x, 0.3f);
    EXPECT_TRUE(drawCalls(*set).empty());
    EXPECT_EQ(textOf(*set), "AttributeSet(0, )\n");

    set->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    EXPECT_EQ(set->flags(), 0xF4u);
    EXPECT_TRUE(drawCalls(*set).empty());
    EXPECT_EQ(textOf(*set), "AttributeSet(F4, )\n");
}

TEST(AttributeSet, IndicesOutsideThePaletteGiveGreyWithColour) {
    for (int index : {25, -1}) {
        Ref<AttributeSet> set = create<AttributeSet>(index);
        EXPECT_EQ(set->flags(), AttributeSet::ColorSet);
        EXPECT_EQ(set->color().z, 0.3f);
    }
}

TEST(AttributeSet, PlainColourTurnsLightingOffAndSetsTheColour) {
    Ref<AttributeSet> set = create<AttributeSet>(Vector3{1.0f, 0.7f, 0.49f});
    EXPECT_EQ(set->flags(), 1u);
    EXPECT_EQ(set->ambient(), 0.0f);
    EXPECT_EQ(set->shininess(), 0.0f);
    EXPECT_EQ(drawCalls(*set), (Calls{"glDisable(GL_LIGHTING)", "glColor3f(1, 0.7, 0.49)"}));
    EXPECT_EQ(textOf(*set), "AttributeSet(1, 0.0, 0.0, 0.0, 0.0)\n");
}

TEST(AttributeSet, LitMaterialWithAlphaSetsFrontMaterials) {
    Ref<AttributeSet> set = surfaceMaterial(true);
    EXPECT_EQ(set->flags(), 0x1F5u);
    EXPECT_EQ(textOf(*set), "AttributeSet(1F5, 0.2, 0.8, 1, 40)\n");
    EXPECT_EQ(drawCalls(*set), (Calls{
                                   "glEnable(GL_LIGHTING)",
                                   "glMaterialfv(GL_FRONT, GL_AMBIENT, 0.2, 0.1, 0.05, 0.6)",
                                   "glMaterialfv(GL_FRONT, GL_DIFFUSE, 0.8, 0.4, 0.2, 0.6)",
                                   "glMaterialfv(GL_FRONT, GL_SPECULAR, 1, 0.5, 0.25, 0.6)",
                                   "glMaterialf(GL_FRONT, GL_SHININESS, 40)",
                               }));
}

TEST(AttributeSet, LitMaterialWithoutAlphaUsesZeroForTheFourthComponent) {
    Ref<AttributeSet> set = surfaceMaterial(false);
    EXPECT_EQ(set->flags(), 0xF5u);
    const Calls calls = drawCalls(*set);
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[1], "glMaterialfv(GL_FRONT, GL_AMBIENT, 0.2, 0.1, 0.05, 0)");
    EXPECT_EQ(calls[3], "glMaterialfv(GL_FRONT, GL_SPECULAR, 1, 0.5, 0.25, 0)");
}

TEST(AttributeSet, ProductsAreSinglePrecision) {
    Ref<AttributeSet> set = create<AttributeSet>(Vector3{0.7f, 0.3f, 0.1f});
    set->setMaterial(0.2f, 0.8f, 1.0f, 40.0f);
    EXPECT_EQ(set->color().x * set->ambient(), static_cast<float>(0.7f * 0.2f));
    EXPECT_EQ(drawCalls(*set)[1], "glMaterialfv(GL_FRONT, GL_AMBIENT, 0.14, 0.06, 0.02, 0)");
}

TEST(AttributeSet, PrintFailsPartWay) {
    Ref<AttributeSet> set = surfaceMaterial(true);
    TextStream out(20);
    EXPECT_FALSE(set->print(out.file()));
    EXPECT_EQ(out.text(), "AttributeSet(1F5, 0.");

    TextStream full(0);
    EXPECT_FALSE(set->print(full.file()));
    EXPECT_EQ(full.text(), "");
}

}  // namespace
}  // namespace kelvaro
