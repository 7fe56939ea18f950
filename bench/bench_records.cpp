// Whole-record copies: undo snapshots and the run objects copy projects and results as a whole.
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>

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

} // namespace
