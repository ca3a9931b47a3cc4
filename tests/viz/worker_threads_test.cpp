#include "viz/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scene_checks.h"
#include "tests/viz/viz_test_support.h"
#include "viz/field_lines.h"
#include "viz/hedgehog.h"
#include "viz/potential_surface.h"

namespace kelvaro {
namespace {

TEST(WorkerThreads, ThreadCountIsAPositiveWholeNumberOrNothing) {
    EXPECT_EQ(parseThreadCount("1"), 1);
    EXPECT_EQ(parseThreadCount("7"), 7);
    EXPECT_EQ(parseThreadCount("1024"), 1024);
    for (const char* wrong : {"", "0", "-2", "+2", " 2", "2 ", "2x", "two", "1025", "99999999999999999999", "1.5"})
        EXPECT_FALSE(parseThreadCount(wrong)) << '"' << wrong << '"';
    EXPECT_FALSE(parseThreadCount(nullptr));
}

TEST(WorkerThreads, EveryTaskRunsOnceAndTheCallersOwnWorkFirst) {
    const std::thread::id caller = std::this_thread::get_id();
    for (int threads : {1, 2, 7}) {
        for (int count : {0, 1, 5, 1000}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            std::atomic<bool> alongsideDone{false};
            std::atomic<int> callerTasksBeforeAlongside{0};
            forEachChunk(
                threads, count, 3,
                [&](int begin, int end) {
                    if (std::this_thread::get_id() == caller && !alongsideDone) ++callerTasksBeforeAlongside;
                    for (int task = begin; task < end; ++task) ++runs[task];
                },
                [&] {
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                    alongsideDone = true;
                });
            EXPECT_TRUE(alongsideDone) << threads << " threads, " << count << " tasks";
            EXPECT_EQ(callerTasksBeforeAlongside, 0) << threads << " threads, " << count << " tasks";
            for (int task = 0; task < count; ++task) EXPECT_EQ(runs[task], 1) << task << " of " << count;
        }
    }
}

TEST(WorkerThreads, AFailingTaskFailsTheCallAfterEveryThreadHasStopped) {
    std::atomic<int> running{0};
    EXPECT_THROW(forEachChunk(7, 10000, 1,
                              [&](int begin, int) {
                                  ++running;
                                  if (begin == 500) throw std::runtime_error("task failed");
                                  --running;
                              }),
                 std::runtime_error);
    EXPECT_EQ(running, 1);  // only the failed task never came back
}

// The calling thread's steps in a pipeline of blocks of 2, 0, 5, 1 and 9 tasks, whose
// tasks write their block k into buffer k % 2, which consume(k) must find whole; the
// producer throws in block `failing`.
std::vector<std::string> pipelineSteps(int threads, int failing = -1) {
    const std::thread::id caller = std::this_thread::get_id();
    const std::vector<int> tasks{2, 0, 5, 1, 9};
    std::vector<int> buffers[2];
    std::vector<std::string> steps;
    const auto step = [&](const std::string& what) {
        EXPECT_EQ(std::this_thread::get_id(), caller) << what;
        steps.push_back(what);
    };
    try {
        consumeWhileProducingNext(
            threads,
            [&](int k) {
                step("prepare " + std::to_string(k));
                if (k == static_cast<int>(tasks.size())) return -1;
                buffers[k % 2].assign(static_cast<std::size_t>(tasks[k]), -1);
                return tasks[k];
            },
            [&](int k, int task) {
                if (k == failing) throw std::runtime_error("producer failed");
                buffers[k % 2][static_cast<std::size_t>(task)] = k;
            },
            [&](int k) {
                step("consume " + std::to_string(k));
                EXPECT_EQ(buffers[k % 2], std::vector<int>(static_cast<std::size_t>(tasks[k]), k)) << "block " << k;
            },
            [&] { step("first"); });
    } catch (const std::runtime_error&) {
        step("failed");
    }
    return steps;
}

TEST(WorkerThreads, PipelineConsumesEveryBlockWholeAndInOrderWhileTheNextIsProduced) {
    for (int threads : {1, 2, 7}) {
        EXPECT_EQ(pipelineSteps(threads), (std::vector<std::string>{"prepare 0", "first", "prepare 1", "consume 0",
                                                                    "prepare 2", "consume 1", "prepare 3", "consume 2",
                                                                    "prepare 4", "consume 3", "prepare 5", "consume 4"}))
            << threads << " threads";
        EXPECT_EQ(pipelineSteps(threads, 2), (std::vector<std::string>{"prepare 0", "first", "prepare 1", "consume 0",
                                                                       "prepare 2", "consume 1", "failed"}))
            << threads << " threads";
    }
    bool firstRan = false;
    consumeWhileProducingNext(2, [](int) { return -1; }, [](int, int) {}, [](int) {}, [&] { firstRan = true; });
    EXPECT_TRUE(firstRan) << "with no block, the caller's first work runs alone";
}

TEST(WorkerThreads, AStopEndsTheCallOnEveryThreadWithinAChunk) {
    std::atomic<bool> stop{false};
    {
        const BuildStopScope scope(stop);
        std::atomic<int> runs{0};
        EXPECT_THROW(forEachChunk(7, 100000, 1,
                                  [&](int begin, int) {
                                      ++runs;
                                      if (begin == 500) stop = true;
                                  }),
                     BuildStopped);
        // Tasks 0 to 500, less any whose thread was told to stop before it began, and at
        // most one more chunk on each of the 6 other threads.
        EXPECT_LE(runs, 507) << "each thread finishes at most the chunk it is in";
        // Threads started by runWorkers see the caller's flag.
        std::atomic<int> stoppedThreads{0};
        EXPECT_THROW(runWorkers(3,
                                [&](bool) {
                                    try {
                                        stopIfAsked();
                                    } catch (const BuildStopped&) {
                                        ++stoppedThreads;
                                        throw;
                                    }
                                }),
                     BuildStopped);
        EXPECT_EQ(stoppedThreads, 3);
    }
    // Out of the scope nothing looks at the flag, which is still up.
    std::atomic<int> runs{0};
    forEachChunk(7, 1000, 3, [&](int begin, int end) { runs += end - begin; });
    EXPECT_EQ(runs, 1000);
    EXPECT_NO_THROW(stopIfAsked());
}

// Every builder asked to stop ends with BuildStopped; with the flag down it builds what it
// builds without a scope, also right after a stopped build (a surface's grid storage, kept
// for the process, comes back whole from a stopped one).
TEST(WorkerThreads, EveryBuilderStopsAndBuildsWhollyAfterwards) {
    testing::ScratchDirectory scratch;
    testing::installExampleSeedFile();
    const auto model = testing::modelFromText(
        "BOUNDS FROM -1, -1, -1 TO 1, 1, 1\nPOINT 1 AT -0.5, 0, 0\nPOINT -1 AT 0.5, 0, 0\nPOINT 0.5 AT 0, 0.5, 0.25\n");
    ASSERT_TRUE(model);
    const std::function<Ref<Group>()> builders[] = {
        [&] { return makeFieldLines(*model, 20); },
        [&] {
            Random15 generator;
            return makeHedgehog(*model, 5000, generator);
        },
        [&] { return makePotentialSurface(*model, 0.5, 0); },
    };
    for (const auto& build : builders) {
        const Ref<Group> unwatched = build();
        ASSERT_TRUE(unwatched);
        std::atomic<bool> stop{true};
        const BuildStopScope scope(stop);
        EXPECT_THROW(build(), BuildStopped);
        stop = false;
        const Ref<Group> watched = build();
        ASSERT_TRUE(watched);
        EXPECT_EQ(testing::firstDifference(testing::exactForm(*unwatched), testing::exactForm(*watched)), "");
    }
}

}  // namespace
}  // namespace kelvaro
