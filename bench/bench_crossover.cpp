// Cost of one crossover stage: a three-way passive network of 19 parts and 3 drivers solved over
// the 250-point grid, once through the solver alone and once as the run object's stage.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "engine/calc_thread.h"
#include "engine/crossover_solver.h"
#include "engine/stages.h"
#include "model/frequency_grid.h"

namespace {

using namespace sonora;

constexpr int kGridPoints = 250; // the "fein" grid
constexpr double kTwoPi = 6.283185307179586477;

// Terminal impedances of the three drivers as Re (Ohm) + jw*Le (H).
constexpr double kDriverRe[3] = {5.8, 6.1, 4.2};
constexpr double kDriverLe[3] = {1.1e-3, 0.4e-3, 0.05e-3};

struct PartPlacer {
    TPart (&weiche)[kPartSlots];
    int slot = 0;
    void add(PartTyp typ, int nod1, int nod2, double value = 0.0, double rvalue = 0.0,
             int chassis = 0) {
        TPart& p = weiche[slot++];
        p.typ = typ;
        p.nod1 = nod1;
        p.nod2 = nod2;
        p.value = value;
        p.Rvalue = rvalue;
        p.chassisnr = static_cast<std::int16_t>(chassis);
        p.verpolt = -1;
    }
};

// A three-way network; node 0 is the common return, 1 the amplifier's hot side. Values in SI.
void threeWayNetwork(TPart (&weiche)[kPartSlots]) {
    PartPlacer p{weiche};
    p.add(kPartAmplifier, 1, 0);
    // Woofer: second-order low-pass with a Zobel.
    p.add(kPartCoil, 1, 2, 1.8e-3, 0.3);
    p.add(kPartCoil, 2, 3, 0.6e-3, 0.15);
    p.add(kPartCapacitor, 2, 0, 33e-6);
    p.add(kPartResistor, 3, 4, 6.0);
    p.add(kPartCapacitor, 4, 0, 10e-6);
    p.add(kPartDriver, 3, 0, 0.0, 0.0, 0);
    // Mid: band-pass and an L-pad.
    p.add(kPartCapacitor, 1, 5, 22e-6);
    p.add(kPartCoil, 5, 0, 0.8e-3, 0.4);
    p.add(kPartCoil, 5, 6, 0.4e-3, 0.2);
    p.add(kPartCapacitor, 6, 0, 8e-6);
    p.add(kPartResistor, 6, 7, 2.0);
    p.add(kPartResistor, 7, 0, 10.0);
    p.add(kPartDriver, 7, 0, 0.0, 0.0, 1);
    // Tweeter: third-order high-pass, attenuation and a Zobel.
    p.add(kPartCapacitor, 1, 8, 4.7e-6);
    p.add(kPartCoil, 8, 0, 0.2e-3, 0.1);
    p.add(kPartCapacitor, 8, 9, 6.8e-6);
    p.add(kPartResistor, 9, 10, 3.3);
    p.add(kPartResistor, 10, 0, 8.2);
    p.add(kPartResistor, 10, 11, 4.0);
    p.add(kPartCapacitor, 11, 0, 2.2e-6);
    p.add(kPartDriver, 10, 0, 0.0, 0.0, 2);
}

void fillDriverImpedances(const double* freq, Complex (&impedanz_ch)[kMaxChassis][kResultFreqs]) {
    for (int d = 0; d < 3; ++d) {
        for (int i = 0; i < kResultFreqs; ++i) {
            impedanz_ch[d][i] = Complex{kDriverRe[d], kTwoPi * freq[i] * kDriverLe[d]};
        }
    }
}

struct SolverArrays {
    double freq[kCurvePoints];
    Complex impedanz_ch[kMaxChassis][kResultFreqs];
    Complex fgang_weiche[kMaxChassis][kResultFreqs];
    Complex impedanz_box[kResultFreqs];
};

void BM_CrossoverSolveThreeWay(benchmark::State& state) {
    auto amp = std::make_unique<TAmp>();
    threeWayNetwork(amp->weiche);
    auto a = std::make_unique<SolverArrays>();
    BuildFrequencyGrid(kDefaultGridFMin, kDefaultGridFMax, kGridPoints, a->freq);
    fillDriverImpedances(a->freq, a->impedanz_ch);
    auto ws = std::make_unique<CrossoverWorkspace>();
    for (auto _ : state) {
        CrossoverStatus s = buildCrossoverNetwork(amp->weiche, ws->network);
        s = solveCrossover(ws->network, a->freq, a->impedanz_ch, *ws, a->fgang_weiche,
                           a->impedanz_box);
        benchmark::DoNotOptimize(s);
        benchmark::ClobberMemory();
    }
    state.counters["variables"] = ws->network.variableCount();
    state.SetItemsProcessed(state.iterations() * kGridPoints);
}

void BM_CrossoverStageThreeWay(benchmark::State& state) {
    TCalcThread::Options o;
    o.pause = std::chrono::milliseconds(0);
    o.lowerPriority = false;
    TCalcThread calc(o); // idle worker; the stage is called directly
    std::memset(static_cast<void*>(calc.aktProjekt.get()), 0, sizeof(TProjekt));
    BuildFrequencyGrid(kDefaultGridFMin, kDefaultGridFMax, kGridPoints, calc.aktProjekt->freq);
    threeWayNetwork(calc.aktProjekt->amp[0].weiche);
    fillDriverImpedances(calc.aktProjekt->freq, calc.Res->impedanz_ch);
    for (auto _ : state) {
        CalcCrossover(calc, 0);
        benchmark::ClobberMemory();
    }
    if (calc.CalcStruct.bfgang_weiche[0].view() != kStatusOk) {
        state.SkipWithError("the stage failed");
    }
    state.SetItemsProcessed(state.iterations() * kGridPoints);
}

} // namespace

BENCHMARK(BM_CrossoverSolveThreeWay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrossoverStageThreeWay)->Unit(benchmark::kMillisecond);
