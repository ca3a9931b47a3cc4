#include "app/typed_charge.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace kelvaro {
namespace {

TEST(TypedCharge, TypedTextsAreReadAsAFileReadsThemAndRefusedOutsideTheRules) {
    const Model unit("", {-1, -1, -1}, {1, 1, 1}, {}, false, false);
    const TypedCharge typed = readTypedCharge({" 2.5e-1", "-1", "1", ".5"}, unit.bounds());
    ASSERT_TRUE(typed.charge) << typed.refusal;
    EXPECT_EQ(typed.charge->value, 0.25);
    EXPECT_EQ(typed.charge->position.x, -1.0f);  // the box's faces are inside
    EXPECT_EQ(typed.charge->position.z, 0.5f);
    const Charge third{static_cast<float>(1.0 / 3.0), {0.1f, -0.104274996f, 0.0f}};
    const TypedCharge shown = readTypedCharge(chargeTexts(third), unit.bounds());
    ASSERT_TRUE(shown.charge);
    EXPECT_EQ(shown.charge->value, third.value);
    EXPECT_EQ(shown.charge->position.y, -0.104274996f);

    const struct {
        ChargeTexts texts;
        const char* refusal;
    } refused[] = {
        {{"abc", "0", "0", "0"}, "Value \"abc\" is not a number.\n"},
        {{"+1", "0", "0", "0"}, "Value \"+1\" is not a number.\n"},
        {{"1e39", "0", "0", "0"}, "Value \"1e39\" is not a finite number.\n"},
        {{"1", "", "0", "0"}, "X \"\" is not a number.\n"},
        {{"1", "0", "1.0000001", "0"}, "Y \"1.0000001\" lies outside the model's box, -1 to 1.\n"},
        {{"1", "0", "0", "-2"}, "Z \"-2\" lies outside the model's box, -1 to 1.\n"},
    };
    for (const auto& each : refused) {
        const TypedCharge refusedCharge = readTypedCharge(each.texts, unit.bounds());
        EXPECT_FALSE(refusedCharge.charge);
        EXPECT_EQ(refusedCharge.refusal, each.refusal);
    }
}

TEST(TypedCharge, ANewChargeOfOneSitsAtTheCentreOfARoomyModel) {
    const TypedCharge added = newCharge(Model("", {0, 1, -3}, {1, 2, 3}, {}, false, false));
    ASSERT_TRUE(added.charge);
    EXPECT_EQ(added.charge->value, 1.0);
    EXPECT_EQ(added.charge->position.x, 0.5f);
    EXPECT_EQ(added.charge->position.y, 1.5f);
    EXPECT_EQ(added.charge->position.z, 0.0f);

    const std::vector<Charge> full(Model::maxCharges, Charge{1.0, {0, 0, 0}});
    EXPECT_EQ(newCharge(Model("", {-1, -1, -1}, {1, 1, 1}, full, false, false)).refusal,
              "A model holds at most 99 charges.\n");
    const float infinity = std::numeric_limits<float>::infinity();
    EXPECT_EQ(newCharge(Model("", {0, 0, 0}, {infinity, 1, 1}, {}, false, false)).refusal,
              "The model's box has no finite centre.\n");
}

TEST(TypedCharge, EditActionsGiveTheChargesAfterThemOrTheirRefusal) {
    const Charge charges[] = {{1.0, {0.0f, 0.0f, 0.0f}}, {-2.0, {0.5f, 0.0f, 0.0f}}};
    const Model model("", {-1, -1, -1}, {1, 1, 1}, charges, false, false);
    const ChargeEdit applied = chargesWithTyped(model, 1, {"3", "0", "0.25", "0"});
    ASSERT_TRUE(applied.charges) << applied.refusal;
    ASSERT_EQ(applied.charges->size(), 2u);
    EXPECT_EQ((*applied.charges)[0].value, 1.0) << "the other charge as it was";
    EXPECT_EQ((*applied.charges)[1].value, 3.0);
    EXPECT_EQ((*applied.charges)[1].position.y, 0.25f);
    EXPECT_EQ(chargesWithTyped(model, 1, {"x", "0", "0", "0"}).refusal, "Value \"x\" is not a number.\n");
    for (const std::optional<int> chosen : {std::optional<int>{}, std::optional<int>{2}, std::optional<int>{-1}}) {
        const ChargeEdit none = chargesWithTyped(model, chosen, {"1", "0", "0", "0"});
        EXPECT_FALSE(none.charges);
        EXPECT_EQ(none.refusal, "There is no charge to change: Add Charge makes one.\n");
        EXPECT_EQ(chargesWithout(model, chosen).refusal, "There is no charge to delete.\n");
    }

    const ChargeEdit added = chargesWithNew(model);
    ASSERT_TRUE(added.charges);
    ASSERT_EQ(added.charges->size(), 3u);
    EXPECT_EQ(added.charges->back().value, 1.0);
    const ChargeEdit deleted = chargesWithout(model, 0);
    ASSERT_TRUE(deleted.charges);
    ASSERT_EQ(deleted.charges->size(), 1u);
    EXPECT_EQ(deleted.charges->front().value, -2.0);

    const std::vector<Charge> many(Model::maxCharges, Charge{1.0, {0.0f, 0.0f, 0.0f}});
    const Model full("", {-1, -1, -1}, {1, 1, 1}, many, false, false);
    EXPECT_EQ(chargesWithNew(full).refusal, "A model holds at most 99 charges.\n");
}

}  // namespace
}  // namespace kelvaro
