// Whole-record copies: undo snapshots and the run objects copy projects and results as a whole.
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>

#include "model/large_block.h"
#include "model/record_defaults.h"
#include "model/records.h"
#include "model/result.h"

namespace {

void BM_CopyProjekt(benchmark::State& state) {
    auto a = std::make_unique<sonora::TProjekt>();
    auto b = std::make_unique<sonora::TProjekt>();
    sonora::initDefaultProjekt(*a);
    for (auto _ : state) {
        *b = *a;
        benchmark::DoNotOptimize(b->freq[0]);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(sonora::TProjekt)));
}
BENCHMARK(BM_CopyProjekt)->Unit(benchmark::kMicrosecond);

void BM_CompareProjekt(benchmark::State& state) {
    // Change detection compares the new project with the last one; equal projects read it all.
    auto a = std::make_unique<sonora::TProjekt>();
    sonora::initDefaultProjekt(*a);
    auto b = std::make_unique<sonora::TProjekt>(*a);
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::memcmp(a.get(), b.get(), sizeof(sonora::TProjekt)));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(sonora::TProjekt)));
}
BENCHMARK(BM_CompareProjekt)->Unit(benchmark::kMicrosecond);

void BM_CopyResult(benchmark::State& state) {
    auto a = std::make_unique<sonora::TResult>();
    auto b = std::make_unique<sonora::TResult>();
    for (auto _ : state) {
        *b = *a;
        benchmark::DoNotOptimize(b->freq[0]);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(sonora::TResult)));
}
BENCHMARK(BM_CopyResult)->Unit(benchmark::kMillisecond);

// The same copy between blocks of the project's kind (huge pages), which results used before they
// moved to small pages to keep the pages a run never writes out of memory.
void BM_CopyResultHugePages(benchmark::State& state) {
    constexpr std::size_t kBytes = sizeof(sonora::TResult);
    const auto release = [](void* p) { sonora::releaseLarge(p); };
    std::unique_ptr<void, decltype(release)> a(
        sonora::allocateLarge(kBytes, sonora::LargeBlockUse::Dense), release);
    std::unique_ptr<void, decltype(release)> b(
        sonora::allocateLarge(kBytes, sonora::LargeBlockUse::Dense), release);
    std::memset(a.get(), 0, kBytes);
    std::memset(b.get(), 0, kBytes);
    for (auto _ : state) {
        std::memcpy(b.get(), a.get(), kBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kBytes));
}
BENCHMARK(BM_CopyResultHugePages)->Unit(benchmark::kMillisecond);

// Clearing the result at the start of a full run, with the run's writes after it (about what a
// three-way writes): handing the pages back, so the writes fault them in again, against writing
// zeros over all 75 MB.
void BM_ClearResult(benchmark::State& state) {
    auto r = std::make_unique<sonora::TResult>();
    for (auto _ : state) {
        std::memset(static_cast<void*>(r->fgang_sw), 1, sizeof r->fgang_sw / 8);
        sonora::zeroLarge(r.get(), sizeof(sonora::TResult));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ClearResult)->Unit(benchmark::kMillisecond);

void BM_ClearResultMemset(benchmark::State& state) {
    auto r = std::make_unique<sonora::TResult>();
    for (auto _ : state) {
        std::memset(static_cast<void*>(r->fgang_sw), 1, sizeof r->fgang_sw / 8);
        std::memset(static_cast<void*>(r.get()), 0, sizeof(sonora::TResult));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ClearResultMemset)->Unit(benchmark::kMillisecond);

// The same two operations through the record's driver span, as the run object and the window do
// them now, for a three-way (span 3).
void BM_CopyResultThroughSpan(benchmark::State& state) {
    auto a = std::make_unique<sonora::TResult>();
    auto b = std::make_unique<sonora::TResult>();
    std::memset(static_cast<void*>(a.get()), 0, sizeof(sonora::TResult));
    std::memset(static_cast<void*>(b.get()), 0, sizeof(sonora::TResult));
    a->driverSpan = 3;
    for (auto _ : state) {
        sonora::copyResult(*b, *a);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyResultThroughSpan)->Unit(benchmark::kMillisecond);

void BM_ClearResultThroughSpan(benchmark::State& state) {
    auto r = std::make_unique<sonora::TResult>();
    for (auto _ : state) {
        std::memset(static_cast<void*>(r->fgang_sw), 1, 3 * sizeof r->fgang_sw[0]);
        r->driverSpan = 3;
        sonora::clearResult(*r);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ClearResultThroughSpan)->Unit(benchmark::kMillisecond);

} // namespace
