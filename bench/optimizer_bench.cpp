// Cost of the optimizer: one candidate (crossover and box stage of a run object after one changed
// part, then its rating) on the three-way example at 250 points, two candidates at once as a pass
// computes them, the rating alone, and the wall time of the real optimization of the two-way
// example with its woofer low-pass detuned by a factor of two. Argument 0 of the candidate and of
// the whole run computes the planes at every angle (as before the run objects computed only the
// rated directions), argument 1 as the optimizer does now.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "engine/calc_thread.h"
#include "engine/example_projects.h"
#include "optimizer/opti_host.h"
#include "optimizer/opti_thread.h"
#include "optimizer/rated_planes.h"
#include "optimizer/rating_params.h"

namespace {

using namespace sonora;
using namespace std::chrono_literals;

constexpr auto kNoHang = 120s;         // only guards against a hang
constexpr auto kRunNoHang = 600s;      // a whole optimization
constexpr double kMsPerDay = 86400e3;  // run object timers count days
constexpr double kStepFactor = 1.0625; // a candidate's change: one step of Value/16
constexpr int kBoundedPasses = 16;     // the optimizer test's bound on the 40-point run
constexpr int kTestGrid = 40;          // points of the optimizer test's run

TBewertungsparameter defaultParameters(const TProjekt& p) {
    return HoleAlleBewPara(RatingSliders{}, fgangWeightsFromSliders(WeightSliders{}),
                           InitArbeitsfreqs({}, p), p.nChassis);
}

// An optimizer run object that has computed the three-way example once; candidates change
// one capacitor in newProjekt and start the object as the optimizer thread does.
struct CandidateObject {
    RatedPlaneStages stages; // before the calculation object, which uses it
    std::unique_ptr<TCalcThread> calc;
    TBewertungsparameter para{};
    TBewertungen grades{};
    int slot = verticalSlot(1, 4); // a capacitor of the tweeter's high-pass
    double original = 0;
    bool toggle = false;

    // ratedPlanesOnly: the box stage computes the planes at the rated directions only, as the
    // optimizer's run objects do; false: at every angle.
    CandidateObject(const TProjekt& p, bool ratedPlanesOnly) {
        para = defaultParameters(p);
        stages.angles = ratedPlanesOnly ? ratedPlaneAngles(para) : PlaneAngles::all();
        TCalcThread::Options o;
        o.isOptimizeThread = true;
        o.pause = 0ms;
        o.lowerPriority = false;
        o.stages = &stages;
        calc = std::make_unique<TCalcThread>(o);
        calc->rating = [this](TCalcThread& c) {
            BewerteErgebnisse(*c.Res, *c.aktProjekt, para, grades);
        };
        calc->requestCalcNew(p);
        calc->waitUntilIdle(kNoHang);
        original = p.amp[0].weiche[slot].value;
    }
    // Written only while the object is idle, like the optimizer thread does.
    void startCandidate() {
        toggle = !toggle;
        calc->newProjekt->amp[0].weiche[slot].value = toggle ? original * kStepFactor : original;
        calc->bCalcnew = true;
        calc->setEvent();
    }
    bool finish() { return calc->waitUntilIdle(kNoHang); }
    double stageMs(DayTime t) const { return t * kMsPerDay; }
};

std::unique_ptr<TProjekt> threeWay() {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 250);
    return p;
}

