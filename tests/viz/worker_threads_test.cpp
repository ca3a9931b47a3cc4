#include "viz/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

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

// Blocks of 2, 0, 5, 1 and 9 tasks; block k's tasks write k into buffer k % 2, which
// consume(k) finds whole. The calling thread's steps are logged in order.
struct PipelineRun {
    int failingBlock = -1;  // produce throws in this block
    std::vector<int> buffers[2];
    std::vector<std::string> log;

    void run(int threads) {
        const std::thread::id caller = std::this_thread::get_id();
        const std::vector<int> tasks{2, 0, 5, 1, 9};
        const auto onCaller = [&](const std::string& step) {
            EXPECT_EQ(std::this_thread::get_id(), caller) << step;
            log.push_back(step);
        };
        consumeWhileProducingNext(
            threads,
            [&](int k) {
                onCaller("prepare " + std::to_string(k));
                if (k == static_cast<int>(tasks.size())) return -1;
                buffers[k % 2].assign(static_cast<std::size_t>(tasks[k]), -1);
                return tasks[k];
            },
            [&](int k, int task) {
                if (k == failingBlock) throw std::runtime_error("producer failed");
                if (threads == 1) {
                    EXPECT_EQ(std::this_thread::get_id(), caller);
                }
                buffers[k % 2][static_cast<std::size_t>(task)] = k;
            },
            [&](int k) {
                onCaller("consume " + std::to_string(k));
                EXPECT_EQ(buffers[k % 2], std::vector<int>(static_cast<std::size_t>(tasks[k]), k)) << "block " << k;
            },
            [&] { onCaller("first"); });
    }
};

TEST(WorkerThreads, PipelineConsumesEveryBlockWholeAndInOrderWhileTheNextIsProduced) {
    for (int threads : {1, 2, 7}) {
        PipelineRun pipeline;
        pipeline.run(threads);
        EXPECT_EQ(pipeline.log, (std::vector<std::string>{"prepare 0", "first", "prepare 1", "consume 0", "prepare 2",
                                                          "consume 1", "prepare 3", "consume 2", "prepare 4",
                                                          "consume 3", "prepare 5", "consume 4"}))
            << threads << " threads";

        PipelineRun failing;
        failing.failingBlock = 2;
        EXPECT_THROW(failing.run(threads), std::runtime_error);
        EXPECT_EQ(failing.log, (std::vector<std::string>{"prepare 0", "first", "prepare 1", "consume 0", "prepare 2",
                                                         "consume 1"}))
            << threads << " threads";
    }
    std::vector<std::string> empty;
    consumeWhileProducingNext(
        2, [](int) { return -1; }, [](int, int) { ADD_FAILURE(); }, [](int) { ADD_FAILURE(); },
        [&] { empty.push_back("first"); });
    EXPECT_EQ(empty, std::vector<std::string>{"first"}) << "no block: the caller's first work alone";
}

}  // namespace
}  // namespace kelvaro
