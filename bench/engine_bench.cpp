// Cost of whole calculations and of each stage alone, on the example projects: a two-way and a
// three-way vented box, 250 grid points; and the spinorama computed from a finished result. Stages
// alone run on a run object that has computed the project once, so their inputs are the real ones.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "analysis/spinorama.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"
#include "engine/stages.h"

namespace {

using namespace sonora;
using namespace std::chrono_literals;

constexpr auto kNoHang = 120s; // only guards against a hang

// A run object with the window's side, as the command line drives it.
struct Session {
    TFormRechnen form;
    std::unique_ptr<TCalcThread> calc;
    std::unique_ptr<TProjekt> project = std::make_unique<TProjekt>();

    // poolSize 1 is the sequential run; the window and the command line use automaticPoolSize().
    explicit Session(void (*build)(TProjekt&, int), int poolSize = 1) {
        build(*project, 250);
        TCalcThread::Options o;
        o.poolSize = poolSize;
        o.pause = 0ms;
        o.lowerPriority = false;
        o.listener = &form;
        calc = std::make_unique<TCalcThread>(o);
        form.attach(calc.get());
    }
    void calcAll(benchmark::State& state) {
        form.CalcAllNew(*project);
        if (!calc->waitUntilIdle(kNoHang)) {
            state.SkipWithError("calculation did not finish");
        }
    }
    void calcNew(benchmark::State& state) {
        form.CalcNew(*project);
        if (!calc->waitUntilIdle(kNoHang)) {
            state.SkipWithError("calculation did not finish");
        }
    }
};

void BM_FullTwoWay(benchmark::State& state) {
    Session s(buildTwoWayExample);
    for (auto _ : state) {
        s.calcAll(state);
    }
}
BENCHMARK(BM_FullTwoWay)->Unit(benchmark::kMillisecond)->UseRealTime();

// The argument of the pool-size variants is the run object's poolSize: 1 sequential, 2 both cores.
void BM_FullThreeWay(benchmark::State& state) {
    Session s(buildThreeWayExample, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.calcAll(state);
    }
}
BENCHMARK(BM_FullThreeWay)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// One capacitor of the three-way changes: the crossover and the box stage run again.
void BM_IncrementalCapacitorChange(benchmark::State& state) {
    Session s(buildThreeWayExample, static_cast<int>(state.range(0)));
    s.calcAll(state);
    TPart& capacitor = s.project->amp[0].weiche[verticalSlot(1, 4)];
    const double original = capacitor.value;
    bool toggle = false;
    for (auto _ : state) {
        toggle = !toggle;
        capacitor.value = toggle ? original * 1.1 : original;
        s.calcNew(state);
    }
}
BENCHMARK(BM_IncrementalCapacitorChange)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The stages alone on the three-way's computed run object (the worker is idle meanwhile).
void BM_StageBaffleOneDriver(benchmark::State& state) {
    Session s(buildThreeWayExample);
    s.calcAll(state);
    for (auto _ : state) {
        CalcBaffle(*s.calc, 0);
    }
}
BENCHMARK(BM_StageBaffleOneDriver)->Unit(benchmark::kMillisecond);

void BM_StageDriver(benchmark::State& state) {
    Session s(buildThreeWayExample);
    s.calcAll(state);
    for (auto _ : state) {
        CalcDriver(*s.calc, 0);
    }
}
BENCHMARK(BM_StageDriver)->Unit(benchmark::kMillisecond);

void BM_StageCrossover(benchmark::State& state) {
    Session s(buildThreeWayExample);
    s.calcAll(state);
    for (auto _ : state) {
        CalcCrossover(*s.calc, 0);
    }
}
BENCHMARK(BM_StageCrossover)->Unit(benchmark::kMillisecond);

void BM_StageBoxThreeDrivers(benchmark::State& state) {
    Session s(buildThreeWayExample, static_cast<int>(state.range(0)));
    s.calcAll(state);
    for (auto _ : state) {
        CalcBox(*s.calc);
    }
}
// Real time: with a pool the calling thread's CPU time leaves out what the other threads do.
BENCHMARK(BM_StageBoxThreeDrivers)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The spinorama and the preference rating of a finished three-way result: what the window, the
// export and the command line add to a run.
void BM_SpinoramaThreeWay(benchmark::State& state) {
    Session s(buildThreeWayExample);
    s.calcAll(state);
    auto spin = std::make_unique<Spinorama>();
    for (auto _ : state) {
        computeSpinorama(*s.form.result, *spin);
        benchmark::DoNotOptimize(spin->rating.score);
    }
}
BENCHMARK(BM_SpinoramaThreeWay)->Unit(benchmark::kMillisecond);

} // namespace
