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
