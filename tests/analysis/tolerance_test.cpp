// The tolerance analysis: zero tolerance against the nominal result, divider networks whose level
// spread is known in closed form, the sensitivity of a series resistor against its derivative,
// and the same numbers on one and on two threads.
#include "analysis/tolerance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "analysis/spinorama.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"
#include "model/records.h"

namespace sonora {
namespace {

constexpr double kLoad = 8.0; // Ohm, the flat impedance of the measured-only driver

// One 25 mm dome that carries measured curves only: a flat 90 dB amplitude with zero phase and a
// flat, purely resistive 8 Ohm impedance, both used everywhere ("Gehäuse integriert"). Hung on
// amplifier 1 behind R1 in series and, with r2 > 0, R2 across the driver.
std::unique_ptr<TProjekt> dividerProject(double r1, double r2, int points = 20) {
    auto p = std::make_unique<TProjekt>();
    startExampleProject(*p, 1, points);
    TChassis c = exampleDriver(ExampleDriver::Dome25);
    addSyntheticMeasurements(c); // the frequency columns; the values are replaced below
    for (int i = 0; i < kCurvePoints && c.fgangaf[i] > 0; ++i) {
        c.fganga[i] = 90.0;
        c.fgangap[i] = 0.0;
        c.fgangi[i] = kLoad;
        c.fgangip[i] = 0.0;
    }
    c.useFGangA = c.useFGangAP = c.useFGangI = c.useFGangIP = true;
    mountExampleDriver(*p, 0, c, kEinbauIntegriert, 0.0, 0.0, exampleBaffle(0.2, 0.3, 0.15, 0.025));
    ExampleGrid g(p->amp[0]);
    g.rails();
    g.vertical(0, 0, kPartResistor, r1);
    if (r2 > 0) {
        g.vertical(1, 0, kPartResistor, r2);
        g.wireDown(2, 0);
    }
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    g.finish();
    return p;
}

ToleranceSettings nothingVaried() {
    ToleranceSettings s;
    s.resistors = s.capacitors = s.coils = s.coilResistance = 0;
    s.fs = s.qes = s.qms = s.vas = s.re = s.le = s.levelDb = 0;
    return s;
}

ToleranceResult analyse(const TProjekt& p, const ToleranceSettings& s) {
    ToleranceResult r;
    std::string error;
    const ToleranceStatus status = computeTolerance(p, s, r, {}, error);
    EXPECT_EQ(status, ToleranceStatus::Ok) << error;
    return r;
}

// The standard normal distribution function.
double phi(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

// Where the empirical quantile q̂_p of N draws lands in the true distribution F: F(q̂_p) has
// mean p and standard deviation sqrt(p (1 - p) / N) (the order statistics of F(X) are Beta
// distributed). 4 standard deviations, plus 2/N for the interpolation between neighbouring order
// statistics, make the bound: at N = 800 about 0.033 at the 5 % and 95 % quantiles and 0.073 at
// the median. σ taken as the whole tolerance instead of half of it moves F(q̂_0.05) to about
// 0.001; a uniform range 10 % too wide is caught by the corner checks. N stays at 800 so the
// tests keep within their time under the sanitizers (each trial copies the 7.6 MB project).
double quantileBound(double p, int n) {
    return 4.0 * std::sqrt(p * (1 - p) / n) + 2.0 / n;
}

TEST(Tolerance, ZeroToleranceGivesTheNominalResultWithoutWidth) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 40);

    // The nominal result computed here on a run object of its own.
    TFormRechnen form;
    TCalcThread::Options co;
    co.lowerPriority = false;
    co.listener = &form;
    TCalcThread calc(co);
    form.attach(&calc);
    form.CalcAllNew(*p);
    ASSERT_TRUE(calc.waitUntilIdle(std::chrono::seconds(300)));
    ASSERT_TRUE(form.result && form.result->valid);
    auto spin = std::make_unique<Spinorama>();
    computeSpinorama(*form.result, *spin);

