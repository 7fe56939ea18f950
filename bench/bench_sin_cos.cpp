// The shared sine-cosine kernel on the box stage's phases, against the array kernel the box stage
// had before it used the shared one (kept here only for the comparison) and the library.
// Target: the shared kernel at least as fast as the old array kernel.
#include <cmath>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "model/sin_cos.h"

namespace {

constexpr int kPhases = 771; // the interactive sphere's samples, one frequency

// The box stage's former kernel: Cephes polynomials and the quadrant chosen by weights 0 and 1.
void formerSinCosArray(const double* __restrict x, double* __restrict c, double* __restrict s,
                       int n) {
    constexpr double kRoundMagic = 6755399441055744.0;
    constexpr double kTwoOverPi = 0.63661977236758134308;
    constexpr double kPio2a = 2.0 * 7.85398125648498535156E-1;
    constexpr double kPio2b = 2.0 * 3.77489470793079817668E-8;
    constexpr double kPio2c = 2.0 * 2.69515142907905952645E-15;
    constexpr double kSin[6] = {1.58962301576546568060E-10, -2.50507477628578072866E-8,
                                2.75573136213857245213E-6,  -1.98412698295895385996E-4,
                                8.33333333332211858878E-3,  -1.66666666666666307295E-1};
    constexpr double kCos[6] = {-1.13585365213876817300E-11, 2.08757008419747316778E-9,
                                -2.75573141792967388112E-7,  2.48015872888517045348E-5,
                                -1.38888888888730564116E-3,  4.16666666666665929218E-2};
    auto round = [](double v) { return (v + kRoundMagic) - kRoundMagic; };
    for (int i = 0; i < n; ++i) {
        const double xi = x[i];
        const double j = round(xi * kTwoOverPi);
        const double r = ((xi - j * kPio2a) - j * kPio2b) - j * kPio2c;
        const double z = r * r;
        const double sr =
            r + r * z *
                    (((((kSin[0] * z + kSin[1]) * z + kSin[2]) * z + kSin[3]) * z + kSin[4]) * z +
                     kSin[5]);
        const double cr =
            1.0 - 0.5 * z +
            z * z *
                (((((kCos[0] * z + kCos[1]) * z + kCos[2]) * z + kCos[3]) * z + kCos[4]) * z +
                 kCos[5]);
        const double half = round(j * 0.5 - 0.25);
        const double odd = j - 2.0 * half;
        const double high = half - 2.0 * round(half * 0.5 - 0.25);
        const double sinSign = 1.0 - 2.0 * high;
        const double cosSign = 1.0 - 2.0 * (high + odd - 2.0 * high * odd);
        s[i] = sinSign * (sr * (1.0 - odd) + cr * odd);
        c[i] = cosSign * (cr * (1.0 - odd) + sr * odd);
    }
}

std::vector<double> phases() {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> u(-2e4, 2e4);
    std::vector<double> x(kPhases);
    for (double& v : x) {
        v = u(gen);
    }
    return x;
}

// Arg 0: the shared kernel, 1: the former array kernel, 2: std::sin and std::cos.
void BM_SinCosArray(benchmark::State& state) {
    const std::vector<double> x = phases();
    std::vector<double> c(kPhases), s(kPhases);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            sonora::sinCosArray(x.data(), c.data(), s.data(), kPhases);
            break;
        case 1:
            formerSinCosArray(x.data(), c.data(), s.data(), kPhases);
            break;
        default:
            for (int i = 0; i < kPhases; ++i) {
                c[i] = std::cos(x[i]);
                s[i] = std::sin(x[i]);
            }
        }
        benchmark::DoNotOptimize(c.data());
        benchmark::DoNotOptimize(s.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPhases);
}
BENCHMARK(BM_SinCosArray)->Arg(0)->Arg(1)->Arg(2);

} // namespace

BENCHMARK_MAIN();
