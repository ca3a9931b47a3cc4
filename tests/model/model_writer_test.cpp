#include "model/model_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "model/model_numbers.h"
#include "tests/model/model_text.h"
#include "tests/support/comma_locale.h"

namespace kelvaro::testing {
namespace {

std::unique_ptr<Model> writtenAndRead(const Model& model) {
    const std::optional<std::string> text = modelFileText(model);
    if (!text) {
        ADD_FAILURE() << "the model was not written";
        return nullptr;
    }
    return readModel(*text);
}

TEST(ModelWriter, EveryExampleReadsBackIntoTheSameModel) {
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream file;
        file << in.rdbuf();
        const auto model = readModel(file.str());
        ASSERT_TRUE(model);
        const auto back = writtenAndRead(*model);
        ASSERT_TRUE(back);
        EXPECT_EQ(describe(*back), describe(*model));
        EXPECT_EQ(modelFileText(*back), modelFileText(*model));
    }
}

// Values that need all nine significant digits of a float, the extremes, signed zeros,
// infinities (which files reach by overflow) and random bit patterns, in every place a
// number is written; and a name with every character the reader treats specially.
TEST(ModelWriter, NumbersAndNamesReadBackToTheSameBits) {
    std::vector<float> values = {1.00000012f, 0.104274996f, 0.1f, 1.0f / 3.0f, 16777215.0f, 123456792.0f, -0.0f, 0.0f,
                                 FLT_MIN, FLT_MAX, -FLT_MAX, std::numeric_limits<float>::denorm_min(),
                                 3.40282326e38f, std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity()};
    std::mt19937 random(7);
    while (values.size() < 4 * 99) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (!std::isnan(value)) values.push_back(value);
    }
    std::vector<Charge> charges;
    for (std::size_t i = 0; i + 4 <= values.size(); i += 4) {
        charges.push_back({values[i], {values[i + 1], values[i + 2], values[i + 3]}});
    }
    const Model model("\"Quotes\", a \\ backslash,\ta tab,\nnew\rlines", {-0.0f, 1.00000012f, -FLT_MAX},
                      {0.0f, 2.0f, 0.1f}, charges, true, true);
    const auto back = writtenAndRead(model);
    ASSERT_TRUE(back);
    EXPECT_EQ(describe(*back), describe(model));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back->bounds().min.x), std::bit_cast<std::uint32_t>(-0.0f));
    EXPECT_EQ(back->charges()[0].value, 1.00000012f);
}

TEST(ModelWriter, WritesTheShortestTextAndRefusesWhatNoFileStates) {
    EXPECT_EQ(modelNumberText(0.5f), "0.5");
    EXPECT_EQ(modelNumberText(0.1f), "0.1");
    EXPECT_EQ(modelNumberText(1.00000012f), "1.0000001");
    EXPECT_EQ(modelNumberText(0.104274996f), "0.104274996");  // 8 digits name another float
    EXPECT_EQ(modelNumberText(-0.0f), "-0");
    EXPECT_EQ(modelNumberText(std::nanf("")), std::nullopt);
    const Charge notANumber{std::nan(""), {0, 0, 0}};
    EXPECT_FALSE(modelFileText(Model("", {-1, -1, -1}, {1, 1, 1}, {&notANumber, 1}, false, false)));
    EXPECT_FALSE(modelFileText(Model(std::string_view("a\0b", 3), {-1, -1, -1}, {1, 1, 1}, {}, false, false)));
}

TEST(ModelNumbers, ReadsOneNumberAsTheReaderDoes) {
    EXPECT_EQ(readModelNumber(" -2.5e-1 "), -0.25f);
    EXPECT_EQ(readModelNumber(".5"), 0.5f);
    EXPECT_EQ(readModelNumber("1e39"), std::numeric_limits<float>::infinity());
    for (const char* text : {"", " ", "abc", "+1", "1 2", "1e400", "1e", "-", "1,5", "nan", "inf", "1 \\\\ x"}) {
        EXPECT_EQ(readModelNumber(text), std::nullopt) << '"' << text << '"';
    }
}

// A host program (a Python session in a desktop program) may have chosen a locale whose
// decimal point is a comma: the file is written with full stops all the same.
TEST(ModelWriter, WritesFullStopsInALocaleWithADecimalComma) {
    std::string why;
    const auto locale = commaLocale(why);
    if (!locale) GTEST_SKIP() << why;
    const Charge charges[] = {{0.5, {-0.25f, 0.1f, 0.0f}}};
    const Model model("Comma", {-1.5f, -1.5f, -1.5f}, {1.5f, 1.5f, 1.5f}, charges, false, false);
    std::optional<std::string> text;
    {
        const CommaLocaleScope scope(*locale);
        ASSERT_TRUE(CommaLocaleScope::active());
        text = modelFileText(model);
    }
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("BOUNDS FROM -1.5, -1.5, -1.5 TO 1.5, 1.5, 1.5\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("POINT 0.5 AT -0.25, 0.1, 0\n"), std::string::npos) << *text;
}

}  // namespace
}  // namespace kelvaro::testing
