#include "viz/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <limits>
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

// Tasks that write their number into buffer t % 2, which the consumer must find whole and in
// order on the calling thread; task t may start only once task t - 2 has been consumed
// (its buffer is free): once the tasks before t - 1 have. Answers the tasks consumed, then -1 when the call failed.
std::vector<int> consumedInOrder(int threads, int count, int failing = -1, int lastWanted = -1) {
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> buffers[2];
    buffers[0].assign(64, -1);
    buffers[1].assign(64, -1);
    std::atomic<int> consumedSoFar{0};
    std::vector<int> consumed;
    try {
        produceAndConsumeInOrder(
            threads, count, [](int t) { return t - 1; },
            [&](int t) {
                EXPECT_GE(consumedSoFar.load(), t - 1) << "task " << t << " started before its buffer was free";
                if (t == failing) throw std::runtime_error("producer failed");
                for (int& slot : buffers[t % 2]) slot = t;
            },
            [&](int t) {
                EXPECT_EQ(std::this_thread::get_id(), caller);
                EXPECT_EQ(buffers[t % 2], std::vector<int>(64, t)) << "task " << t;
                consumed.push_back(t);
                ++consumedSoFar;
                return t != lastWanted;
            });
    } catch (const std::runtime_error&) {
        consumed.push_back(-1);
    }
    return consumed;
}

TEST(WorkerThreads, PipelineConsumesEveryTaskWholeAndInOrderOnTheCallingThread) {
    for (int threads : {1, 2, 7}) {
        for (int count : {0, 1, 5, 300}) {
            std::vector<int> expected(static_cast<std::size_t>(count));
            for (int t = 0; t < count; ++t) expected[static_cast<std::size_t>(t)] = t;
            EXPECT_EQ(consumedInOrder(threads, count), expected) << threads << " threads, " << count << " tasks";
        }
        // Without a last task, the consumer ends the sequence.
        EXPECT_EQ(consumedInOrder(threads, std::numeric_limits<int>::max(), -1, 3), (std::vector<int>{0, 1, 2, 3}))
            << threads << " threads";
    }
}

TEST(WorkerThreads, PipelineTaskReadsWhatTheTasksItWaitsForLeft) {
    // Tasks 0 to 9 each make a value that their consumption publishes; task 10 + k adds the
    // values of k and k + 1, which must both be published by then.
    for (int threads : {1, 2, 7}) {
        std::vector<int> made(10, 0), published(10, 0), sums(9, 0);
        produceAndConsumeInOrder(
            threads, 19, [](int t) { return t < 10 ? 0 : t - 10 + 2; },
            [&](int t) {
                if (t < 10) {
                    made[static_cast<std::size_t>(t)] = 100 + t;
                } else {
                    sums[static_cast<std::size_t>(t - 10)] = published[static_cast<std::size_t>(t - 10)] +
                                                              published[static_cast<std::size_t>(t - 9)];
                }
            },
            [&](int t) {
                if (t < 10) published[static_cast<std::size_t>(t)] = made[static_cast<std::size_t>(t)];
                return true;
            });
        for (int k = 0; k < 9; ++k) EXPECT_EQ(sums[static_cast<std::size_t>(k)], 201 + 2 * k) << threads << " threads";
    }
}

TEST(WorkerThreads, AFailingPipelineTaskStopsTheSequenceAndFailsTheCall) {
    for (int threads : {1, 2, 7}) {
        const std::vector<int> consumed = consumedInOrder(threads, 100, 5);
        EXPECT_EQ(consumed.back(), -1) << threads << " threads";
        EXPECT_LE(consumed.size(), 6u) << "nothing after the failed task is consumed";
        EXPECT_THROW(produceAndConsumeInOrder(
                         threads, 100, [](int) { return 0; }, [](int) {},
                         [](int t) -> bool {
                             if (t == 7) throw std::runtime_error("consumer failed");
                             return true;
                         }),
                     std::runtime_error);
    }
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
