#include "engine/worker_pool.h"

#include <algorithm>
#include <utility>

namespace sonora {

int automaticPoolSize() {
    const unsigned cores = std::thread::hardware_concurrency(); // 0 when unknown
    return std::clamp(static_cast<int>(cores), 1, kMaxPoolWorkers);
}

WorkerPool::WorkerPool(int workers, std::function<void()> onThreadStart)
    : workers_(std::clamp(workers, 1, kMaxPoolWorkers)), onThreadStart_(std::move(onThreadStart)) {
    threads_.reserve(static_cast<std::size_t>(workers_ - 1));
    for (int w = 1; w < workers_; ++w) {
        threads_.emplace_back([this, w] { threadLoop(w); });
    }
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    start_.notify_all();
    for (std::thread& t : threads_) {
        t.join();
    }
}

void WorkerPool::parallelFor(int count, int chunk, const ChunkFunction& fn) {
    if (count <= 0) {
        return;
    }
    if (threads_.empty()) {
        fn(0, 0, count); // the plain loop
        return;
    }
    {
        std::lock_guard lock(mutex_);
        fn_ = &fn;
        count_ = count;
        chunk_ = std::max(chunk, 1);
        next_.store(0);
        error_ = nullptr;
        busyThreads_ = static_cast<int>(threads_.size());
        ++job_;
    }
    start_.notify_all();
    runChunks(0);
    std::exception_ptr error;
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return busyThreads_ == 0; });
        fn_ = nullptr;
        error = std::exchange(error_, nullptr);
    }
    if (error) {
        std::rethrow_exception(error);
    }
}

void WorkerPool::runChunks(int worker) {
    for (;;) {
        const std::int64_t start = next_.fetch_add(chunk_);
        if (start >= count_) {
            return;
        }
        const int begin = static_cast<int>(start);
        const int end = static_cast<int>(std::min<std::int64_t>(start + chunk_, count_));
        try {
            (*fn_)(worker, begin, end);
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!error_) {
                error_ = std::current_exception();
            }
            next_.store(count_); // hand out no further chunks
        }
    }
}

void WorkerPool::threadLoop(int worker) {
    if (onThreadStart_) {
        onThreadStart_();
    }
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            start_.wait(lock, [&] { return stop_ || job_ != seen; });
            if (stop_) {
                return;
            }
            seen = job_;
        }
        runChunks(worker);
        bool last = false;
        {
            std::lock_guard lock(mutex_);
            last = --busyThreads_ == 0;
        }
        if (last) {
            done_.notify_one();
        }
    }
}

} // namespace sonora
