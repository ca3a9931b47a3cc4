#include "app/charge_edits.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace kelvaro {
namespace {

const ABox& unitBox() {
    static const Model model("", {-1, -1, -1}, {1, 1, 1}, {}, false, false);
    return model.bounds();
}

TEST(ChargeEdits, TypedTextsAreReadAsAModelFileReadsThem) {
    const TypedCharge typed = readTypedCharge({" 2.5e-1", "-1", "1", ".5"}, unitBox());
    ASSERT_TRUE(typed.charge) << typed.refusal;
    EXPECT_EQ(typed.charge->value, 0.25);
    EXPECT_EQ(typed.charge->position.x, -1.0f);  // the box's faces are inside
    EXPECT_EQ(typed.charge->position.z, 0.5f);

    const Charge third{1.0 / 3.0, {0.1f, -0.104274996f, 0.0f}};
    const TypedCharge again = readTypedCharge(chargeTexts(third), unitBox());
    ASSERT_TRUE(again.charge);
    EXPECT_EQ(again.charge->value, static_cast<double>(static_cast<float>(1.0 / 3.0)));
    EXPECT_EQ(again.charge->position.y, -0.104274996f);
}

TEST(ChargeEdits, RefusesWhatAModelFileCannotHold) {
    const struct {
        ChargeTexts texts;
        const char* refusal;
    } cases[] = {
        {{"abc", "0", "0", "0"}, "Value \"abc\" is not a number.\n"},
        {{"+1", "0", "0", "0"}, "Value \"+1\" is not a number.\n"},
        {{"1e39", "0", "0", "0"}, "Value \"1e39\" is not a finite number.\n"},
        {{"1", "", "0", "0"}, "X \"\" is not a number.\n"},
        {{"1", "0", "1.0000001", "0"}, "Y \"1.0000001\" lies outside the model's box, -1 to 1.\n"},
        {{"1", "0", "0", "-2"}, "Z \"-2\" lies outside the model's box, -1 to 1.\n"},
    };
    for (const auto& each : cases) {
        const TypedCharge typed = readTypedCharge(each.texts, unitBox());
        EXPECT_FALSE(typed.charge);
        EXPECT_EQ(typed.refusal, each.refusal);
    }
}

TEST(ChargeEdits, ANewChargeOfOneSitsAtTheCentreOfARoomyModel) {
    const Model shifted("", {0, 1, -3}, {1, 2, 3}, {}, false, false);
    const TypedCharge added = newCharge(shifted);
    ASSERT_TRUE(added.charge);
    EXPECT_EQ(added.charge->value, 1.0);
    EXPECT_EQ(added.charge->position.x, 0.5f);
    EXPECT_EQ(added.charge->position.y, 1.5f);
    EXPECT_EQ(added.charge->position.z, 0.0f);

    const std::vector<Charge> full(Model::maxCharges, Charge{1.0, {0, 0, 0}});
    const Model crowded("", {-1, -1, -1}, {1, 1, 1}, full, false, false);
    EXPECT_EQ(newCharge(crowded).refusal, "A model holds at most 99 charges.\n");
    const Model endless("", {0, 0, 0}, {std::numeric_limits<float>::infinity(), 1, 1}, {}, false, false);
    EXPECT_EQ(newCharge(endless).refusal, "The model's box has no finite centre.\n");
}

}  // namespace
}  // namespace kelvaro
