// The plane through the field and the colour options, against values worked out here:
// equipotential points on their levels, the colour maps' published ends, the counts of
// lines in proportion to charge, colours by strength, and what bad planes are told.

#include "viz/field_plane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "scene/shaded_primitives.h"
#include "tests/support/scene_checks.h"
#include "tests/viz/viz_test_support.h"
#include "viz/colour_maps.h"
#include "viz/request_grammar.h"
#include "viz/strength_colours.h"
#include "viz/visualisation_request.h"

namespace kelvaro {
namespace {

using testing::childrenOf;
using testing::modelFromText;

const char* const dipoleText = "BOUNDS FROM -1.5, -1.5, -1.5 TO 1.5, 1.5, 1.5\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\n";

// The potential at `p` summed here in long double, apart from the model's own evaluation.
long double potentialOf(const Model& model, const Vector3& p) {
    long double sum = 0.0L;
    for (const Charge& charge : model.charges()) {
        const long double dx = (long double)p.x - charge.position.x, dy = (long double)p.y - charge.position.y,
                          dz = (long double)p.z - charge.position.z;
        sum += charge.value / std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    return sum;
}

// |grad V| at `p`, the same way.
long double fieldStrengthOf(const Model& model, const Vector3& p) {
    long double x = 0, y = 0, z = 0;
    for (const Charge& charge : model.charges()) {
        const long double dx = (long double)p.x - charge.position.x, dy = (long double)p.y - charge.position.y,
                          dz = (long double)p.z - charge.position.z;
        const long double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        x += charge.value * dx / (r * r * r), y += charge.value * dy / (r * r * r), z += charge.value * dz / (r * r * r);
    }
    return std::sqrt(x * x + y * y + z * z);
}

void expectColour(const Vector3& colour, float r, float g, float b) {
    EXPECT_NEAR(colour.x, r, 1e-6f);
    EXPECT_NEAR(colour.y, g, 1e-6f);
    EXPECT_NEAR(colour.z, b, 1e-6f);
}

TEST(ColourMaps, EndsAreThePublishedColoursAndZeroIsWhite) {
    expectColour(divergingColour(1.0), 103 / 255.0f, 0.0f, 31 / 255.0f);  // RdBu's red end
    expectColour(divergingColour(-1.0), 5 / 255.0f, 48 / 255.0f, 97 / 255.0f);  // its blue end
    expectColour(divergingColour(0.0), 1.0f, 1.0f, 1.0f);
    expectColour(divergingColour(7.0), 103 / 255.0f, 0.0f, 31 / 255.0f);  // clamped
    expectColour(divergingColour(std::nan("")), 1.0f, 1.0f, 1.0f);
    EXPECT_GT(divergingColour(0.5).x, divergingColour(0.5).z) << "positive is red";
    EXPECT_GT(divergingColour(-0.5).z, divergingColour(-0.5).x) << "negative is blue";
    expectColour(viridisColour(0.0), 0.267004f, 0.004874f, 0.329415f);
    expectColour(viridisColour(1.0), 0.993248f, 0.906157f, 0.143936f);
    // Halfway lies between entries 127 and 128 of the table.
    expectColour(viridisColour(0.5), (0.128729f + 0.127568f) / 2, (0.563265f + 0.566949f) / 2,
                 (0.551229f + 0.550556f) / 2);
}

TEST(ColourMaps, ScalesFollowTheModelsChargesAndBox) {
    const auto model = modelFromText(dipoleText);
    ASSERT_TRUE(model);
    const double diagonal = std::sqrt(27.0);
    const PotentialScale scale = potentialScaleOf(*model);
    EXPECT_NEAR(scale.linear(), 2.0 / (4.0 * diagonal), 1e-12);
    EXPECT_NEAR(scale.largest(), 1.0 / 0.01, 1e-4);
    // Symmetric-logarithmic: position(V) = log(1 + V / linear) / log(1 + largest / linear).
    const double expected = std::log(1.0 + 1.0 / scale.linear()) / std::log(1.0 + scale.largest() / scale.linear());
    EXPECT_NEAR(scale.position(1.0), expected, 1e-12);
    EXPECT_NEAR(scale.position(-1.0), -expected, 1e-12);
    EXPECT_NEAR(scale.potential(expected), 1.0, 1e-9);
    EXPECT_EQ(scale.position(INFINITY), 1.0);
    EXPECT_EQ(scale.position(std::nan("")), 0.0);

    const StrengthScale strength = strengthScaleOf(*model);
    EXPECT_NEAR(strength.low, std::log10(1.0 / 27.0), 1e-12);
    EXPECT_NEAR(strength.high - strength.low, std::log10(400.0), 1e-12);
    EXPECT_NEAR(strength.position(std::pow(10.0, strength.low)), 0.0, 1e-12);
    EXPECT_NEAR(strength.position(std::pow(10.0, strength.high)), 1.0, 1e-12);
    EXPECT_EQ(strength.position(0.0), 0.0);
    EXPECT_EQ(strength.position(std::nan("")), 1.0);

    const auto empty = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\n");
    EXPECT_FALSE(potentialScaleOf(*empty).usable());
    EXPECT_TRUE(potentialScaleOf(*empty).spreadLevels(15).empty());
}

TEST(FieldPlane, DefaultLevelsSpreadAsTheColoursAndSymmetricAboutZero) {
    const auto model = modelFromText(dipoleText);
    const std::vector<double> levels = planeLevels(*model, FieldPlane{});
    ASSERT_EQ(levels.size(), 15u);
    const PotentialScale scale = potentialScaleOf(*model);
    for (int k = 0; k < 15; ++k) {
        EXPECT_NEAR(scale.position(levels[k]), (k - 7) / 8.0, 1e-12) << k;
        EXPECT_NEAR(levels[k], -levels[14 - k], 1e-9 * std::fabs(levels[k]));
    }
    EXPECT_EQ(levels[7], 0.0);
    FieldPlane own;
    own.levels = {2.5f, -1.0f};
    EXPECT_EQ(planeLevels(*model, own), (std::vector<double>{2.5, -1.0}));
}

// Every point of every equipotential line lies on its level to the root finder's
// tolerance (0.0005 of a grid edge, times the field there) and the rounding to single
// precision.
TEST(FieldPlane, EquipotentialPointsLieOnTheirLevels) {
    for (const char* text : {dipoleText, "BOUNDS FROM -1, -2, -1 TO 2, 1, 1\nPOINT 2 AT 0.3, 0.2, 0.1\nPOINT -0.5 AT -0.4, "
                                          "-1, 0\nPOINT 1 AT 1, -0.5, -0.3\n"}) {
        const auto model = modelFromText(text);
        int points = 0;
        for (int axis : {0, 1, 2}) {
            FieldPlane plane;
            plane.axis = axis;
            const PlaneSamples samples = samplePlane(*model, plane);
            ASSERT_EQ(samples.us.size(), 256u);
            const double edge = std::max(double(samples.us[1]) - samples.us[0], double(samples.vs[1]) - samples.vs[0]);
            for (double level : planeLevels(*model, plane)) {
                for (const Equipotential& line : traceEquipotentials(*model, samples, level)) {
                    EXPECT_EQ(line.level, level);
                    for (const Vector3& p : line.points) {
                        const long double strength = fieldStrengthOf(*model, p);
                        const long double tolerance = strength * (0.0005 * edge + 4e-7) + 1e-9 * std::fabs(level);
                        ASSERT_LE(std::fabs(potentialOf(*model, p) - level), tolerance)
                            << "axis " << axis << ", level " << level << " at " << p.x << ", " << p.y << ", " << p.z;
                        ++points;
                    }
                }
            }
        }
        EXPECT_GT(points, 3000);  // the dipole's plane x = 0 has none: its potential is 0 all over
    }
}

// Round a single charge the level q / r is a circle of radius r: closed, and all of it.
TEST(FieldPlane, TheLevelOfALoneChargeIsOneClosedCircle) {
    const auto model = modelFromText("BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 2 AT 0.1, -0.2, 0\n");
    FieldPlane plane;
    const std::vector<Equipotential> lines = traceEquipotentials(*model, samplePlane(*model, plane), 4.0);
    ASSERT_EQ(lines.size(), 1u);
    const std::vector<Vector3>& circle = lines[0].points;
    ASSERT_GT(circle.size(), 100u);
    EXPECT_TRUE(circle.front().x == circle.back().x && circle.front().y == circle.back().y) << "closed";
    double turned = 0.0;
    for (std::size_t i = 0; i < circle.size(); ++i) {
        EXPECT_NEAR(std::hypot(circle[i].x - 0.1, circle[i].y + 0.2), 0.5, 2e-5);
        EXPECT_EQ(circle[i].z, 0.0f);
        if (i > 0) {
            turned += std::remainder(std::atan2(circle[i].y + 0.2, circle[i].x - 0.1) -
                                         std::atan2(circle[i - 1].y + 0.2, circle[i - 1].x - 0.1),
                                     2 * M_PI);
        }
    }
    EXPECT_NEAR(std::fabs(turned), 2 * M_PI, 1e-6) << "once round";
}

// The textbook dipole: in the plane z = 0 the lines stay in it, start on the circle round
// each charge, and every line from + to - is drawn once, from its positive end.
TEST(FieldPlane, TheDipolesLinesStayInItsPlaneAndAreDrawnOnce) {
    testing::ScratchDirectory scratch;
    const auto model = modelFromText(dipoleText);
    FieldPlane plane;
    plane.linesPerCharge = 16;
    const std::vector<LineStart> starts = planeLineStarts(*model, plane);
    ASSERT_EQ(starts.size(), 32u);
    EXPECT_EQ(starts[0].sign, 1.0);
    EXPECT_EQ(starts[16].sign, -1.0);
    EXPECT_NEAR(starts[4].point.y, 0.01, 1e-8) << "a quarter turn from +x towards +y";
    const Ref<Group> lines = planeFieldLines(*model, plane);
    ASSERT_TRUE(lines);
    int fromPositive = 0, endingOnPositive = 0;
    for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
        for (std::int32_t i = 0; i < line->count(); ++i) ASSERT_EQ(line->point(i).z, 0.0f);
        fromPositive += line->point(0).x < 0.0f;
        const Vector3& end = line->point(line->count() - 1);
        endingOnPositive += std::hypot(end.x + 0.5, end.y) < 0.011;
    }
    EXPECT_EQ(fromPositive, 16);
    EXPECT_EQ(endingOnPositive, 0) << "the lines from - that run into + are the lines from +";
    EXPECT_GT(lines->count(), 16) << "lines from - that leave the box stay";

    // The plane as a scene: its colour map, its level lines, its field lines.
    const Ref<Group> built = makeFieldPlane(*model, plane);
    ASSERT_TRUE(built);
    ASSERT_EQ(built->count(), 3);
    const auto* map = dynamic_cast<const ShadedGrid*>(&built->child(0));
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->columns(), 256);
    EXPECT_EQ(map->node(0, 0).x, -1.5f);
    EXPECT_EQ(map->node(255, 255).y, 1.5f);
    const PotentialScale scale = potentialScaleOf(*model);
    for (const auto& [i, j] : {std::pair{0, 0}, {60, 128}, {200, 31}}) {
        const Vector3 expected = divergingColour(scale.position(static_cast<double>(potentialOf(*model, map->node(i, j)))));
        expectColour(map->colour(i, j), expected.x, expected.y, expected.z);
    }
    EXPECT_GT(map->colour(60, 128).x, map->colour(60, 128).z) << "red round the positive charge";
    EXPECT_EQ(childrenOf<LevelLine>(static_cast<const Group&>(built->child(1))).size(), 15u);
    EXPECT_EQ(static_cast<const Group&>(built->child(2)).count(), lines->count());
    EXPECT_EQ(testing::firstNonFiniteVertex(*built), std::nullopt);
}

// The plane's lines are traced accurately in 3D: a dipole along z in the plane x = 0.25,
// off the box's centre, keeps every point of every line in that plane, and a line that
// runs into the negative charge ends on its stop distance, where the accurate tracer puts
// a line's end (the program's tracer stops anywhere inside it).
TEST(FieldPlane, LinesInAPlaneOfSymmetryAreTracedAccuratelyAndStayInIt) {
    const auto model = modelFromText(
        "BOUNDS FROM -1, -1, -1 TO 1.5, 1, 1\nPOINT 2 AT 0.25, 0, -0.4\nPOINT -1 AT 0.25, 0, 0.4\n");
    FieldPlane plane;
    plane.axis = 0;
    plane.offset = 0.25f;
    plane.linesPerCharge = 12;
    const Ref<Group> lines = planeFieldLines(*model, plane);
    ASSERT_TRUE(lines);
    int endingOnNegative = 0;
    for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
        for (std::int32_t i = 0; i < line->count(); ++i) ASSERT_LE(std::fabs(line->point(i).x - 0.25), 1e-6) << i;
        const Vector3& end = line->point(line->count() - 1);
        const double toNegative = std::hypot(end.x - 0.25, end.y, end.z - 0.4);
        if (toNegative < 0.02) {
            ++endingOnNegative;
            EXPECT_NEAR(toNegative, model->chargeRadius(), 1e-6);
        }
    }
    EXPECT_GT(endingOnNegative, 0);
}

