// A small pool of worker threads owned by a run object, for independent work inside one stage.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sonora {

// Most worker threads a run object asks for, however many cores the machine has: the stages split
// a grid of at most 256 frequencies, so more threads would mostly wait for each other.
inline constexpr int kMaxPoolWorkers = 8;

// The number of workers for run objects that use the pool: the cores the system reports, at least
// 1 and at most kMaxPoolWorkers.
int automaticPoolSize();

// `workers` threads share the work of parallelFor; the caller's thread is one of them, so a pool of
// size n starts n - 1 threads, and a pool of size 1 starts none and runs the plain loop. One thread
// at a time may call parallelFor (the run object's worker); the pool is not re-entrant.
class WorkerPool {
public:
    // Called with (worker, begin, end): handle indices begin … end - 1. `worker` is 0 … workers()-1
    // and is the same for every chunk one thread takes, so per-worker scratch can be indexed by it.
    using ChunkFunction = std::function<void(int worker, int begin, int end)>;

    // `onThreadStart` runs first in each started thread (e.g. to lower its priority).
    explicit WorkerPool(int workers, std::function<void()> onThreadStart = {});
    ~WorkerPool(); // stop request, wake, join
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int workers() const { return workers_; }

    // Runs fn over 0 … count-1 in chunks of at most `chunk` indices (in ascending order of their
    // start as the threads take them) and returns when every chunk has finished. Every index is
    // handed out exactly once. An exception from fn stops the handing out of further chunks; the
    // first one is thrown again here once all running chunks have ended. With one worker, fn is
    // called once with (0, 0, count) on the calling thread.
    void parallelFor(int count, int chunk, const ChunkFunction& fn);

private:
    void threadLoop(int worker);
    void runChunks(int worker);

    const int workers_;
    std::function<void()> onThreadStart_;
    std::vector<std::thread> threads_;

    std::mutex mutex_;
    std::condition_variable start_; // a new job or the stop request
    std::condition_variable done_;  // the last started thread finished its part of the job
    std::uint64_t job_ = 0;         // counts the jobs handed out, guarded by mutex_
    bool stop_ = false;             // guarded by mutex_
    int busyThreads_ = 0;           // started threads still in the current job, guarded by mutex_
    std::exception_ptr error_;      // first exception of the current job, guarded by mutex_

    // The current job: written under mutex_ before the threads are woken, read by them after.
    const ChunkFunction* fn_ = nullptr;
    int count_ = 0;
    int chunk_ = 1;
    std::atomic<std::int64_t> next_{0}; // start of the next chunk to hand out (wide: never wraps)
};

} // namespace sonora
