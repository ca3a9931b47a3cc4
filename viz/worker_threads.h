#pragma once
// Worker threads for the builders. A builder call still blocks its caller until the result
// is complete: the threads are started inside the call and joined before it returns.
// Workers only compute numbers into plain arrays; every scene object, attribute set and
// group is created by the calling thread (reference counts are not atomic).

#include <atomic>
#include <exception>
#include <functional>
#include <optional>

namespace kelvaro {

// How a builder computes its numbers.
struct BuildOptions {
    // Threads to use, the calling thread included; 0 takes defaultThreadCount().
    int threads = 0;
    // The plain path: one thread and one point at a time through potentialAt, fieldAt and
    // isStopPoint. The fast path gives the same bits; tests and benchmarks compare the two.
    bool reference = false;

    static BuildOptions referencePath() { return {1, true}; }
    // `threads`, or the default for 0.
    int threadCount() const;
};

// Stopping a build midway, for a caller that lets its user interrupt one (the Python
// module on Ctrl+C). While a BuildStopScope lives on a thread, the builds that thread runs
// look at `stop`: forEachChunk (and so consumeWhileProducingNext) before each chunk of
// tasks, a long task through stopIfAsked(), on the calling thread and on every thread
// started by runWorkers. Once `stop` is true no further chunk starts and the builder call
// ends with BuildStopped on the calling thread, through the builders (which answer nothing
// partial). Without a scope the checks cost a test of a null pointer and change nothing.
class BuildStopScope {
public:
    explicit BuildStopScope(const std::atomic<bool>& stop);
    ~BuildStopScope();
    BuildStopScope(const BuildStopScope&) = delete;
    BuildStopScope& operator=(const BuildStopScope&) = delete;

private:
    const std::atomic<bool>* outer_;
};

struct BuildStopped : std::exception {
    const char* what() const noexcept override { return "the build was stopped"; }
};

// Raises BuildStopped when the thread's BuildStopScope has been told to stop.
void stopIfAsked();

// A KELVARO_THREADS value: the positive integer it spells, or none for anything else.
std::optional<int> parseThreadCount(const char* text);

// The environment's KELVARO_THREADS when it is a positive integer, otherwise the hardware's
// thread count (at least 1). A value that is set but not a positive integer is ignored
// with one warning line on standard error, once per process.
int defaultThreadCount();

// Hands the tasks 0 .. count - 1 out, in chunks of `chunk` in increasing order, to up to
// `threads` threads: the calling thread and threads it starts here. Each task runs once.
// The calling thread first runs `alongside` (when given; also when there are no tasks),
// work of its own such as making scene objects, and then joins in the tasks. A thread
// that cannot be started leaves its share to the others, the calling thread at least.
// When a task throws (or the build is stopped, see BuildStopScope), no further chunk
// starts, every thread is joined, and the first exception is raised again on the calling
// thread.
void forEachChunk(int threads, int count, int chunk, const std::function<void(int begin, int end)>& work,
                  const std::function<void()>& alongside = {});

// A pipeline of tasks 0, 1, 2, ... in one parallel step. Up to `threads` threads, the
// calling one included, claim the tasks in increasing order and run `produce(task)`; the
// calling thread runs `consume(task)` for every task in order, each as soon as it has been
// produced, and produces tasks itself while the next one to consume is not ready. Task t is
// claimed only once the tasks before `consumedBefore(t)` (a number from 0 to t) have been
// consumed: a task may then read what those left, and a bound such as t - 1 keeps the
// production one task ahead of the consumption at most (two buffers, task t's in buffer
// t % 2, are then enough: the task before it in that buffer has been consumed).
// The sequence ends once task `count` - 1 has been consumed or when `consume` answers
// false; a task produced past that end is never consumed. When any call throws, no further
// task starts, every thread is joined and the first exception is raised again on the
// calling thread.
void produceAndConsumeInOrder(int threads, int count, const std::function<int(int task)>& consumedBefore,
                              const std::function<void(int task)>& produce,
                              const std::function<bool(int task)>& consume);

// Runs `work(first)` on each of up to `threads` threads, `first` true on the calling
// thread alone, which runs it after the others have been started. For workers that keep
// state across tasks and share out the tasks themselves: each must carry on while tasks
// are left, since a thread that cannot be started simply does not run. Exceptions as above.
void runWorkers(int threads, const std::function<void(bool first)>& work);

}  // namespace kelvaro
