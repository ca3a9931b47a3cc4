#include "viz/worker_threads.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
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

void consumeWhileProducingNext(int threads, const std::function<int(int block)>& prepare,
                               const std::function<void(int block, int task)>& produce,
                               const std::function<void(int block)>& consume, const std::function<void()>& first) {
    int block = 0;
    for (int tasks = prepare(block); tasks >= 0; tasks = prepare(++block)) {
        const std::function<void()> alongside = block == 0 ? first : [&] { consume(block - 1); };
        forEachChunk(threads, tasks, 1, [&](int task, int) { produce(block, task); }, alongside);
    }
    if (block > 0) {
        consume(block - 1);
    } else if (first) {
        first();
    }
}

}  // namespace kelvaro
