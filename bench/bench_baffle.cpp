// The baffle model: one driver on a bevelled baffle over the default 250-point grid, and the edge
// phasor sum alone.
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "acoustics/baffle.h"
#include "acoustics/baffle_paths.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"

namespace {

struct Response {
    sonora::BaffleResponse rows;
};

// A 25 × 40 cm baffle with 1 cm bevels, a 13 cm cone off centre.
sonora::TSchallwand typicalBaffle() {
    sonora::TSchallwand sw{};
    sw.beugl = sw.beugr = sw.beugo = sw.beugu = true;
    sw.swb = 0.25; // m
    sw.swh = 0.40;
    sw.swc = 0.11;
    sw.swa = 0.26;
    sw.swd = 0.13;
    sw.swe = sw.swf = sw.swg = sw.swi = 0.01;
    return sw;
}

std::vector<double> defaultGrid() {
    std::vector<double> grid(sonora::kCurvePoints, 0.0);
    sonora::BuildFrequencyGrid(sonora::kDefaultFMin, sonora::kDefaultFMax,
                               sonora::kDefaultGridPoints, grid.data());
    return grid;
}

void BM_CalcBaffle(benchmark::State& state) {
    const sonora::TSchallwand sw = typicalBaffle();
    auto driver = std::make_unique<sonora::TChassis>();
    sonora::initDefaultChassis(*driver);
    const std::vector<double> grid = defaultGrid();
    auto out = std::make_unique<Response>();
    std::string text;
    for (auto _ : state) {
        sonora::CalcBaffle(out->rows, sw, *driver, text, sonora::kBaffleGridCount, grid.data(),
                           static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out->rows[0][0]);
        benchmark::ClobberMemory();
    }
    state.SetLabel(text);
}
BENCHMARK(BM_CalcBaffle)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The hot loop: one unmerged list of 960 sources.
void BM_SumEdges(benchmark::State& state) {
    const sonora::TSchallwand sw = typicalBaffle();
    std::vector<sonora::EdgePoint> points(sonora::kEdgePointCapacity);
    sonora::BuildEdgePoints(points.data(), sonora::kEdgePointCapacity, sw,
                            sonora::kStartBaffleTuning);
    auto list = std::make_unique<sonora::PathList>();
    sonora::BuildPathList(*list, points.data(), 1, sonora::kStartBaffleTuning);
    const double lambda = 344.0 / 10000.0; // m, at 10 kHz
    for (auto _ : state) {
        benchmark::DoNotOptimize(sonora::SumEdges(*list, lambda));
    }
    state.SetItemsProcessed(state.iterations() * list->count);
}
BENCHMARK(BM_SumEdges);

} // namespace
