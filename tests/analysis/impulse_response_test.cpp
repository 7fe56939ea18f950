// Impulse and step responses against closed forms: a pure delay on the program's own grid, whose
// phase turns several times between two grid points at the top, and the step response of a
// second-order high-pass; the extension below the grid; input the transform cannot use.
#include "analysis/impulse_response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "model/frequency_grid.h"
#include "model/records.h"

namespace sonora {
namespace {

using std::numbers::pi;

struct Grid {
    std::vector<double> f;
    std::vector<Complex> h;
};

// The program's grid (fMin … fMax in `points` geometric steps) with the response `h` on it.
template <typename F> Grid gridOf(double fMin, double fMax, int points, F h) {
    Grid g;
    std::vector<double> freq(kCurvePoints);
    BuildFrequencyGrid(fMin, fMax, points, freq.data());
    for (int i = 0; i < points; ++i) {
        g.f.push_back(freq[i]);
        const std::complex<double> c = h(freq[i]);
        g.h.push_back({c.real(), c.imag()});
    }
    return g;
}

bool compute(const Grid& g, const ImpulseSettings& s, ImpulseResponse& out, std::string& error) {
    return computeImpulseResponse(g.f.data(), g.h.data(), static_cast<int>(g.f.size()), s, out,
                                  error);
}

TEST(ImpulseResponse, PureDelayPeaksAtItsDelay) {
    // 1 ms on 250 points from 20 Hz to 20 kHz: at the top one grid step turns the phase by
    // 2π · 1 ms · 550 Hz, more than half a turn.
    const double delay = 1e-3;
    const Grid g = gridOf(20, 20000, 250, [delay](double f) {
        return std::polar(1.0, -2 * pi * f * delay); // e^(-jωτ): the engine's delay
    });
    for (const double rate : {48000.0, 44100.0, 96000.0}) {
        SCOPED_TRACE(rate);
        ImpulseResponse r;
        std::string error;
        ASSERT_TRUE(compute(g, {rate, 32768}, r, error)) << error;
        ASSERT_EQ(r.impulse.size(), 32768u);
        const int zero = static_cast<int>(std::lround(1e-3 * rate)); // the default 1 ms before 0
        ASSERT_EQ(r.zeroSample, zero);
        const auto peak = std::max_element(r.impulse.begin(), r.impulse.end());
        const auto at = static_cast<double>(peak - r.impulse.begin() - zero);
        EXPECT_NEAR(at / rate, delay, 0.5 / rate); // the nearest sample
        // The fade above 20 kHz keeps most of the band: the peak is nearly the full unit.
        EXPECT_GT(*peak, 0.8 * (20000 / (rate / 2)));
        // The step is 0 before the delay and 1 after it, up to the ripple of the band limit.
        const int d = static_cast<int>(std::lround(delay * rate));
        const int guard = static_cast<int>(0.3e-3 * rate);
        for (int m = 0; m < zero + d - guard; ++m) {
            ASSERT_NEAR(r.step[m], 0.0, 0.02) << m;
        }
        for (int m = zero + d + guard; m < zero + 20 * d; ++m) {
            ASSERT_NEAR(r.step[m], 1.0, 0.02) << m;
        }
        EXPECT_EQ(r.sampleRate, rate);
        EXPECT_EQ(r.length, 32768);
        EXPECT_EQ(r.lowestFrequency, 20.0);
        EXPECT_NEAR(r.lowSlope, 0.0, 1e-9); // flat: held
        EXPECT_EQ(r.fadeStart, 20000.0);
        EXPECT_EQ(r.fadeEnd, rate / 2);
    }
}

TEST(ImpulseResponse, SecondOrderHighPassStepMatchesItsClosedForm) {
    // H(s) = s² / (s² + s·ω0/Q + ω0²); its step response is the inverse transform of H(s)/s:
    // e^(-αt)·(cos ωd·t − α/ωd · sin ωd·t), α = ω0/(2Q), ωd = √(ω0² − α²), and for Q = 1/2
    // (critically damped) e^(-αt)·(1 − αt).
    for (const double q : {0.5, 1 / std::sqrt(2.0), 2.0}) {
        SCOPED_TRACE(q);
        const double w0 = 2 * pi * 100;
        const Grid g = gridOf(10, 20000, 250, [w0, q](double f) {
            const std::complex<double> s(0, 2 * pi * f);
            return s * s / (s * s + s * w0 / q + w0 * w0);
        });
        const double rate = 48000;
        ImpulseResponse r;
        std::string error;
        ASSERT_TRUE(compute(g, {rate, 65536}, r, error)) << error;
        const double alpha = w0 / (2 * q);
        auto closed = [&](double t) {
            if (q == 0.5) {
                return std::exp(-alpha * t) * (1 - alpha * t);
            }
            const double wd = std::sqrt(w0 * w0 - alpha * alpha);
            return std::exp(-alpha * t) * (std::cos(wd * t) - alpha / wd * std::sin(wd * t));
        };
        // Before t = 0 nothing, from 0.5 ms on (the band limit smooths the jump at 0 over a few
        // samples) the closed form, up to 100 ms.
        const int zero = r.zeroSample;
        ASSERT_EQ(zero, 48);
        for (int m = 0; m < zero - static_cast<int>(0.5e-3 * rate); ++m) {
            ASSERT_NEAR(r.step[m], 0.0, 1e-3) << m;
        }
        double worst = 0;
        for (int m = static_cast<int>(0.5e-3 * rate); m < static_cast<int>(0.1 * rate); ++m) {
            worst = std::max(worst, std::abs(r.step[zero + m] - closed(m / rate)));
        }
        EXPECT_LT(worst, 0.01);
        // The lowest octave, 10 … 20 Hz, falls by the high-pass's own level difference.
        const auto level = [&](double f) {
            const std::complex<double> s(0, 2 * pi * f);
            return 20 * std::log10(std::abs(s * s / (s * s + s * w0 / q + w0 * w0)));
        };
        // 20 Hz lies between two grid points, where the level is interpolated.
        EXPECT_NEAR(r.lowSlope, level(20) - level(10), 1e-3);
        EXPECT_GT(r.lowSlope, 11.0);
        // A high-pass passes no direct current: the step ends at 0.
        EXPECT_NEAR(r.step.back(), 0.0, 1e-3);
    }
}

TEST(ImpulseResponse, InputItCannotUseIsRefusedWithTheReason) {
    const Grid g = gridOf(20, 20000, 100, [](double) { return std::complex<double>(1, 0); });
    ImpulseResponse r;
    std::string error;
    auto refused = [&](const Grid& x, ImpulseSettings s) {
        r.impulse = {1.0};
        const bool ok = compute(x, s, r, error);
        EXPECT_TRUE(r.impulse.empty());
        return !ok;
    };
    EXPECT_TRUE(refused(g, {40000, 4096})); // half the rate lies at the grid's top
    EXPECT_EQ(error, "Die Abtastrate ist zu klein: ihre Hälfte muss über der höchsten Frequenz "
                     "des Frequenzgangs liegen.");
    EXPECT_TRUE(refused(g, {std::nan(""), 4096}));
    EXPECT_TRUE(refused(g, {48000, 4096, -1e-3}));
    EXPECT_EQ(error, "Die Vorlaufzeit muss zwischen 0 und der halben Länge der Impulsantwort "
                     "liegen.");
    EXPECT_TRUE(refused(g, {48000, 4096, 2048 / 48000.0}));
    for (const int length : {0, 15, 4095, (1 << 22) + 2, -8}) {
        EXPECT_TRUE(refused(g, {48000, length})) << length;
        EXPECT_EQ(error, "Die Länge der Impulsantwort muss gerade sein und zwischen 16 und "
                         "4194304 Samples liegen.");
    }
    Grid one = g;
    one.f.resize(1);
    one.h.resize(1);
    EXPECT_TRUE(refused(one, {}));
    EXPECT_EQ(error, "Für die Impulsantwort fehlen Frequenzen (mindestens zwei).");
    Grid falling = g;
    std::swap(falling.f[10], falling.f[11]);
    EXPECT_TRUE(refused(falling, {}));
    EXPECT_EQ(error, "Das Frequenzraster ist beschädigt.");
    Grid bad = g;
    bad.h[50].im = INFINITY;
    EXPECT_TRUE(refused(bad, {}));
    EXPECT_EQ(error, "Der Frequenzgang enthält ungültige Werte.");
    EXPECT_FALSE(computeImpulseResponse(nullptr, nullptr, 5, {}, r, error));
}

} // namespace
} // namespace sonora
