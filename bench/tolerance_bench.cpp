// Cost of the tolerance analysis on the three-way example (250 grid points): 200 trials with only
// the crossover parts drawn (crossover and box stages rerun), and with the driver values drawn as
// well (driver, crossover and box stages; the baffles stay), each on two run objects; and for
// comparison one incremental capacitor change and one full run on a single run object.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "analysis/tolerance.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"

namespace {

using namespace sonora;
using namespace std::chrono_literals;

ToleranceSettings crossoverOnly() {
    ToleranceSettings s;
    s.fs = s.qes = s.qms = s.vas = s.re = s.le = s.levelDb = 0;
    return s;
}

void runAnalysis(benchmark::State& state, const ToleranceSettings& s) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 250);
    for (auto _ : state) {
        ToleranceResult r;
        std::string error;
        if (computeTolerance(*p, s, r, {}, error) != ToleranceStatus::Ok) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(r.deviationOnAxis);
        state.counters["sensitivities"] = static_cast<double>(r.sensitivities.size());
    }
}

// The target case: 200 trials, crossover parts only, no sensitivities, on one and on two run
// objects (the argument).
void BM_Tolerance200CrossoverOnly(benchmark::State& state) {
    ToleranceSettings s = crossoverOnly();
    s.sensitivities = false;
    s.threads = static_cast<int>(state.range(0));
    runAnalysis(state, s);
}
BENCHMARK(BM_Tolerance200CrossoverOnly)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// 200 trials with the default driver tolerances too: the driver stages rerun, the baffles not.
void BM_Tolerance200WithDrivers(benchmark::State& state) {
    ToleranceSettings s;
    s.sensitivities = false;
    s.threads = 2;
    runAnalysis(state, s);
}
BENCHMARK(BM_Tolerance200WithDrivers)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// As the command line runs it by default: the trials plus two calculations per part and value.
void BM_Tolerance200WithSensitivities(benchmark::State& state) {
    ToleranceSettings s;
    s.threads = 2;
    runAnalysis(state, s);
}
BENCHMARK(BM_Tolerance200WithSensitivities)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

} // namespace
