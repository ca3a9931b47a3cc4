#include "viz/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace kelvaro {
namespace {

// The first exception thrown on any of the threads of one call.
class FirstFailure {
public:
    void record(std::exception_ptr failure) {
        const std::lock_guard lock(mutex_);
        if (!failure_) failure_ = std::move(failure);
        failed_ = true;
    }
    bool failed() const { return failed_; }
    void raise() const {
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    std::mutex mutex_;
    std::exception_ptr failure_;
    std::atomic<bool> failed_{false};
};

// The stop flag of the BuildStopScope of this thread (or of the thread that started it).
thread_local const std::atomic<bool>* stopOfThisThread = nullptr;

int hardwareThreadCount() { return std::max(1, static_cast<int>(std::thread::hardware_concurrency())); }

}  // namespace

BuildStopScope::BuildStopScope(const std::atomic<bool>& stop) : outer_(std::exchange(stopOfThisThread, &stop)) {}

BuildStopScope::~BuildStopScope() { stopOfThisThread = outer_; }

void stopIfAsked() {
    if (stopOfThisThread != nullptr && stopOfThisThread->load(std::memory_order_relaxed)) throw BuildStopped();
}

std::optional<int> parseThreadCount(const char* text) {
    if (text == nullptr || *text < '0' || *text > '9') return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || value < 1 || value > 1024) return std::nullopt;
    return static_cast<int>(value);
}

int defaultThreadCount() {
    static const int count = [] {
        const char* text = std::getenv("KELVARO_THREADS");
        if (text == nullptr) return hardwareThreadCount();
        if (const std::optional<int> parsed = parseThreadCount(text)) return *parsed;
        std::fprintf(stderr, "KELVARO_THREADS=\"%s\" is not a positive whole number (1 to 1024); ignored\n", text);
        return hardwareThreadCount();
    }();
    return count;
}

int BuildOptions::threadCount() const { return threads > 0 ? threads : defaultThreadCount(); }

void runWorkers(int threads, const std::function<void(bool first)>& work) {
    FirstFailure failure;
    const std::atomic<bool>* const stop = stopOfThisThread;
    const auto guarded = [&](bool first) {
        try {
            // A started thread looks at the caller's stop flag too.
            stopOfThisThread = stop;
            work(first);
        } catch (...) {
            failure.record(std::current_exception());
        }
    };
    std::vector<std::thread> started;
    try {
        started.reserve(static_cast<std::size_t>(std::max(threads - 1, 0)));
        for (int t = 1; t < threads; ++t) started.emplace_back(guarded, false);
    } catch (const std::exception&) {
        // No memory or no thread to be had: the threads already running and this one do it all.
    }
    guarded(true);
    for (std::thread& thread : started) thread.join();
    failure.raise();
}

void forEachChunk(int threads, int count, int chunk, const std::function<void(int begin, int end)>& work,
                  const std::function<void()>& alongside) {
    chunk = std::max(chunk, 1);
    const int chunks = count > 0 ? (count - 1) / chunk + 1 : 0;
    std::atomic<int> next{0};
    std::atomic<bool> stopped{false};
    // The calling thread counts as a worker only once it has done its own work.
    const int workers = std::min(threads, alongside ? chunks + 1 : chunks);
    runWorkers(std::max(workers, 1), [&](bool first) {
        try {
            if (first && alongside) alongside();
            for (int c = next++; c < chunks && !stopped; c = next++) {
                stopIfAsked();
                const int begin = c * chunk;
                work(begin, std::min(begin + chunk, count));
            }
        } catch (...) {
            stopped = true;
            throw;
        }
    });
}

void produceAndConsumeInOrder(int threads, int count, const std::function<int(int task)>& consumedBefore,
                              const std::function<void(int task)>& produce,
                              const std::function<bool(int task)>& consume) {
    std::mutex mutex;
    std::condition_variable changed;
    int claimed = 0;   // the tasks before it have been claimed
    int consumed = 0;  // the tasks before it have been consumed
    bool ended = count <= 0;  // by the last task, by consume, or by a failure
    std::vector<std::uint8_t> produced;  // one entry a claimed task
    // Claims the next task when it may start; -1 otherwise. Called with the lock held.
    const auto claim = [&]() -> int {
        if (ended || claimed >= count || consumed < std::min(consumedBefore(claimed), claimed)) return -1;
        produced.push_back(0);
        return claimed++;
    };
    // Runs `call` without the lock, unless a stop is asked for; a failure (or the stop) ends
    // the sequence before it is raised.
    const auto unlocked = [&](std::unique_lock<std::mutex>& lock, auto call) {
        lock.unlock();
        try {
            stopIfAsked();
            call();
        } catch (...) {
            lock.lock();
            ended = true;
            changed.notify_all();
            throw;
        }
        lock.lock();
    };
    runWorkers(std::max(1, std::min(threads, count)), [&](bool caller) {
        std::unique_lock lock(mutex);
        while (!ended) {
            if (caller && consumed < claimed && produced[static_cast<std::size_t>(consumed)]) {
                const int task = consumed;
                bool more = true;
                unlocked(lock, [&] { more = consume(task); });
                ++consumed;
                ended = ended || !more || consumed == count;
                changed.notify_all();
                continue;
            }
            if (const int task = claim(); task >= 0) {
                unlocked(lock, [&] { produce(task); });
                produced[static_cast<std::size_t>(task)] = 1;
                changed.notify_all();
                continue;
            }
            // A worker with nothing left to claim is done; the caller waits for what is in production.
            if (!caller && claimed >= count) return;
            changed.wait(lock);
        }
    });
}

}  // namespace kelvaro
