// The driver model: one vented woofer evaluated over the default 250-point grid.
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "engine/driver_model.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"

namespace {

void BM_SimulateVentedDriver(benchmark::State& state) {
    auto driver = std::make_unique<sonora::TChassis>();
    sonora::initDefaultChassis(*driver);
    driver->fs = 40.0;    // Hz
    driver->qes = 0.4;    // 1
    driver->qms = 3.2;    // 1
    driver->vas = 0.05;   // m³
    driver->Rdc = 6.0;    // Ohm
    driver->Le = 0.5e-3;  // H
    driver->Le2 = 1e-3;   // H
    driver->Re2 = 5.0;    // Ohm
    driver->Le3 = 2e-3;   // H
    driver->Re3 = 20.0;   // Ohm
    driver->Sd = 0.022;   // m²
    driver->xlin = 0.005; // m
    sonora::TEinbau mounting = sonora::defaultEinbau();
    mounting.typ = sonora::kEinbauBassreflex;
    mounting.Vb = 0.05; // m³
    mounting.fb = 40.0; // Hz
    sonora::DeriveMountingLosses(*driver, mounting);

    std::vector<double> grid(sonora::kCurvePoints, 0.0);
    sonora::BuildFrequencyGrid(sonora::kDefaultFMin, sonora::kDefaultFMax,
                               sonora::kDefaultGridPoints, grid.data());
    auto out = std::make_unique<sonora::DriverResponse>();
    auto work = std::make_unique<sonora::TChassis>(*driver);
    for (auto _ : state) {
        benchmark::DoNotOptimize(sonora::SimulateDriver(*work, mounting, grid.data(), *out));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * sonora::kDefaultGridPoints);
}
BENCHMARK(BM_SimulateVentedDriver)->Unit(benchmark::kMicrosecond);

} // namespace
