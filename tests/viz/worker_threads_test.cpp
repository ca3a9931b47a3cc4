#include "viz/worker_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
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
    for (int threads : {1, 2, 7}) {
        for (int count : {0, 1, 5, 1000}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(count));
            std::atomic<int> started{0};
            bool alongsideFirst = false;
            forEachChunk(
                threads, count, 3,
                [&](int begin, int end) {
                    ++started;
                    for (int task = begin; task < end; ++task) ++runs[task];
                },
                [&] { alongsideFirst = started == 0 || threads > 1; });
            EXPECT_TRUE(alongsideFirst);
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