TEST(FieldPlane, PlanesThatCannotBeMadeSayWhyAndBuildNothing) {
    const auto model = modelFromText(dipoleText);
    const auto problem = [&](auto change) {
        FieldPlane plane;
        change(plane);
        EXPECT_FALSE(makeFieldPlane(*model, plane));
        return planeProblem(*model, plane);
    };
    EXPECT_EQ(problem([](FieldPlane& p) { p.offset = 2.0f; }), "The plane z = 2 lies outside the box (z from -1.5 to 1.5).");
    EXPECT_EQ(problem([](FieldPlane& p) { p.axis = 0, p.offset = std::nanf(""); }),
              "The plane x = nan lies outside the box (x from -1.5 to 1.5).");
    EXPECT_EQ(problem([](FieldPlane& p) { p.levels = {1.0f, INFINITY}; }), "Every level of a plane must be a finite number.");
    EXPECT_EQ(problem([](FieldPlane& p) { p.axis = 3; }), "A plane is normal to x, y or z.");
    EXPECT_EQ(problem([](FieldPlane& p) { p.linesPerCharge = 101; }), "A plane starts 0 to 100 field lines round each charge.");
    const auto infinite = modelFromText("BOUNDS FROM 0, -1, -1 TO 1e39, 1, 1\nPOINT 1 AT 0, 0, 0\n");
    EXPECT_EQ(planeProblem(*infinite, FieldPlane{}), "A plane needs a box whose corners are finite numbers.");
    // On its faces it can.
    FieldPlane face;
    face.offset = -1.5f;
    EXPECT_EQ(planeProblem(*model, face), "");
}

