// The frequency response of an impulse response, checked against the closed-form response of
// the filter that made the impulse.
#include "measure/pir_file.h"

#include <cmath>
#include <complex>

#include <gtest/gtest.h>

#include "pir_test_support.h"

namespace sonora {
namespace {

using measure_test::LowPassBiquad;
using measure_test::pirOf;

constexpr int kRate = 48000;
constexpr int kOnset = 120; // samples, 2.5 ms
constexpr double kDelayMs = 2.5;

// Level the program gives a transfer function H: the pressure at 2.83 V of a response per volt,
// 94 dB for 1 Pa, corrected by the input sensitivity.
double expectedLevel(std::complex<double> h, double sens) {
    return 20.0 * std::log10(std::sqrt(8.0) * std::abs(h)) + 94.0 - 20.0 * std::log10(sens);
}

// Phase difference folded into (-pi, pi].
double phaseError(double a, double b) {
    return std::remainder(a - b, 2.0 * std::numbers::pi);
}

TEST(PirResponse, LogarithmicGridMatchesTheBiquad) {
    const LowPassBiquad lp(2000.0, std::sqrt(0.5), kRate);
    Tpir pir = pirOf(lp.impulse(65536, kOnset), kRate, 0.5f);
    ASSERT_TRUE(pir.CalcFgang(200, kDelayMs, 16000.0, 20.0));
    ASSERT_EQ(pir.nFgang, 200);
    ASSERT_EQ(pir.fgang.size(), 200u);
    EXPECT_DOUBLE_EQ(pir.fgang[0].f, 20.0);
    EXPECT_DOUBLE_EQ(pir.fgang[199].f, 16000.0);
    for (const TFgangPoint& p : pir.fgang) {
        const std::complex<double> h = lp.response(p.f, kRate);
        EXPECT_NEAR(p.level, expectedLevel(h, 0.5), 0.1) << p.f;
        EXPECT_NEAR(phaseError(p.phase, std::arg(h)), 0.0, 0.02) << p.f;
    }
    // Constant ratio between the points.
    const double r = std::pow(800.0, 1.0 / 199.0);
    EXPECT_NEAR(pir.fgang[100].f / pir.fgang[99].f, r, 1e-12);
}

TEST(PirResponse, EveryBinForNegativeCount) {
    const LowPassBiquad lp(2000.0, std::sqrt(0.5), kRate);
    Tpir pir = pirOf(lp.impulse(8000, kOnset), kRate);
    ASSERT_TRUE(pir.CalcFgang(-1, kDelayMs, 0.0, 0.0));
    ASSERT_EQ(pir.nFgang, 8000 * 9 / 20);
    const double df = 48000.0 / 8000.0;
    for (int k = 1; k <= pir.nFgang; k += 37) {
        const TFgangPoint& p = pir.fgang[k - 1];
        EXPECT_DOUBLE_EQ(p.f, k * df);
        const std::complex<double> h = lp.response(p.f, kRate);
        EXPECT_NEAR(p.level, expectedLevel(h, 1.0), 0.01) << p.f;
        EXPECT_NEAR(phaseError(p.phase, std::arg(h)), 0.0, 1e-3) << p.f;
    }
    // Without removing the delay the phase turns by 2 pi f tau.
    Tpir delayed = pirOf(lp.impulse(8000, kOnset), kRate);
    ASSERT_TRUE(delayed.CalcFgang(-1, 0.0, 0.0, 0.0));
    const TFgangPoint& p = delayed.fgang[99];
    EXPECT_NEAR(phaseError(p.phase, std::arg(lp.response(p.f, kRate)) -
                                        2.0 * std::numbers::pi * p.f * kDelayMs / 1000.0),
                0.0, 1e-3);
    EXPECT_NEAR(p.level, pir.fgang[99].level, 1e-9);
}

TEST(PirResponse, OneTwoAndManyBinsPerPoint) {
    // 480 samples at 48 kHz: bins exactly 100 Hz apart. 11 points from 1 to 2 kHz are 7.2 %
    // apart: 1 kHz lies on bin 10 (one bin), the points between lie between two bins.
    const LowPassBiquad lp(2000.0, std::sqrt(0.5), kRate);
    Tpir pir = pirOf(lp.impulse(480, 0), kRate);
    ASSERT_TRUE(pir.CalcFgang(11, 0.0, 2000.0, 1000.0));
    EXPECT_NEAR(pir.fgang[0].level, expectedLevel(lp.response(1000.0, kRate), 1.0), 1e-6);
    for (const TFgangPoint& p : pir.fgang) {
        EXPECT_NEAR(p.level, expectedLevel(lp.response(p.f, kRate), 1.0), 0.1) << p.f;
        EXPECT_NEAR(phaseError(p.phase, std::arg(lp.response(p.f, kRate))), 0.0, 0.02) << p.f;
    }
    // Two bins: the power is interpolated in log frequency between bins 10 and 11.
    const double f = pir.fgang[1].f;
    const double da = std::log(f / 1000.0);
    const double db = std::log(1100.0 / f);
    const double power =
        (std::norm(lp.response(1000.0, kRate)) * db + std::norm(lp.response(1100.0, kRate)) * da) /
        (da + db);
    EXPECT_NEAR(pir.fgang[1].level, 10.0 * std::log10(8.0 * power) + 94.0, 1e-6);
    // 3 points from 1 to 16 kHz, a factor 4 apart: each point is the mean power of the bins
    // within a factor 4 of it, weighted by a triangle in log frequency, and the phase of the bin
    // nearest to it.
    ASSERT_TRUE(pir.CalcFgang(3, 0.0, 16000.0, 1000.0));
    for (const TFgangPoint& p : pir.fgang) {
        double weights = 0.0;
        double powers = 0.0;
        for (int k = 1; k < 240; ++k) {
            const double fk = 100.0 * k;
            if (fk > p.f / 4.0 && fk < p.f * 4.0) {
                const double w = 1.0 - std::fabs(std::log(fk / p.f)) / std::log(4.0);
                weights += w;
                powers += w * std::norm(lp.response(fk, kRate));
            }
        }
        EXPECT_NEAR(p.level, 10.0 * std::log10(8.0 * powers / weights) + 94.0, 1e-6) << p.f;
        const double nearest = 100.0 * std::round(p.f / 100.0);
        EXPECT_NEAR(phaseError(p.phase, std::arg(lp.response(nearest, kRate))), 0.0, 1e-4);
    }
}

TEST(PirResponse, UnitImpulseIsFlatAndSensitivityShiftsIt) {
    std::vector<float> x(1024, 0.0f);
    x[0] = 1.0f;
    Tpir pir = pirOf(x, kRate, 2.0f);
    ASSERT_TRUE(pir.CalcFgang(50, 0.0, 20000.0, 20.0));
    const double level = 20.0 * std::log10(std::sqrt(8.0)) + 94.0 - 20.0 * std::log10(2.0);
    for (const TFgangPoint& p : pir.fgang) {
        EXPECT_NEAR(p.level, level, 1e-9) << p.f;
        EXPECT_NEAR(p.phase, 0.0, 1e-12);
    }
    // A sensitivity that is not a positive number leaves the levels uncorrected.
    pir.pirHeader.devicesens = 0.0f;
    ASSERT_TRUE(pir.CalcFgang(50, 0.0, 20000.0, 20.0));
    EXPECT_NEAR(pir.fgang[7].level, level + 20.0 * std::log10(2.0), 1e-9);
}

TEST(PirResponse, RejectsUnusableArguments) {
    Tpir pir = pirOf(std::vector<float>(256, 0.0f), kRate);
    EXPECT_FALSE(pir.CalcFgang(0, 0.0, 20000.0, 20.0));
    EXPECT_FALSE(pir.CalcFgang(1, 0.0, 20000.0, 20.0));
    EXPECT_FALSE(pir.CalcFgang(10, 0.0, 20000.0, 0.0));
    EXPECT_FALSE(pir.CalcFgang(10, 0.0, -1.0, 20.0));
    EXPECT_FALSE(pir.CalcFgang(10, std::nan(""), 20000.0, 20.0));
    EXPECT_EQ(pir.nFgang, 0);
    EXPECT_TRUE(pir.fgang.empty());
    // Silence gives the floor level, not a logarithm of zero.
    ASSERT_TRUE(pir.CalcFgang(10, 0.0, 20000.0, 20.0));
    for (const TFgangPoint& p : pir.fgang) {
        EXPECT_TRUE(std::isfinite(p.level));
    }
    // Frequencies beyond the Nyquist frequency use the highest bin, and a falling grid works.
    ASSERT_TRUE(pir.CalcFgang(10, 0.0, 1e6, 1e5));
    ASSERT_TRUE(pir.CalcFgang(10, 0.0, 20.0, 20000.0));
    EXPECT_EQ(pir.nFgang, 10);
    EXPECT_FALSE(Tpir().CalcFgang(10, 0.0, 20000.0, 20.0));
}

} // namespace
} // namespace sonora