// One candidate on one run object: the figure the optimizer's speed depends on.
void BM_CandidateThreeWay(benchmark::State& state) {
    const auto p = threeWay();
    CandidateObject o(*p, state.range(0) != 0);
    double crossoverMs = 0, boxMs = 0, totalMs = 0;
    for (auto _ : state) {
        o.startCandidate();
        if (!o.finish()) {
            state.SkipWithError("candidate did not finish");
            break;
        }
        crossoverMs += o.stageMs(o.calc->tim_we);
        boxMs += o.stageMs(o.calc->tim_bo);
        totalMs += o.stageMs(o.calc->tim); // whole run of the object, rating included
    }
    const auto n = static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations()); // items/s = candidates per second
    state.counters["crossover_ms"] = crossoverMs / n;
    state.counters["box_ms"] = boxMs / n;
    state.counters["run_ms"] = totalMs / n;
}
BENCHMARK(BM_CandidateThreeWay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Two candidates at once on two run objects, as every step of a pass computes them (objects 1
// and 2); items/s counts both, so per run object it is half.
void BM_TwoCandidatesInParallel(benchmark::State& state) {
    const auto p = threeWay();
    CandidateObject a(*p, true);
    CandidateObject b(*p, true);
    for (auto _ : state) {
        a.startCandidate();
        b.startCandidate();
        if (!a.finish() || !b.finish()) {
            state.SkipWithError("candidate did not finish");
            break;
        }
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_TwoCandidatesInParallel)->Unit(benchmark::kMillisecond)->UseRealTime();

// The rating alone on a computed three-way result.
void BM_RatingThreeWay(benchmark::State& state) {
    const auto p = threeWay();
    CandidateObject o(*p, false);
    TBewertungen grades{};
    for (auto _ : state) {
        BewerteErgebnisse(*o.calc->Res, *o.calc->aktProjekt, o.para, grades);
        benchmark::DoNotOptimize(grades.Note);
    }
}
BENCHMARK(BM_RatingThreeWay)->Unit(benchmark::kMillisecond);

// The optimizer thread's calls answered at once; a fixed part keeps the optimizer's value (the
// command line's manual choice). With `maxPasses` > 0 the run is stopped after that many passes.
class BenchHost : public OptiHost {
public:
    explicit BenchHost(const TBewertungsparameter& para, int maxPasses)
        : para_(para), maxPasses_(maxPasses) {}
    TBewertungsparameter HoleAlleBewPara() override { return para_; }
    void UpdatePercentage(int) override {}
    void Noten2Memo(const TBewertungen& grades, const TResult&) override {
        notes.push_back(grades.Note);
        if (maxPasses_ > 0 && static_cast<int>(notes.size()) > maxPasses_ && thread != nullptr) {
            thread->requestStop();
        }
    }
    void Choosefixpart(TPart&) override { ++fixed; }
    void ShowOptimizeReady() override {}

    TOptiThread* thread = nullptr;
    std::vector<double> notes;
    int fixed = 0;

private:
    TBewertungsparameter para_;
    int maxPasses_;
};

// The woofer series coil and shunt capacitor of the two-way doubled and marked.
std::unique_ptr<TProjekt> detunedTwoWay(int points) {
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p, points);
    for (int slot : {verticalSlot(0, 0), verticalSlot(1, 0)}) {
        p->amp[0].weiche[slot].value *= 2;
        p->amp[0].weiche[slot].bOptimize = true;
    }
    return p;
}

// Start to end of a whole optimizer run on fresh run objects (their first run is a full one).
// ratedPlanesOnly false gives the run objects the engine's stages: planes at every angle.
void runOptimization(benchmark::State& state, int points, int maxPasses,
                     bool ratedPlanesOnly = true) {
    CalcStages engineStages;
    const auto p = detunedTwoWay(points);
    const TBewertungsparameter para = defaultParameters(*p);
    auto seed = std::make_unique<TResult>();
    auto seedStages = std::make_unique<TCalcStruct>();
    for (auto _ : state) {
        BenchHost host(para, maxPasses);
        TOptiThread::Options o;
        o.host = &host;
        o.lowerPriority = false;
        o.stages = ratedPlanesOnly ? nullptr : &engineStages;
        TOptiThread thread(o);
        host.thread = &thread;
        thread.start(*p, *seed, *seedStages, para);
        if (!thread.waitUntilIdle(kRunNoHang) || host.notes.empty()) {
            state.SkipWithError("optimization did not finish");
            break;
        }
        state.counters["passes"] = thread.completedPasses();
        state.counters["fixed"] = host.fixed;
        state.counters["note_before"] = host.notes.front();
        state.counters["note_after"] = thread.runObject(TOptiThread::kBest).Bewertungen.Note;
    }
}

// The real optimization at the full grid, left to end by itself (every part fixed).
void BM_DetunedTwoWayRun(benchmark::State& state) {
    runOptimization(state, 250, 0, state.range(0) != 0);
}
BENCHMARK(BM_DetunedTwoWayRun)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

// The optimizer test's run: 40 points, stopped after 16 passes.
void BM_DetunedTwoWayBoundedTestRun(benchmark::State& state) {
    runOptimization(state, kTestGrid, kBoundedPasses);
}
BENCHMARK(BM_DetunedTwoWayBoundedTestRun)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace
