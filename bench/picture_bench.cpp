// Whole kelvaro-batch runs for pictures of the 99-charge cloud with 20 field lines a
// charge and its widest surface, in the teaching style: a 1600x1200 PNG at 4 x 4 samples,
// and a 36-frame 640x480 turntable GIF (its size is reported as the counter "MB"). Each
// run reads the model, builds the scene, draws through EGL and writes the file, timed in
// wall time. Needs no display. Run from anywhere: the tool runs in examples/, for the
// model and "ElectronData", and writes into a temporary folder.
//   build/bench/picture_bench

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> cloudScene{"cloud.txt", "lines", "20", "surface", "6", "leave", "--style", "teaching"};

// Runs kelvaro-batch with `command` (the mode first), the scene and `options`, writing
// `file` in a temporary folder; answers the file's path, or empty when the run failed.
std::string runBatch(const std::string& command, const std::vector<std::string>& options, const std::string& file) {
    const fs::path output = fs::temp_directory_path() / file;
    std::vector<std::string> words{KELVARO_BATCH_PATH, command};
    words.insert(words.end(), cloudScene.begin(), cloudScene.end());
    words.insert(words.end(), options.begin(), options.end());
    words.insert(words.end(), {"-o", output.string()});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, KELVARO_EXAMPLES_DIR);
    pid_t child = 0;
    const bool started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (!started || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    return output.string();
}

void timeRuns(benchmark::State& state, const std::string& command, const std::vector<std::string>& options,
              const std::string& file) {
    std::string written;
    for (auto _ : state) {
        written = runBatch(command, options, file);
        if (written.empty()) {
            state.SkipWithError("kelvaro-batch failed");
            return;
        }
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(written)) / 1e6;
    fs::remove(written);
}

void TeachingPicture1600x1200Samples4(benchmark::State& state) {
    timeRuns(state, "png", {"--size", "1600x1200", "--samples", "4"}, "kelvaro-bench-picture.png");
}
BENCHMARK(TeachingPicture1600x1200Samples4)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

void Turntable36Frames640x480(benchmark::State& state) {
    timeRuns(state, "gif", {"--size", "640x480"}, "kelvaro-bench-turntable.gif");
}
BENCHMARK(Turntable36Frames640x480)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
