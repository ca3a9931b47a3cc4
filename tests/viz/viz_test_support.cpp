#include "tests/viz/viz_test_support.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "viz/potential_grid.h"
#include "viz/potential_surface.h"

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

BatchRun runBatch(const std::string& arguments, const std::string& environment, long addressSpaceKiB) {
    const std::string limit = addressSpaceKiB > 0 ? "ulimit -v " + std::to_string(addressSpaceKiB) + "; " : "";
    const std::string command =
        limit + "env " + environment + " '" + KELVARO_BATCH_PATH + "' " + arguments + " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    BatchRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = fileContents("out.txt");
    run.err = fileContents("err.txt");
    return run;
}

std::string fileContents(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string examplePath(const std::string& name) { return std::string(KELVARO_EXAMPLES_DIR) + "/" + name; }

void writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(name, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(file.good()) << "cannot write " << name;
}

void installExampleSeedFile() {
    std::filesystem::copy_file(std::filesystem::path(KELVARO_EXAMPLES_DIR) / "ElectronData", "ElectronData");
}

std::vector<std::string> degenerateModelNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(KELVARO_DEGENERATE_MODELS_DIR)) {
        if (entry.path().extension() == ".txt") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string degenerateModelPath(const std::string& name) {
    return std::string(KELVARO_DEGENERATE_MODELS_DIR) + "/" + name + ".txt";
}

std::unique_ptr<Model> degenerateModel(const std::string& name) {
    std::ifstream file(degenerateModelPath(name));
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_FALSE(text.str().empty()) << name;
    return modelFromText(text.str());
}

float potentialAtNodeAboveTheMiddle(const Model& model, int offset) {
    const Ref<PotentialGrid> grid = create<PotentialGrid>(model, surfaceGridCells, surfaceGridCells, surfaceGridCells);
    const int middle = surfaceGridCells / 2;
    return grid->node(grid->nodeIndex(middle, middle, middle + offset)).sampleValue;
}

}  // namespace kelvaro::testing
