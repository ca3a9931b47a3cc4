#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

}  // namespace
}  // namespace kelvaro::testing