TEST(ProportionalLines, EachChargeGetsItsShareRoundedAndAtLeastOne) {
    const auto model = modelFromText(
        "BOUNDS FROM -2, -2, -2 TO 2, 2, 2\nPOINT 1 AT -1, 0, 0\nPOINT -2 AT 1, 0, 0\nPOINT 0.5 AT 0, 1, 0\n"
        "POINT 0 AT 0, -1, 0\nPOINT 0.001 AT 0, 0, 1\nPOINT -0.25 AT 0, 0, -1\n");
    EXPECT_EQ(proportionalLineCounts(*model, 10), (std::vector<int>{5, 10, 3, 0, 1, 1}));
    EXPECT_EQ(proportionalLineCounts(*model, 1), (std::vector<int>{1, 1, 1, 0, 1, 1}));

    // Each charge's lines start at the seed set of its own count.
    int readCount = 0;
    const SeedReader evenSets = [&](int count) {
        ++readCount;
        auto set = std::make_unique<Vector3[]>(static_cast<std::size_t>(count));
        for (int k = 0; k < count; ++k) {
            const double angle = 2 * M_PI * k / count;
            set[static_cast<std::size_t>(k)] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle)), 0.0f};
        }
        return set;
    };
    const Ref<Group> lines = makeProportionalFieldLines(*model, 10, FieldLineMethod::Euler, evenSets);
    ASSERT_TRUE(lines);
    EXPECT_EQ(readCount, 4) << "one read for each count: 5, 10, 3, 1";
    std::vector<int> started(6, 0);
    for (const PolyLine* line : childrenOf<PolyLine>(*lines)) {
        for (int charge = 0; charge < 6; ++charge) {
            const Vector3& at = model->charges()[charge].position;
            if (std::hypot(line->point(0).x - at.x, line->point(0).y - at.y, line->point(0).z - at.z) < 0.0101) ++started[charge];
        }
    }
    EXPECT_EQ(started, (std::vector<int>{5, 10, 3, 0, 1, 1}));
    EXPECT_FALSE(makeProportionalFieldLines(*model, 10, FieldLineMethod::Euler, [](int) { return std::unique_ptr<Vector3[]>(); }));
}

