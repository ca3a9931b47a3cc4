#pragma once
// Helpers of the viz tests: models read from text, a scratch working directory (the seed
// file is always opened by its bare name), and access to the children of a group.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "scene/group.h"

namespace kelvaro::testing {

// The model read from `text`; fails the test (answering null) when reading raises.
std::unique_ptr<Model> modelFromText(std::string_view text);

// Makes a fresh temporary directory the working directory for its lifetime, then
// restores the previous one and removes the directory with its contents.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// What a run of kelvaro-batch gave: its exit status (-1 when it did not end normally) and
// what it wrote to standard output and standard error.
struct BatchRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs kelvaro-batch with `arguments` (already quoted for the shell) in the working
// directory; `environment` holds arguments of env(1), such as "KELVARO_THREADS=2";
// `addressSpaceKiB`, when not 0, limits the process's address space.
BatchRun runBatch(const std::string& arguments, const std::string& environment = "", long addressSpaceKiB = 0);

// The bytes of the file `name`; empty when it cannot be read.
std::string fileContents(const std::string& name);

// The path of the example model `name` in examples/.
std::string examplePath(const std::string& name);

// Writes `bytes` to `name` in the working directory.
void writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes);

// Copies the checked-in seed file into the working directory.
void installExampleSeedFile();

// The names (without ".txt") of the models in tests/viz/degenerate_models, sorted.
std::vector<std::string> degenerateModelNames();
// The path of one of them.
std::string degenerateModelPath(const std::string& name);
// One of them, read (null, having failed the test, when it does not read).
std::unique_ptr<Model> degenerateModel(const std::string& name);

// The potential stored at the surface grid's node (middle, middle, middle + offset along
// z), exactly as the surface builder samples it: a level that lies on a node.
float potentialAtNodeAboveTheMiddle(const Model& model, int offset);

// The children of `group`, cast to T (the test fails on a child of another class).
template <class T>
std::vector<const T*> childrenOf(const Group& group) {
    std::vector<const T*> children;
    for (std::int32_t i = 0; i < group.count(); ++i) {
        const T* child = dynamic_cast<const T*>(&group.child(i));
        if (child == nullptr) throw std::bad_cast();
        children.push_back(child);
    }
    return children;
}

}  // namespace kelvaro::testing
