// The run objects' worker pool: every index once, chunking, exceptions, reuse and shutdown.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "engine/worker_pool.h"

namespace sonora {
namespace {

// Runs parallelFor and counts how often each index was handed out.
std::vector<int> visits(WorkerPool& pool, int count, int chunk) {
    std::vector<std::atomic<int>> seen(static_cast<std::size_t>(std::max(count, 0)));
    pool.parallelFor(count, chunk, [&](int, int begin, int end) {
        for (int i = begin; i < end; ++i) {
            seen[static_cast<std::size_t>(i)].fetch_add(1);
        }
    });
    std::vector<int> out;
    for (auto& s : seen) {
        out.push_back(s.load());
    }
    return out;
}

TEST(WorkerPool, EveryIndexRunsExactlyOnceForAnySizeCountAndChunk) {
    for (int size : {1, 2, 3, 5}) {
        WorkerPool pool(size);
        EXPECT_EQ(pool.workers(), size);
        for (int count : {1, 2, 7, 8, 9, 250, 1000}) {
            for (int chunk : {1, 3, 8, 64, 5000}) {
                const std::vector<int> v = visits(pool, count, chunk);
                ASSERT_EQ(static_cast<int>(v.size()), count);
                for (int i = 0; i < count; ++i) {
                    ASSERT_EQ(v[static_cast<std::size_t>(i)], 1)
                        << "size " << size << " count " << count << " chunk " << chunk << " i "
                        << i;
                }
            }
        }
    }
}

TEST(WorkerPool, ChunksAreContiguousAtMostChunkLongAndWorkersNumberedFromZero) {
    WorkerPool pool(3);
    std::mutex m;
    std::vector<std::pair<int, int>> chunks;
    std::set<int> workers;
    pool.parallelFor(100, 7, [&](int worker, int begin, int end) {
        std::lock_guard lock(m);
        chunks.emplace_back(begin, end);
        workers.insert(worker);
    });
    std::sort(chunks.begin(), chunks.end());
    int expected = 0;
    for (const auto& [begin, end] : chunks) {
        EXPECT_EQ(begin, expected);
        EXPECT_GT(end, begin);
        EXPECT_LE(end - begin, 7);
        expected = end;
    }
    EXPECT_EQ(expected, 100);
    for (int w : workers) {
        EXPECT_GE(w, 0);
        EXPECT_LT(w, 3);
    }
}

TEST(WorkerPool, OneThreadKeepsOneWorkerNumberSoScratchPerWorkerIsNeverShared) {
    WorkerPool pool(3);
    std::mutex m;
    std::vector<std::thread::id> owner(3);
    bool clash = false;
    for (int job = 0; job < 50; ++job) {
        pool.parallelFor(64, 1, [&](int worker, int, int) {
            std::lock_guard lock(m);
            auto& o = owner[static_cast<std::size_t>(worker)];
            if (o == std::thread::id{}) {
                o = std::this_thread::get_id();
            } else if (o != std::this_thread::get_id()) {
                clash = true;
            }
        });
    }
    EXPECT_FALSE(clash);
}

TEST(WorkerPool, SizeOneRunsThePlainLoopOnTheCallingThreadAndZeroCountCallsNothing) {
    WorkerPool pool(1);
    int calls = 0;
    std::thread::id where;
    pool.parallelFor(250, 8, [&](int worker, int begin, int end) {
        ++calls;
        where = std::this_thread::get_id();
        EXPECT_EQ(worker, 0);
        EXPECT_EQ(begin, 0);
        EXPECT_EQ(end, 250);
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(where, std::this_thread::get_id());
    for (int size : {1, 2}) {
        WorkerPool p(size);
        bool called = false;
        p.parallelFor(0, 8, [&](int, int, int) { called = true; });
        p.parallelFor(-3, 8, [&](int, int, int) { called = true; });
        EXPECT_FALSE(called);
    }
}

TEST(WorkerPool, SizesOutsideTheRangeAreClamped) {
    EXPECT_EQ(WorkerPool(0).workers(), 1);
    EXPECT_EQ(WorkerPool(-4).workers(), 1);
    EXPECT_EQ(WorkerPool(kMaxPoolWorkers + 10).workers(), kMaxPoolWorkers);
    EXPECT_GE(automaticPoolSize(), 1);
    EXPECT_LE(automaticPoolSize(), kMaxPoolWorkers);
}

TEST(WorkerPool, AnExceptionComesBackToTheCallerAndThePoolStaysUsable) {
    for (int size : {1, 2, 3}) {
        WorkerPool pool(size);
        std::atomic<int> ran{0};
        EXPECT_THROW(pool.parallelFor(400, 1,
                                      [&](int, int begin, int end) {
                                          ran.fetch_add(1);
                                          if (begin <= 37 && 37 < end) {
                                              throw std::runtime_error("index 37");
                                          }
                                      }),
                     std::runtime_error);
        // Chunks already taken finish; the rest are no longer handed out.
        EXPECT_GE(ran.load(), size == 1 ? 1 : 38);
        EXPECT_LT(ran.load(), 400 + 1);
        // Every thread throws: one exception comes back, nothing hangs.
        EXPECT_THROW(pool.parallelFor(50, 1, [](int, int, int) { throw std::logic_error("all"); }),
                     std::logic_error);
        const std::vector<int> v = visits(pool, 300, 4);
        EXPECT_EQ(std::count(v.begin(), v.end(), 1), 300) << "size " << size;
    }
}

TEST(WorkerPool, ThousandsOfShortJobsInARowAllComplete) {
    WorkerPool pool(3);
    long long total = 0;
    for (int job = 0; job < 3000; ++job) {
        std::atomic<long long> sum{0};
        const int count = job % 17;
        pool.parallelFor(count, 2, [&](int, int begin, int end) {
            for (int i = begin; i < end; ++i) {
                sum.fetch_add(i + 1);
            }
        });
        ASSERT_EQ(sum.load(), static_cast<long long>(count) * (count + 1) / 2) << "job " << job;
        total += sum.load();
    }
    EXPECT_GT(total, 0);
}

TEST(WorkerPool, DestroyedWhileIdleOrRightAfterItsStartJoinsItsThreads) {
    std::atomic<int> started{0};
    for (int k = 0; k < 200; ++k) {
        WorkerPool pool(3, [&] { started.fetch_add(1); });
        if (k % 2 == 0) {
            const std::vector<int> v = visits(pool, 20, 1);
            EXPECT_EQ(std::count(v.begin(), v.end(), 1), 20);
        }
    }
    // The start function runs first in every started thread, also in one stopped before it
    // waited for work: two threads per pool of three.
    EXPECT_EQ(started.load(), 200 * 2);
}

TEST(WorkerPool, WorkRunsOnSeveralThreadsAtOnce) {
    // Two chunks that each wait for the other: a pool that ran them one after the other would
    // never finish this job, so it proves that two threads share it.
    WorkerPool pool(2);
    std::mutex m;
    std::condition_variable cv;
    int arrived = 0;
    bool together = true;
    pool.parallelFor(2, 1, [&](int, int, int) {
        std::unique_lock lock(m);
        ++arrived;
        cv.notify_all();
        together =
            together && cv.wait_for(lock, std::chrono::seconds(20), [&] { return arrived == 2; });
    });
    EXPECT_TRUE(together);
}

} // namespace
} // namespace sonora
