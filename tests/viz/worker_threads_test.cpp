#include "viz/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
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

}  // namespace
}  // namespace kelvaro
