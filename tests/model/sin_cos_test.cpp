// The shared sine-cosine kernel against the library over the phases its callers reach.
#include "model/sin_cos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace sonora {
namespace {

// The error the kernel's comment states: one unit in the last place of a value near 1.
constexpr double kMeasuredBound = 2.3e-16;

TEST(SinCos, MatchesTheLibraryOverTheWholeFastRange) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> phase(-kFastPhaseLimit, kFastPhaseLimit);
    double worst = 0.0;
    for (int i = 0; i < 100000; ++i) {
        // Every tenth value is small, where the relative error of the reduction matters most.
        const double x = i % 10 == 0 ? phase(rng) * 1e-6 : phase(rng);
        double s, c;
        fastSinCos(x, s, c);
        worst = std::max({worst, std::abs(s - std::sin(x)), std::abs(c - std::cos(x))});
    }
    EXPECT_LE(worst, kMeasuredBound);
    // The quadrant boundaries and their signs.
    for (int q = -8; q <= 8; ++q) {
        const double x = q * std::numbers::pi / 2.0;
        double s, c;
        fastSinCos(x, s, c);
        EXPECT_NEAR(s, std::sin(x), 1e-15) << q;
        EXPECT_NEAR(c, std::cos(x), 1e-15) << q;
    }
}

TEST(SinCos, NonFiniteArgumentsGiveNaN) {
    for (double x :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity()}) {
        double s, c;
        fastSinCos(x, s, c);
        EXPECT_TRUE(std::isnan(s));
        EXPECT_TRUE(std::isnan(c));
    }
}

// The box stage calls the array form on the phases of its directions and planes.
TEST(SinCos, ArrayFormMatchesTheLibraryOverTheBoxStagesRange) {
    std::vector<double> x;
    for (double v = -2e4; v <= 2e4; v += 0.937) {
        x.push_back(v);
    }
    for (int q = -8; q <= 8; ++q) {
        x.push_back(q * std::numbers::pi / 4.0);
    }
    x.push_back(0.0);
    x.push_back(-0.0);
    x.push_back(1e-300);
    x.push_back(98765.4321);
    std::vector<double> c(x.size()), s(x.size());
    sinCosArray(x.data(), c.data(), s.data(), static_cast<int>(x.size()));
    for (std::size_t i = 0; i < x.size(); ++i) {
        ASSERT_NEAR(c[i], std::cos(x[i]), kMeasuredBound) << x[i];
        ASSERT_NEAR(s[i], std::sin(x[i]), kMeasuredBound) << x[i];
    }
    double bad[2] = {std::nan(""), INFINITY}, bc[2], bs[2];
    sinCosArray(bad, bc, bs, 2);
    EXPECT_TRUE(std::isnan(bc[0]) && std::isnan(bs[0]) && std::isnan(bc[1]) && std::isnan(bs[1]));
}

} // namespace
} // namespace sonora
