#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "model/model.h"
#include "tests/model/model_text.h"

namespace kelvaro::testing {
namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Examples, ReadWithChargesInsideTheirBox) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        const auto model = readModel(fileText(entry.path()));
        ASSERT_TRUE(model);
        EXPECT_FALSE(model->name().empty());
        EXPECT_GT(model->chargeCount(), 0);
        for (const Charge& charge : model->charges()) {
            EXPECT_TRUE(model->bounds().contains(charge.position));
            EXPECT_FALSE(model->isStopPoint({charge.position.x + 0.05f, charge.position.y, charge.position.z}));
        }
    }
    EXPECT_GE(files, 7);
}

TEST(ModelFromValues, EqualsTheReadModelOnEveryExample) {
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const auto read = readModel(fileText(entry.path()));
        ASSERT_TRUE(read);
        // Corners given the other way round, as a file may state them.
        const Model made(read->name(), read->bounds().max, read->bounds().min,
                         {read->charges().begin(), read->charges().end()}, read->axesOn(), read->boxOn());
        EXPECT_EQ(describe(made), describe(*read));
        EXPECT_EQ(describe(*read->withCharges(read->charges())), describe(*read));
    }
}

TEST(ModelFromValues, StoresAsTheReaderDoes) {
    const auto read = readModel(unitBox("MODEL \"tenth\"\nPOINT 0.1 AT 0.25, 0, 0\n"));
    ASSERT_TRUE(read);
    const std::vector<Charge> charges{{0.1, {0.25f, 0.0f, 0.0f}}};
    const Model made("tenth", {1, 1, 1}, {-1, -1, -1}, charges, false, false);
    EXPECT_EQ(made.charges()[0].value, static_cast<double>(0.1f));
    EXPECT_EQ(describe(made), describe(*read));
    EXPECT_EQ(Model(std::string(80, 'n'), {}, {}, {}, false, false).name(), std::string(62, 'n'));
    const std::vector<Charge> tooMany(100);
    EXPECT_THROW(Model("", {}, {1, 1, 1}, tooMany, false, false), std::length_error);
    EXPECT_THROW(made.withCharges(tooMany), std::length_error);
}

}  // namespace
}  // namespace kelvaro::testing
