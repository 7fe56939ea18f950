// The box stage: three drivers in two networks on the 250-point grid, sphere sampled as by the
// interactive run object (771 samples) and as by the optimizer's (111).
#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include <benchmark/benchmark.h>

#include "engine/box_sphere.h"
#include "engine/box_stage.h"
#include "model/frequency_grid.h"

namespace {

constexpr int kDrivers = 3;
constexpr int kGridPoints = 250;

struct BoxCase {
    std::unique_ptr<sonora::TProjekt> project = std::make_unique<sonora::TProjekt>();
    std::unique_ptr<sonora::TResult> result = std::make_unique<sonora::TResult>();

    BoxCase() {
        sonora::TProjekt& p = *project;
        sonora::TResult& r = *result;
        p.nAmps = 2;
        p.nChassis = kDrivers;
        sonora::BuildFrequencyGrid(20.0, 20000.0, kGridPoints, p.freq); // Hz
        std::mt19937 gen(42);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        for (int d = 0; d < sonora::kMaxChassis; ++d) {
            r.chassisAmp[d] = -1;
        }
        const double height[kDrivers] = {-0.25, 0.05, 0.2}; // m: woofer, midrange, tweeter
        for (int d = 0; d < kDrivers; ++d) {
            r.chassisAmp[d] = d == 0 ? 0 : 1;
            p.chassis[d].xlin = 0.004; // m
            p.chassis[d].Pmax = 60.0;  // W
            p.chassis[d].ZNenn = 8.0;  // Ohm
            sonora::TSchallwand& w = p.schallwand[d];
            w.swvert = height[d];
            w.swhor = 0.02 * d;
            w.swstra = -0.01 * d;
            w.swvertr = -0.3;
            w.swstrar = -0.3;
            for (int i = 0; i < kGridPoints; ++i) {
                r.fgang_weiche[d][i] = sonora::Complex{0.7 + 0.1 * u(gen), 0.2 * u(gen)};
                r.fgang_xch[d][i] = 1e-3;
                for (int s = 0; s < sonora::kSides; ++s) {
                    r.fgang_ch[d][s][i] = sonora::Complex{u(gen), u(gen)};
                    r.fgang_ch_oMw[d][s][i] = r.fgang_ch[d][s][i];
                    for (int k = 0; k < sonora::kDirections; ++k) {
                        r.fgang_sw[d][s][i][k] = sonora::Complex{u(gen), u(gen)};
                    }
                }
            }
        }
        p.chassis[2].Richt.RichtSimu = 1; // the tweeter with measured directivity
        p.chassis[2].Richt.nRicht = 19;
        for (int a = 0; a < 2; ++a) {
            for (int i = 0; i < kGridPoints; ++i) {
                r.fgang_akt[a][i] = sonora::Complex{1.0, 0.0};
            }
        }
    }
};

void BM_BoxStage(benchmark::State& state) {
    BoxCase c;
    const int step = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(sonora::computeBox(*c.project, *c.result, step));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kGridPoints);
}
BENCHMARK(BM_BoxStage)
    ->Arg(sonora::kSphereStepInteractive)
    ->Arg(sonora::kSphereStepOptimizer)
    ->Unit(benchmark::kMillisecond);

} // namespace
