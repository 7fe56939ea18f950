// Cost of carrying one measured curve onto the project grid, as done once per driver per
// calculation.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "model/frequency_grid.h"
#include "model/interpolate.h"
#include "model/records.h"

namespace {

constexpr int kGridPoints = 250;          // the "fein" grid
constexpr int kMeasuredPoints = 600;      // a full measured curve, index 600 is the terminator
constexpr double kMeasuredFMin = 10.0;    // Hz
constexpr double kMeasuredFMax = 40000.0; // Hz

void interpolateCurveOntoGrid(benchmark::State& state, double width) {
    std::vector<double> grid(sonora::kCurvePoints, 0.0);
    sonora::BuildFrequencyGrid(sonora::kDefaultGridFMin, sonora::kDefaultGridFMax, kGridPoints,
                               grid.data());
    std::vector<double> f(sonora::kCurvePoints, 0.0);
    std::vector<double> y(sonora::kCurvePoints, 0.0);
    sonora::BuildFrequencyGrid(kMeasuredFMin, kMeasuredFMax, kMeasuredPoints, f.data());
    for (int i = 0; i < kMeasuredPoints; ++i) {
        y[i] = 85.0 + 3.0 * std::sin(0.05 * i); // dB, a rippled response
    }
    std::vector<double> out(kGridPoints);
    for (auto _ : state) {
        for (int i = 0; i < kGridPoints; ++i) {
            out[i] = sonora::InterpolateSmoothed(f.data(), y.data(), grid[i], width);
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kGridPoints);
}

void BM_InterpolateSmoothedPlain(benchmark::State& state) {
    interpolateCurveOntoGrid(state, 0.0);
}
void BM_InterpolateSmoothedWidth024(benchmark::State& state) {
    interpolateCurveOntoGrid(state, 0.24);
}

} // namespace

BENCHMARK(BM_InterpolateSmoothedPlain);
BENCHMARK(BM_InterpolateSmoothedWidth024);
