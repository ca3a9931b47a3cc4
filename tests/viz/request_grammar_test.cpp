#include "viz/request_grammar.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "tests/support/comma_locale.h"

namespace kelvaro {
namespace {

ParsedRequest parsed(const char* text) {
    std::string error;
    const auto request = parseRequestText(text, error);
    EXPECT_TRUE(request) << text << ": " << error;
    return request.value_or(ParsedRequest{});
}

TEST(RequestGrammar, ReadsEachKindAndClampsToTheDialogsLimits) {
    ParsedRequest lines = parsed("lines   20");
    EXPECT_EQ(lines.kind, VisualisationRequest::Kind::FieldLines);
    EXPECT_EQ(lines.count, 20);
    EXPECT_EQ(lines.text, "lines 20");
    EXPECT_FALSE(lines.clamped);

    const ParsedRequest many = parsed("hedgehog 99999999999999999999");
    EXPECT_EQ(many.count, maxHedgehogLines);
    EXPECT_TRUE(many.clamped);

    const ParsedRequest surface = parsed("surface -1e9 enter");
    EXPECT_EQ(surface.kind, VisualisationRequest::Kind::Surface);
    EXPECT_EQ(surface.potential, minSurfaceLevel);
    EXPECT_EQ(surface.direction, 1);
    EXPECT_TRUE(surface.clamped);
}

TEST(RequestGrammar, RefusesWhatIsNoSingleRequest) {
    for (const char* wrong : {"", "lines", "lines 2.5", "lines many", "surface nan leave", "surface 1 sideways",
                              "surface 1,5 leave", "lines 2 lines 3"}) {
        std::string error;
        EXPECT_FALSE(parseRequestText(wrong, error)) << wrong;
        EXPECT_FALSE(error.empty()) << wrong;
    }
}

TEST(RequestGrammar, ReadsNumbersAlikeInALocaleWithADecimalComma) {
    std::string why;
    const auto locale = testing::commaLocale(why);
    if (!locale) GTEST_SKIP() << why;
    const testing::CommaLocaleScope scope(*locale);
    ASSERT_TRUE(testing::CommaLocaleScope::active());
    EXPECT_EQ(parsed("surface 1.5 leave").potential, 1.5f);
    EXPECT_EQ(parsed("surface 2.5e-1 enter").potential, 0.25f);
}

TEST(RequestGrammar, RequestWordsReadBackIntoTheSameRequest) {
    EXPECT_EQ(requestWords({VisualisationRequest::Kind::FieldLines, 20}), "lines 20");
    EXPECT_EQ(requestWords({VisualisationRequest::Kind::Hedgehog, 1000}), "hedgehog 1000");
    EXPECT_EQ(requestWords({VisualisationRequest::Kind::Surface, 0, 5.0f, 0}), "surface 5 leave");
    EXPECT_EQ(requestWords({VisualisationRequest::Kind::Surface, 0, -0.1f, 1}), "surface -0.1 enter");
    for (const float potential : {1.0f / 3.0f, -9.99999905f, 1e-30f, -0.0f, 0.30000001f, 7.00000048f}) {
        for (const int direction : {0, 1}) {
            const std::string words = requestWords({VisualisationRequest::Kind::Surface, 0, potential, direction});
            const ParsedRequest back = parsed(words.c_str());
            EXPECT_EQ(std::bit_cast<std::uint32_t>(back.potential), std::bit_cast<std::uint32_t>(potential)) << words;
            EXPECT_EQ(back.direction, direction) << words;
        }
    }
    std::string why;
    const auto locale = testing::commaLocale(why);
    if (!locale) GTEST_SKIP() << why;
    const testing::CommaLocaleScope scope(*locale);
    ASSERT_TRUE(testing::CommaLocaleScope::active());
    EXPECT_EQ(requestWords({VisualisationRequest::Kind::Surface, 0, 2.5f, 0}), "surface 2.5 leave");
}

}  // namespace
}  // namespace kelvaro