    ToleranceSettings s = nothingVaried();
    s.trials = 6;
    s.threads = 2; // the second run object computes its trials from scratch
    const ToleranceResult r = analyse(*p, s);
    EXPECT_EQ(r.partsVaried + r.valuesVaried, 0);
    EXPECT_TRUE(r.sensitivities.empty());
    ASSERT_EQ(static_cast<int>(r.freq.size()), spin->nfreq);
    ASSERT_EQ(r.impedance.size(), 1U);
    const auto same = [](const ToleranceBand& b, auto want, const char* what) {
        for (std::size_t i = 0; i < b.nominal.size(); ++i) {
            const double w = want(i);
            for (const auto* v : {&b.nominal, &b.q05, &b.q50, &b.q95, &b.min, &b.max}) {
                ASSERT_NEAR((*v)[i], w, 1e-12) << what << " at " << i;
            }
        }
    };
    same(
        r.onAxis, [&](std::size_t i) { return spin->curve[0][i]; }, "on axis");
    same(
        r.listeningWindow, [&](std::size_t i) { return spin->curve[1][i]; }, "window");
    same(
        r.impedance[0], [&](std::size_t i) { return CAbs(form.result->impedanz_box[0][i]); },
        "impedance");
    EXPECT_EQ(r.deviationOnAxis, 0.0);
    EXPECT_EQ(r.deviationListening, 0.0);
    EXPECT_EQ(r.envelopeOnAxis, 0.0);
    // The three drivers cross twice; without spread the phase at each crossing has no width.
    ASSERT_EQ(r.pairs.size(), 2U);
    for (const TolerancePair& pr : r.pairs) {
        EXPECT_GT(pr.fNominal, 100.0);
        EXPECT_LT(pr.fNominal, 10000.0);
        for (int k = 1; k < 6; ++k) {
            EXPECT_NEAR(pr.atCrossing[k], pr.atCrossing[0], 1e-12);
            EXPECT_NEAR(pr.fCrossing[k], pr.fCrossing[0], 1e-9);
        }
    }
    EXPECT_LT(r.pairs[0].fNominal, r.pairs[1].fNominal);
}

TEST(Tolerance, UniformDividerFollowsTheClosedFormDistribution) {
    constexpr double r1 = 4.0, r2 = 12.0, t = 0.10;
    constexpr int n = 800;
    const auto p = dividerProject(r1, r2);
    ToleranceSettings s = nothingVaried();
    s.resistors = 100 * t;
    s.distribution = ToleranceDistribution::Uniform;
    s.trials = n;
    s.seed = 20261211;
    s.sensitivities = false;
    const ToleranceResult r = analyse(*p, s);
    EXPECT_EQ(r.partsVaried, 2);

    // Voltage ratio of the divider: P / (R1 + P), P = R2 || 8 Ohm. Its distribution function for
    // R1, R2 uniform within ±t: for each R2 the ratio stays at or below x where
    // R1 ≥ P (1 - x) / x, a fraction of R1's range known in closed form; the mean over R2 by the
    // midpoint rule on 20000 points.
    const auto ratio = [](double a, double b) {
        const double par = b * kLoad / (b + kLoad);
        return par / (a + par);
    };
    const auto cdf = [&](double x) {
        constexpr int kSteps = 20000;
        const double lo1 = r1 * (1 - t), hi1 = r1 * (1 + t), lo2 = r2 * (1 - t), w2 = 2 * t * r2;
        double sum = 0;
        for (int k = 0; k < kSteps; ++k) {
            const double b = lo2 + (k + 0.5) * w2 / kSteps;
            const double par = b * kLoad / (b + kLoad);
            const double need = par * (1 - x) / x; // R1 at or above this keeps the ratio ≤ x
            sum += std::clamp((hi1 - need) / (hi1 - lo1), 0.0, 1.0);
        }
        return sum / kSteps;
    };
    const double nominalRatio = ratio(r1, r2);
    for (const std::size_t i : {std::size_t{2}, std::size_t{10}, std::size_t{17}}) {
        const double nominal = r.onAxis.nominal[i];
        const double qs[3] = {r.onAxis.q05[i], r.onAxis.q50[i], r.onAxis.q95[i]};
        const double ps[3] = {0.05, 0.5, 0.95};
        for (int k = 0; k < 3; ++k) {
            const double x = nominalRatio * std::pow(10.0, (qs[k] - nominal) / 20.0);
            EXPECT_NEAR(cdf(x), ps[k], quantileBound(ps[k], n)) << "p " << ps[k] << " at " << i;
        }
        // The extremes lie inside the range the corners of the square allow.
        const double lowest = 20 * std::log10(ratio(r1 * (1 + t), r2 * (1 - t)) / nominalRatio);
        const double highest = 20 * std::log10(ratio(r1 * (1 - t), r2 * (1 + t)) / nominalRatio);
        EXPECT_GE(r.onAxis.min[i] - nominal, lowest - 1e-9);
        EXPECT_LE(r.onAxis.max[i] - nominal, highest + 1e-9);
        EXPECT_LT(r.onAxis.min[i] - nominal, 0.8 * lowest); // and the draws reach near them
        EXPECT_GT(r.onAxis.max[i] - nominal, 0.8 * highest);
    }
    // The amplifier sees R1 + R2 || 8 Ohm, flat: its quantiles at any frequency are the same.
    EXPECT_NEAR(r.impedance[0].nominal[3], r1 + r2 * kLoad / (r2 + kLoad), 1e-9);
    EXPECT_NEAR(r.impedance[0].q95[3], r.impedance[0].q95[15], 1e-9);
}

TEST(Tolerance, NormalSeriesResistorFollowsTheClosedFormDistribution) {
    constexpr double r1 = 4.0, t = 0.10;
    constexpr int n = 800;
    const auto p = dividerProject(r1, 0.0);
    ToleranceSettings s = nothingVaried();
    s.resistors = 100 * t;
    s.distribution = ToleranceDistribution::Normal;
    s.trials = n;
    s.seed = 7;
    s.sensitivities = false;
    const ToleranceResult r = analyse(*p, s);
    EXPECT_EQ(r.partsVaried, 1);
    // Ratio 8 / (R1' + 8) with R1' = R1 (1 + (t / 2) z): at or below x where
    // R1' ≥ 8 / x - 8, that is z ≥ (8 / x - 8 - R1) / (R1 t / 2).
    const auto cdf = [&](double x) {
        const double z = (kLoad / x - kLoad - r1) / (r1 * t / 2);
        return 1 - phi(z);
    };
    const double nominalRatio = kLoad / (r1 + kLoad);
    const std::size_t i = 9;
    const double qs[3] = {r.onAxis.q05[i], r.onAxis.q50[i], r.onAxis.q95[i]};
    const double ps[3] = {0.05, 0.5, 0.95};
    for (int k = 0; k < 3; ++k) {
        const double x = nominalRatio * std::pow(10.0, (qs[k] - r.onAxis.nominal[i]) / 20.0);
        EXPECT_NEAR(cdf(x), ps[k], quantileBound(ps[k], n)) << "p " << ps[k];
    }
}

TEST(Tolerance, SensitivityOfASeriesResistorIsItsDerivative) {
    for (const double r1 : {1.0, 4.0, 15.0}) {
        const auto p = dividerProject(r1, 0.0);
        ToleranceSettings s = nothingVaried();
        s.resistors = 5;
        s.trials = 2;
        const ToleranceResult r = analyse(*p, s);
        ASSERT_EQ(r.sensitivities.size(), 1U);
        const ToleranceSensitivity& e = r.sensitivities[0];
        EXPECT_EQ(e.amp, 0);
        EXPECT_EQ(e.chassis, -1);
        // L = 20 lg(8 / (R + 8)): dL per +1 % of R is -20 / ln 10 · R / (R + 8) · 0.01 dB. The
        // central difference over ±1 % differs from it by a term of order 1e-4 of itself; the
        // difference itself is known exactly.
        const double derivative = -20.0 / std::numbers::ln10 * r1 / (r1 + kLoad) * 0.01;
        const auto level = [](double ohm) { return 20 * std::log10(kLoad / (ohm + kLoad)); };
        const double central = (level(r1 * 1.01) - level(r1 * 0.99)) / 2;
        ASSERT_EQ(e.curve.size(), r.freq.size());
        for (std::size_t i = 0; i < e.curve.size(); ++i) {
            EXPECT_NEAR(e.curve[i], central, 1e-9) << r1 << " Ohm at " << r.freq[i] << " Hz";
            EXPECT_NEAR(e.curve[i], derivative, 2e-4 * std::abs(derivative));
        }
        EXPECT_NEAR(e.largest, std::abs(central), 1e-9);
        EXPECT_GE(e.fLargest, kToleranceBandLow);
        EXPECT_LE(e.fLargest, kToleranceBandHigh);
    }
}

TEST(Tolerance, ProjectThatDoesNotComputeFailsWithTheStagesReason) {
    auto p = dividerProject(4.0, 0.0);
    p->einbau[0].typ = 99; // no mounting of that kind
    ToleranceResult r;
    r.trials = 17; // cleared by the run
    std::string error;
    EXPECT_EQ(computeTolerance(*p, ToleranceSettings{}, r, {}, error), ToleranceStatus::Failed);
    EXPECT_EQ(error.rfind("Nennwerte: Fehler: Chassis 1", 0), 0U) << error;
    EXPECT_EQ(r.trials, 0);
    EXPECT_TRUE(r.onAxis.nominal.empty());
}

TEST(Tolerance, FactorsOfBothDistributions) {
    // Uniform: the ends of [0, 1) are the ends of the tolerance; normal: 2σ is the tolerance.
    EXPECT_DOUBLE_EQ(toleranceFactor(ToleranceDistribution::Uniform, 5, 0.0, 3.0), 0.95);
    EXPECT_DOUBLE_EQ(toleranceFactor(ToleranceDistribution::Uniform, 5, 0.75, -3.0), 1.025);
    EXPECT_DOUBLE_EQ(toleranceFactor(ToleranceDistribution::Normal, 10, 0.9, 2.0), 1.10);
    EXPECT_DOUBLE_EQ(toleranceFactor(ToleranceDistribution::Normal, 10, 0.9, -1.0), 0.95);
    // A huge tolerance never turns a part negative.
    EXPECT_DOUBLE_EQ(toleranceFactor(ToleranceDistribution::Normal, 300, 0.5, -3.0), 0.01);
}

// ---- Threads ------------------------------------------------------------------------------------

void expectSameBand(const ToleranceBand& a, const ToleranceBand& b, const char* what) {
    EXPECT_EQ(a.nominal, b.nominal) << what;
    EXPECT_EQ(a.q05, b.q05) << what;
    EXPECT_EQ(a.q50, b.q50) << what;
    EXPECT_EQ(a.q95, b.q95) << what;
    EXPECT_EQ(a.min, b.min) << what;
    EXPECT_EQ(a.max, b.max) << what;
}

TEST(ToleranceThreads, SameSeedGivesTheSameNumbersOnOneAndTwoThreads) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 30);
    ToleranceSettings s; // every default tolerance, drivers and crossover parts together
    s.trials = 10;
    s.coilResistance = 5;
    s.seed = 99;
    s.threads = 1;
    const ToleranceResult one = analyse(*p, s);
    s.threads = 2;
    const ToleranceResult two = analyse(*p, s);
    ASSERT_GT(one.partsVaried, 5);
    ASSERT_GT(one.valuesVaried, 10);
    expectSameBand(one.onAxis, two.onAxis, "on axis");
    expectSameBand(one.listeningWindow, two.listeningWindow, "window");
    ASSERT_EQ(one.impedance.size(), two.impedance.size());
    expectSameBand(one.impedance[0], two.impedance[0], "impedance");
    ASSERT_EQ(one.pairs.size(), two.pairs.size());
    for (std::size_t j = 0; j < one.pairs.size(); ++j) {
        expectSameBand(one.pairs[j].phaseCurve, two.pairs[j].phaseCurve, "phase");
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(one.pairs[j].atCrossing[k], two.pairs[j].atCrossing[k]);
        }
    }
    EXPECT_EQ(one.deviationOnAxis, two.deviationOnAxis);
    ASSERT_EQ(one.sensitivities.size(), two.sensitivities.size());
    for (std::size_t k = 0; k < one.sensitivities.size(); ++k) {
        EXPECT_EQ(one.sensitivities[k].name, two.sensitivities[k].name);
        EXPECT_EQ(one.sensitivities[k].curve, two.sensitivities[k].curve);
        if (k > 0) {
            EXPECT_GE(one.sensitivities[k - 1].largest, one.sensitivities[k].largest);
        }
    }
    // The spread is real: the envelope opens, and the level offsets (±1 dB as 2σ) alone move
    // the level by more than a tenth of a decibel somewhere.
    EXPECT_GT(one.deviationOnAxis, 0.1);
    EXPECT_GT(one.envelopeOnAxis, 0.05);
    // Another seed draws other values.
    s.seed = 100;
    const ToleranceResult other = analyse(*p, s);
    EXPECT_NE(one.onAxis.q50, other.onAxis.q50);
}

TEST(ToleranceThreads, JobReportsProgressAndCanBeCancelled) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 30);
    ToleranceSettings s;
    s.trials = 400;
    s.threads = 2;
    std::atomic<int> calls{0}, lastTotal{0};
    ToleranceJob job;
    ASSERT_TRUE(job.start(*p, s, [&](int, int total) {
        ++calls;
        lastTotal = total;
    }));
    EXPECT_FALSE(job.start(*p, s)); // one run at a time
    while (calls.load() < 3 && !job.finished()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    job.cancel();
    job.wait();
    ASSERT_TRUE(job.finished());
    EXPECT_EQ(job.status(), ToleranceStatus::Cancelled);
    EXPECT_GE(calls.load(), 3);
    EXPECT_GT(lastTotal.load(), 400); // the trials and two calculations per sensitivity
    EXPECT_LT(calls.load(), lastTotal.load());

    // A finished job runs again, to its end.
    s.trials = 4;
    s.sensitivities = false;
    ASSERT_TRUE(job.start(*p, s));
    job.wait();
    EXPECT_EQ(job.status(), ToleranceStatus::Ok) << job.error();
    EXPECT_EQ(job.result().trials, 4);
}

} // namespace
} // namespace sonora
