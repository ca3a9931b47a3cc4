#include "tests/viz/viz_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kelvaro::testing {

std::unique_ptr<Model> modelFromText(std::string_view text) {
    std::string copy(text);
    std::FILE* stream = fmemopen(copy.data(), copy.size(), "r");
    if (stream == nullptr) {
        ADD_FAILURE() << "fmemopen failed";
        return nullptr;
    }
    std::unique_ptr<Model> model;
    try {
        model = std::make_unique<Model>(stream);
    } catch (int code) {
        ADD_FAILURE() << "model text raised " << code << " on line " << Model::lastReadLine();
    }
    std::fclose(stream);
    return model;
}

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvaro-viz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
    std::filesystem::current_path(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << "cannot write " << name;
}

void installExampleSeedFile() {
    std::filesystem::copy_file(std::filesystem::path(KELVARO_EXAMPLES_DIR) / "ElectronData", "ElectronData");
}

}  // namespace kelvaro::testing
