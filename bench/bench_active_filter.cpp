// Cost of the active-filter stage: one amplifier with all 12 stages over the 250-point grid.
#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/active_filter.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "model/record_defaults.h"

namespace {

constexpr int kAmp = 0;

sonora::TFilter stage(sonora::FilterKind kind, double f) {
    sonora::TFilter fil = sonora::defaultFilter();
    fil.typ = sonora::typOf(kind);
    fil.f = f; // Hz
    return fil;
}

// A chain as a user builds it: crossover slopes, equalizers, shelves, a delay.
void fillMixedChain(sonora::TAktfilter& akt) {
    using K = sonora::FilterKind;
    const K kinds[sonora::kMaxFilters] = {K::LinkwitzRileyHighPass,
                                          K::ButterworthLowPass,
                                          K::ParametricEq,
                                          K::ParametricEq,
                                          K::ShelfHigh2,
                                          K::ShelfLow1,
                                          K::Delay,
                                          K::AllPass2,
                                          K::HighPass2,
                                          K::LinkwitzTransform,
                                          K::BandPass,
                                          K::LowPass1};
    for (int s = 0; s < sonora::kMaxFilters; ++s) {
        akt.fil[s] = stage(kinds[s], 80.0 * (s + 1));
    }
    akt.fil[0].n = 4;
    akt.fil[1].n = 8;
    akt.fil[2].a = 2.0;  // +6 dB
    akt.fil[3].a = 0.5;  // -6 dB
    akt.fil[6].t = 2e-4; // 0.2 ms
}

// The worst case the editor allows: 12 Butterworth stages of order 128.
void fillSteepChain(sonora::TAktfilter& akt) {
    for (int s = 0; s < sonora::kMaxFilters; ++s) {
        akt.fil[s] = stage(s % 2 == 0 ? sonora::FilterKind::ButterworthHighPass
                                      : sonora::FilterKind::ButterworthLowPass,
                           s % 2 == 0 ? 40.0 : 15000.0);
        akt.fil[s].n = sonora::kMaxFilterOrder;
    }
}

void runStage(benchmark::State& state, void (*fill)(sonora::TAktfilter&)) {
    sonora::TCalcThread::Options o;
    o.pause = std::chrono::milliseconds(0);
    o.lowerPriority = false;
    sonora::TCalcThread calc(o);                  // idle worker; the stage is called directly
    sonora::initDefaultProjekt(*calc.aktProjekt); // 250-point grid
    fill(calc.aktProjekt->amp[kAmp].aktfilter);
    for (auto _ : state) {
        sonora::CalcActiveFilter(calc, kAmp);
        benchmark::DoNotOptimize(calc.Res->fgang_akt[kAmp]);
        benchmark::ClobberMemory();
    }
    if (calc.CalcStruct.bfgang_akt[kAmp].view() != "OK") {
        state.SkipWithError("the stage did not succeed");
    }
    state.SetItemsProcessed(state.iterations() * sonora::kDefaultGridPoints);
}

void BM_ActiveFilterMixedChain(benchmark::State& state) {
    runStage(state, fillMixedChain);
}
void BM_ActiveFilterButterworth128Chain(benchmark::State& state) {
    runStage(state, fillSteepChain);
}

} // namespace

BENCHMARK(BM_ActiveFilterMixedChain);
BENCHMARK(BM_ActiveFilterButterworth128Chain);
