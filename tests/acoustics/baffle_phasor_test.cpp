#include "acoustics/baffle_phasor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace sonora {
namespace {

TEST(BafflePhasor, FastSinCosMatchesTheLibraryOverTheWholeRange) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> phase(-kFastPhaseLimit, kFastPhaseLimit);
    double worst = 0.0;
    for (int i = 0; i < 20000; ++i) {
        // Every tenth value is small, where the relative error of the reduction matters most.
        const double x = i % 10 == 0 ? phase(rng) * 1e-6 : phase(rng);
        double s, c;
        fastSinCos(x, s, c);
        worst = std::max({worst, std::abs(s - std::sin(x)), std::abs(c - std::cos(x))});
    }
    EXPECT_LT(worst, 4e-16);
    // The quadrant boundaries and their signs.
    for (int q = -8; q <= 8; ++q) {
        const double x = q * std::numbers::pi / 2.0;
        double s, c;
        fastSinCos(x, s, c);
        EXPECT_NEAR(s, std::sin(x), 1e-15) << q;
        EXPECT_NEAR(c, std::cos(x), 1e-15) << q;
    }
}

TEST(BafflePhasor, NonFiniteArgumentsGiveNaN) {
    for (double x :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        double s, c;
        fastSinCos(x, s, c);
        EXPECT_TRUE(std::isnan(s));
        EXPECT_TRUE(std::isnan(c));
    }
}

// Σ w·e^(-jks) against std::complex, on the fast path and on the library path for phases beyond
// the fast reduction.
TEST(BafflePhasor, SumsMatchTheDirectFormula) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> length(-0.5, 3.0), weight(-0.01, 0.02);
    for (const int count : {0, 1, 7, 8, 9, 960}) {
        std::vector<double> s(count), w(count);
        double maxAbs = 0.0, sumAbsW = 0.0;
        for (int i = 0; i < count; ++i) {
            s[i] = length(rng);
            w[i] = weight(rng);
            maxAbs = std::max(maxAbs, std::abs(s[i]));
            sumAbsW += std::abs(w[i]);
        }
        for (const double k : {0.0, 0.37, 365.0, 1e7}) {
            std::complex<double> expected = 0.0;
            double expectedCos = 0.0;
            for (int i = 0; i < count; ++i) {
                expected += w[i] * std::exp(std::complex<double>(0.0, -k * s[i]));
                expectedCos += w[i] * std::cos(k * s[i]);
            }
            const Complex e = phasorSum(s.data(), w.data(), count, k, maxAbs);
            EXPECT_NEAR(e.re, expected.real(), 1e-14 * (1.0 + sumAbsW)) << count << " " << k;
            EXPECT_NEAR(e.im, expected.imag(), 1e-14 * (1.0 + sumAbsW)) << count << " " << k;
            EXPECT_NEAR(cosineSum(s.data(), w.data(), count, k, maxAbs), expectedCos,
                        1e-14 * (1.0 + sumAbsW));
        }
    }
}

} // namespace
} // namespace sonora
