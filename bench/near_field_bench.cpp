// Cost of one near-field redraw on the computed three-way example: 3 drivers, a 20 m × 4 m map
// (89 910 cells), "1 Oktave" around 1 kHz on the 250-point grid (25 band frequencies), one core.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "analysis/near_field.h"
#include "analysis/near_field_curves.h"
#include "analysis/near_field_map.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"

namespace {

using namespace sonora;
using namespace std::chrono_literals;

constexpr int kWidth = 800; // paint box, pixels
constexpr int kHeight = 600;

// The three-way example after a full calculation, and the grid index nearest 1 kHz.
struct Computed {
    TFormRechnen form;
    std::unique_ptr<TCalcThread> calc;
    std::unique_ptr<TProjekt> project = std::make_unique<TProjekt>();
    int index = 0;

    Computed() {
        buildThreeWayExample(*project, 250);
        TCalcThread::Options o;
        o.pause = 0ms;
        o.lowerPriority = false;
        o.listener = &form;
        calc = std::make_unique<TCalcThread>(o);
        form.attach(calc.get());
        form.CalcAllNew(*project);
        calc->waitUntilIdle(120s);
        const TResult& r = result();
        for (int i = 0; i < r.nfreq; ++i) {
            if (std::abs(std::log(r.freq[i] / 1000.0)) <
                std::abs(std::log(r.freq[index] / 1000.0))) {
                index = i;
            }
        }
    }
    const TResult& result() const { return *calc->Res; }
    const TProjekt& projekt() const { return *calc->aktProjekt; }
};

const Computed& computed() {
    static const Computed c;
    return c;
}

NearFieldSettings octave() {
    NearFieldSettings s;
    s.band = NearFieldBand::Oktave;
    return s;
}

// The whole redraw: band, cache (13 575 interpolations), cell loop and pixel layout.
void BM_NearFieldMapThreeWay(benchmark::State& state) {
    const Computed& c = computed();
    const NearFieldSettings s = octave();
    std::size_t cells = 0;
    for (auto _ : state) {
        const NearFieldMap m =
            buildNearFieldMap(c.projekt(), c.result(), c.index, s, kWidth, kHeight);
        cells = m.cells.size();
        benchmark::DoNotOptimize(m.cells.data());
    }
    const NearFieldBandRange b =
        selectNearFieldBand(c.result().freq, c.result().nfreq, c.index, s.band);
    state.counters["cells"] = static_cast<double>(cells);
    state.counters["band"] = b.count;
}
BENCHMARK(BM_NearFieldMapThreeWay)->Unit(benchmark::kMillisecond);

void BM_NearFieldCache(benchmark::State& state) {
    const Computed& c = computed();
    const NearFieldBandRange b =
        selectNearFieldBand(c.result().freq, c.result().nfreq, c.index, NearFieldBand::Oktave);
    for (auto _ : state) {
        const NearFieldCache cache = buildNearFieldCache(c.projekt(), c.result(), b);
        benchmark::DoNotOptimize(cache.row(0, 0));
    }
}
BENCHMARK(BM_NearFieldCache)->Unit(benchmark::kMillisecond);

// The cell loop alone.
void BM_NearFieldLevels(benchmark::State& state) {
    const Computed& c = computed();
    const NearFieldBandRange b =
        selectNearFieldBand(c.result().freq, c.result().nfreq, c.index, NearFieldBand::Oktave);
    const NearFieldCache cache = buildNearFieldCache(c.projekt(), c.result(), b);
    const auto sources = nearFieldSources(c.projekt(), c.result());
    const auto freqs = nearFieldBandFrequencies(c.result(), b);
    for (auto _ : state) {
        const NearFieldLevels lv = computeNearFieldLevels(cache, sources, freqs, 20.0);
        benchmark::DoNotOptimize(lv.level.data());
    }
}
BENCHMARK(BM_NearFieldLevels)->Unit(benchmark::kMillisecond);

// The same cells written plainly with std::complex and std::exp, for the ratio.
void BM_NearFieldLevelsPlainComplex(benchmark::State& state) {
    const Computed& c = computed();
    const NearFieldBandRange b =
        selectNearFieldBand(c.result().freq, c.result().nfreq, c.index, NearFieldBand::Oktave);
    const NearFieldCache cache = buildNearFieldCache(c.projekt(), c.result(), b);
    const auto sources = nearFieldSources(c.projekt(), c.result());
    const auto freqs = nearFieldBandFrequencies(c.result(), b);
    const int columns = nearFieldColumns(20.0), rows = nearFieldRows();
    for (auto _ : state) {
        double total = 0.0;
        for (int row = 0; row < rows; ++row) {
            for (int col = 0; col < columns; ++col) {
                const double x = kNearFieldFirstX + kNearFieldCell * col;
                const double y = kNearFieldCell * row;
                double energy = 0.0;
                for (int k = 0; k < b.count; ++k) {
                    std::complex<double> p = 0.0;
                    for (std::size_t d = 0; d < sources.size(); ++d) {
                        const double dx = x - sources[d].x, dy = y - sources[d].y;
                        const double r = std::sqrt(dx * dx + dy * dy);
                        const Complex v =
                            cache.value(static_cast<int>(d), nearFieldAngleIndex(dx, dy), k);
                        p += std::complex<double>(v.re, v.im) * (1000.0 / r) *
                             std::exp(std::complex<double>(0.0, -2.0 * std::numbers::pi * freqs[k] *
                                                                    r / 344000.0));
                    }
                    energy += std::norm(p);
                }
                total += 10.0 * std::log10(energy / b.count) + 112.0;
            }
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_NearFieldLevelsPlainComplex)->Unit(benchmark::kMillisecond);

// "Frequenzgänge  auf gleicher Höhe": 4 distances × 250 grid points × 3 drivers.
void BM_NearFieldCurves(benchmark::State& state) {
    const Computed& c = computed();
    const NearFieldSettings s = octave();
    for (auto _ : state) {
        const NearFieldCurves cv = buildNearFieldCurves(c.projekt(), c.result(), s);
        benchmark::DoNotOptimize(cv.curves.data());
    }
}
BENCHMARK(BM_NearFieldCurves)->Unit(benchmark::kMillisecond);

} // namespace