TEST(StrengthColours, EveryVertexTakesTheColourOfTheFieldThere) {
    const auto model = modelFromText(dipoleText);
    const Ref<Group> built = create<Group>(20, 20);
    const Ref<PolyLine> line = create<PolyLine>(8);
    for (float x : {-0.45f, -0.2f, 0.0f, 0.4f}) line->append({x, 0.3f, 0.0f});
    line->setColor({0.7f, 0.7f, 0.0f});
    const Ref<Line> stroke = create<Line>(Vector3{1.0f, 1.0f, 1.0f}, Vector3{1.2f, 1.0f, 1.0f});
    built->add(*line).add(*stroke);
    const Ref<Group> shaded = shadedByStrength(*model, *built);
    ASSERT_TRUE(shaded);
    const auto* colouredLine = dynamic_cast<const ShadedPolyLine*>(&shaded->child(0));
    const auto* colouredStroke = dynamic_cast<const ShadedLine*>(&shaded->child(1));
    ASSERT_NE(colouredLine, nullptr);
    ASSERT_NE(colouredStroke, nullptr);
    EXPECT_EQ(colouredLine->attributes(), line->attributes()) << "the set is shared";
    const StrengthScale scale = strengthScaleOf(*model);
    for (std::int32_t i = 0; i < 4; ++i) {
        const Vector3 expected = viridisColour(scale.position(static_cast<double>(fieldStrengthOf(*model, line->point(i)))));
        EXPECT_NEAR(colouredLine->colour(i).x, expected.x, 1e-4f) << i;
        EXPECT_NEAR(colouredLine->colour(i).y, expected.y, 1e-4f) << i;
        EXPECT_NEAR(colouredLine->colour(i).z, expected.z, 1e-4f) << i;
    }
    // Nearer a charge the field is stronger, so the colour is further along viridis (more green).
    EXPECT_GT(colouredLine->colour(0).y, colouredLine->colour(2).y);
    EXPECT_GT(colouredStroke->startColour.z, 0.0f);
}

