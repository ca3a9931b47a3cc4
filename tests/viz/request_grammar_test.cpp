#include "viz/request_grammar.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

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

TEST(RequestGrammar, ReadsTheTracerProbesAndGaussSpheres) {
    ParsedRequest accurate = parsed("lines 20 accurate");
    EXPECT_EQ(accurate.method, FieldLineMethod::Accurate);
    EXPECT_EQ(accurate.text, "lines 20 accurate");
    EXPECT_EQ(describe(accurate), "Field lines, 20 per charge, accurate");
    ParsedRequest euler = parsed("lines 20 euler");
    ParsedRequest unstated = parsed("lines 20");
    EXPECT_EQ(describe(unstated), "Field lines, 20 per charge");
    // The teaching style's default is the accurate tracer, but for words that name one.
    for (ParsedRequest* request : {&accurate, &euler, &unstated}) settleLineMethod(*request, true);
    EXPECT_EQ(accurate.method, FieldLineMethod::Accurate);
    EXPECT_EQ(euler.method, FieldLineMethod::Euler);
    EXPECT_EQ(unstated.method, FieldLineMethod::Accurate);
    settleLineMethod(unstated, false);
    EXPECT_EQ(unstated.method, FieldLineMethod::Euler);

    const ParsedRequest probe = parsed("probe 0 0.5 -1e-1");
    EXPECT_EQ(probe.kind, VisualisationRequest::Kind::Probe);
    EXPECT_EQ(probe.point.z, -0.1f);
    EXPECT_EQ(describe(probe), "Probe at (0, 0.5, -0.1)");
    const ParsedRequest sphere = parsed("gauss 1 2 3 0.25");
    EXPECT_EQ(sphere.kind, VisualisationRequest::Kind::GaussSphere);
    EXPECT_EQ(sphere.radius, 0.25f);
    EXPECT_EQ(describe(sphere), "Gauss sphere at (1, 2, 3), radius 0.25");
}

// The options of lines in any order, each at most once; a repeat or a misspelt option is
// refused with a message naming it, and the next request's word ends the options.
TEST(RequestGrammar, LineOptionsInAnyOrderEachOnce) {
    for (const char* words : {"lines 20 accurate proportional strength", "lines 20 proportional accurate strength",
                              "lines 20 strength proportional accurate"}) {
        const ParsedRequest lines = parsed(words);
        EXPECT_EQ(lines.method, FieldLineMethod::Accurate) << words;
        EXPECT_TRUE(lines.methodStated && lines.proportional && lines.strengthColours) << words;
        EXPECT_EQ(requestWords(lines), "lines 20 accurate proportional strength") << words;
    }
    EXPECT_EQ(describe(parsed("lines 20 strength accurate")), "Field lines, 20 per charge, accurate, by strength");
    const ParsedRequest euler = parsed("lines 3 proportional euler");
    EXPECT_EQ(euler.method, FieldLineMethod::Euler);
    EXPECT_TRUE(euler.methodStated);

    const std::pair<const char*, const char*> refused[] = {
        {"lines 20 accurate euler", "lines 20 names its tracer once, accurate or euler"},
        {"lines 20 accurate accurate", "lines 20 names its tracer once, accurate or euler"},
        {"lines 20 proportional strength proportional", "lines 20 takes \"proportional\" once"},
        {"lines 20 proportionl", "\"proportionl\" is no option of lines 20 (its options: accurate or euler, "
                                 "proportional, strength)"},
        {"hedgehog 9 accurate", "\"accurate\" is no option of hedgehog 9 (its options: strength)"},
        {"plane z 0 strength fieldlines 2 strength", "plane z takes \"strength\" once"},
        {"plane z levels 3 potentials 1", "plane z takes its levels once, as levels N or as potentials V,V,..."},
    };
    for (const auto& [words, message] : refused) {
        std::string error;
        EXPECT_FALSE(parseRequestText(words, error)) << words;
        EXPECT_EQ(error, message) << words;
    }
    // In a row of requests, as kelvaro-batch reads them, the next request ends the options.
    const std::vector<std::string> row{"lines", "2", "strength", "plane", "z", "strength", "hedgehog", "5", "-o"};
    std::size_t at = 0;
    std::string error;
    for (const auto kind : {VisualisationRequest::Kind::FieldLines, VisualisationRequest::Kind::Plane,
                            VisualisationRequest::Kind::Hedgehog}) {
        const auto request = parseRequest(row, at, error);
        ASSERT_TRUE(request) << error;
        EXPECT_EQ(request->kind, kind);
        EXPECT_TRUE(request->strengthColours || kind == VisualisationRequest::Kind::Hedgehog);
    }
    EXPECT_EQ(at, row.size() - 1) << "\"-o\" is left to the caller";
}

TEST(RequestGrammar, RefusesWhatIsNoSingleRequest) {
    for (const char* wrong : {"", "lines", "lines 2.5", "lines many", "surface nan leave", "surface 1 sideways",
                              "surface 1,5 leave", "lines 2 lines 3", "lines 2 exact", "probe 1 2",
                              "probe nan 0 0", "probe 1e39 0 0", "gauss 0 0 0 0", "gauss 0 0 0 -1", "gauss 0 0 0 inf",
                              "gauss 0 0 0"}) {
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
    VisualisationRequest accurate{VisualisationRequest::Kind::FieldLines, 20};
    accurate.method = FieldLineMethod::Accurate;
    EXPECT_EQ(requestWords(accurate), "lines 20 accurate");
    VisualisationRequest sphere{VisualisationRequest::Kind::GaussSphere};
    sphere.point = {1.0f / 3.0f, -0.0f, 2.5f};
    sphere.radius = 0.30000001f;
    const ParsedRequest sphereBack = parsed(requestWords(sphere).c_str());
    EXPECT_EQ(sphereBack.kind, VisualisationRequest::Kind::GaussSphere);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(sphereBack.point.x), std::bit_cast<std::uint32_t>(sphere.point.x));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(sphereBack.point.y), std::bit_cast<std::uint32_t>(sphere.point.y));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(sphereBack.radius), std::bit_cast<std::uint32_t>(sphere.radius));
    VisualisationRequest probe{VisualisationRequest::Kind::Probe};
    probe.point = {0.0f, 0.5f, -1e-3f};
    EXPECT_EQ(requestWords(probe), "probe 0 0.5 -0.001");
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
