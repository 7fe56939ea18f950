// Group delay from the unwrapped phase: pure delay, first-order all-pass, zeros, short grids.
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "engine/box_group_delay.h"
#include "model/frequency_grid.h"

namespace sonora {
namespace {

using std::numbers::pi;

struct Grid {
    std::vector<double> f = std::vector<double>(kCurvePoints, 0.0);
    int n;
    explicit Grid(int points) : n(points) { BuildFrequencyGrid(20.0, 20000.0, points, f.data()); }
};

TEST(BoxGroupDelay, PureDelayAndFirstOrderAllPass) {
    const Grid g(250);
    std::vector<Complex> h(g.n);
    std::vector<double> tau(g.n);
    // e^(-jωτ) with τ = 0.2 ms: the phase wraps many times over the grid.
    constexpr double kDelay = 2e-4; // s
    for (int i = 0; i < g.n; ++i) {
        CPolar(-2.0 * pi * g.f[i] * kDelay, 1.0, h[i]);
    }
    groupDelay(h.data(), g.f.data(), g.n, tau.data());
    for (int i = 0; i < g.n; ++i) {
        ASSERT_NEAR(tau[i], kDelay, 1e-12) << i;
    }
    // (1 - jω/ω0)/(1 + jω/ω0): τ = 2/ω0 / (1 + (ω/ω0)²), at 1 kHz.
    const double w0 = 2.0 * pi * 1000.0;
    for (int i = 0; i < g.n; ++i) {
        const double x = 2.0 * pi * g.f[i] / w0;
        const std::complex<double> v = std::complex<double>(1.0, -x) / std::complex<double>(1.0, x);
        h[i] = Complex{v.real(), v.imag()};
    }
    groupDelay(h.data(), g.f.data(), g.n, tau.data());
    const double peak = 2.0 / w0;
    for (int i = 1; i + 1 < g.n; ++i) {
        const double x = 2.0 * pi * g.f[i] / w0;
        ASSERT_NEAR(tau[i], peak / (1.0 + x * x), 1e-3 * peak) << i;
    }
    // One-sided at the ends: first order only, still close.
    EXPECT_NEAR(tau[0], peak, 2e-3 * peak);
}

TEST(BoxGroupDelay, ZerosAndShortGrids) {
    const Grid g(20);
    std::vector<Complex> h(g.n);
    std::vector<double> tau(g.n, -1.0);
    constexpr double kDelay = 1e-5; // s
    for (int i = 0; i < g.n; ++i) {
        CPolar(-2.0 * pi * g.f[i] * kDelay, 3.0, h[i]);
    }
    h[5] = Complex{0.0, 0.0};
    h[12] = h[13] = Complex{0.0, 0.0};
    groupDelay(h.data(), g.f.data(), g.n, tau.data());
    EXPECT_EQ(tau[5], 0.0);
    EXPECT_EQ(tau[12], 0.0);
    EXPECT_EQ(tau[13], 0.0);
    // Next to the zeros one-sided differences; elsewhere central ones; all the true delay.
    for (int i : {0, 4, 6, 11, 14, 19}) {
        EXPECT_NEAR(tau[i], kDelay, 1e-14) << i;
    }
    // A point between two zeros has no neighbour to differ with.
    h[7] = Complex{0.0, 0.0};
    h[6] = Complex{1.0, 0.0};
    h[5] = Complex{0.0, 0.0};
    groupDelay(h.data(), g.f.data(), g.n, tau.data());
    EXPECT_EQ(tau[6], 0.0);
    // A single point, and silence: 0.
    double one = -1.0;
    groupDelay(h.data(), g.f.data(), 1, &one);
    EXPECT_EQ(one, 0.0);
    std::vector<Complex> silent(g.n, Complex{0.0, 0.0});
    groupDelay(silent.data(), g.f.data(), g.n, tau.data());
    for (double t : tau) {
        EXPECT_EQ(t, 0.0);
    }
}

TEST(BoxGroupDelay, FillsDriverSlotsFromBothSidesAndTheBoxSlot) {
    const Grid g(30);
    // Left uninitialised (untouched pages cost nothing); every value read is set below.
    std::unique_ptr<TResult> res(new TResult);
    for (int d = 0; d < kMaxChassis; ++d) {
        res->chassisAmp[d] = 0;
        for (int i = 0; i < g.n; ++i) {
            res->fgang_chassis[d][0][i][0] = res->fgang_chassis[d][1][i][0] = Complex{0.0, 0.0};
        }
    }
    // Driver 4 is in no network: whatever its rows hold, it radiates nothing and has no delay.
    res->chassisAmp[4] = -1;
    for (int i = 0; i < g.n; ++i) {
        const double w = 2.0 * pi * g.f[i];
        // Driver 2: diaphragm and vent with the same 50 µs delay (their sum keeps it).
        CPolar(-w * 5e-5, 1.0, res->fgang_chassis[2][0][i][0]);
        CPolar(-w * 5e-5, 0.5, res->fgang_chassis[2][1][i][0]);
        res->fgang_chassis[2][0][i][1] = Complex{9.0, 9.0}; // other directions do not count
        CPolar(-w * 5e-5, 1.0, res->fgang_chassis[4][0][i][0]);
        CPolar(-w * 2e-5, 2.0, res->fgang_box[i][0]); // phase steps below π on this grid
    }
    fillGroupDelays(*res, g.f.data(), g.n);
    for (int i = 0; i < g.n; ++i) {
        EXPECT_NEAR(res->fgang_glz[2][i], 5e-5, 1e-13);
        EXPECT_NEAR(res->fgang_glz[kBoxSlot][i], 2e-5, 1e-13);
        EXPECT_EQ(res->fgang_glz[0][i], 0.0);
        EXPECT_EQ(res->fgang_glz[4][i], 0.0);
    }
}

} // namespace
} // namespace sonora