TEST(Requests, PlaneWordsReadWithTheirOptionsInAnyOrder) {
    std::string error;
    auto request = parseRequestText("plane x -0.25 fieldlines 12 potentials -1,0,2.5 strength", error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(request->kind, VisualisationRequest::Kind::Plane);
    EXPECT_EQ(request->plane.axis, 0);
    EXPECT_EQ(request->plane.offset, -0.25f);
    EXPECT_EQ(request->plane.levels, (std::vector<float>{-1.0f, 0.0f, 2.5f}));
    EXPECT_EQ(request->plane.linesPerCharge, 12);
    EXPECT_TRUE(request->strengthColours);
    EXPECT_EQ(describe(*request), "Plane x = -0.25, levels -1, 0, 2.5, 12 lines a charge, by strength");

    request = parseRequestText("plane y levels 500", error);
    ASSERT_TRUE(request) << error;
    EXPECT_FALSE(request->plane.offset);
    EXPECT_EQ(request->plane.levelCount, maxPlaneLevels);
    EXPECT_TRUE(request->clamped);
    EXPECT_EQ(describe(*request), "Plane y through the centre, 100 levels");

    request = parseRequestText("lines 12 strength proportional", error);
    ASSERT_TRUE(request) << error;
    EXPECT_TRUE(request->proportional && request->strengthColours);
    EXPECT_EQ(describe(*request), "Field lines, 12 per charge, in proportion, by strength");
    EXPECT_EQ(request->text, "lines 12 strength proportional");

    for (const char* wrong : {"plane", "plane w 0", "plane Z", "plane z inf", "plane z nan", "plane z 0 levels",
                              "plane z 0 levels 2.5", "plane z 0 potentials 1,,2", "plane z 0 potentials 1,nan",
                              "plane z 0 potentials 1,1e39", "plane z 0 fieldlines", "plane z 0 levels 3 potentials 1",
                              "hedgehog 10 proportional", "lines 10 strength strength"}) {
        EXPECT_FALSE(parseRequestText(wrong, error)) << wrong;
        EXPECT_FALSE(error.empty()) << wrong;
    }
    EXPECT_EQ(parsePotentialList(" 0.5 , -1 ", error), (std::vector<float>{0.5f, -1.0f}));
}

// The words of a request read back into the same request, options and all.
TEST(Requests, EveryRequestsWordsReadBackIntoIt) {
    std::vector<VisualisationRequest> requests(5);
    requests[0] = {VisualisationRequest::Kind::FieldLines, 12};
    requests[0].proportional = requests[0].strengthColours = true;
    requests[1] = {VisualisationRequest::Kind::Hedgehog, 300};
    requests[1].strengthColours = true;
    requests[2].kind = requests[3].kind = requests[4].kind = VisualisationRequest::Kind::Plane;
    requests[3].plane = {0, -0.1f, 0, {}, 0};
    requests[4].plane = {1, 1.0f / 3.0f, 15, {0.1f, -2.5e-7f, 7.0f}, 16};
    requests[4].strengthColours = true;
    for (const VisualisationRequest& request : requests) {
        const std::string words = requestWords(request);
        std::string error;
        const auto read = parseRequestText(words, error);
        ASSERT_TRUE(read) << words << ": " << error;
        EXPECT_EQ(read->kind, request.kind) << words;
        EXPECT_EQ(read->count, request.count) << words;
        EXPECT_EQ(read->proportional, request.proportional) << words;
        EXPECT_EQ(read->strengthColours, request.strengthColours) << words;
        EXPECT_EQ(read->plane.axis, request.plane.axis) << words;
        EXPECT_EQ(read->plane.offset, request.plane.offset) << words;
        EXPECT_EQ(read->plane.levelCount, request.plane.levelCount) << words;
        EXPECT_EQ(read->plane.levels, request.plane.levels) << words;
        EXPECT_EQ(read->plane.linesPerCharge, request.plane.linesPerCharge) << words;
    }
    EXPECT_EQ(requestWords(requests[2]), "plane z");
    EXPECT_EQ(requestWords(requests[3]), "plane x -0.1 levels 0");
}

TEST(Requests, AFailedPlaneSaysWhyOnItsModel) {
    const auto model = modelFromText(dipoleText);
    std::string error;
    const auto request = parseRequestText("plane z 4", error);
    ASSERT_TRUE(request);
    EXPECT_FALSE(buildRequest(*request, *model));
    EXPECT_EQ(failureLines(*request, model.get()),
              "Cannot render plane. Sorry.\nThe plane z = 4 lies outside the box (z from -1.5 to 1.5).\n");
    EXPECT_EQ(failureLines(*request), "Cannot render plane. Sorry.\n");
}

}  // namespace
}  // namespace kelvaro
