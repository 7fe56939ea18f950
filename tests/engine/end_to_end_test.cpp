// Whole projects built in code, computed by the real stages from end to end.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <memory>

#include <gtest/gtest.h>

#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"
#include "engine/stages.h"
#include "tests/support/first_example_designs.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
using Cx = std::complex<double>;

Cx cx(const Complex& z) {
    return {z.re, z.im};
}
double dB(double x) {
    return 20.0 * std::log10(x + 1e-50);
}

int pointsOf(const TProjekt& p) {
    int n = 0;
    while (n < kResultFreqs - 1 && p.freq[n] > 0) {
        ++n;
    }
    return n;
}

int indexNear(const TProjekt& p, double f) {
    int best = 0;
    for (int i = 0; i < pointsOf(p); ++i) {
        if (std::abs(std::log(p.freq[i] / f)) < std::abs(std::log(p.freq[best] / f))) {
            best = i;
        }
    }
    return best;
}

// Runs a whole calculation as the command line does and keeps the window's copy.
struct WholeRun {
    TFormRechnen form;
    std::unique_ptr<TCalcThread> calc;

    explicit WholeRun(const TProjekt& p) {
        TCalcThread::Options o;
        o.pause = 0ms;
        o.lowerPriority = false;
        o.listener = &form;
        calc = std::make_unique<TCalcThread>(o);
        form.attach(calc.get());
        form.CalcNew(p);
        EXPECT_TRUE(calc->waitUntilIdle(60s));
    }
    const TResult& r() const { return *form.result; }
};

// The stage texts, for a readable failure message.
std::string errors(const TFormRechnen& f) {
    std::string s;
    for (const std::string& e : f.ErrMemo) {
        s += e + "\n";
    }
    return s;
}

TEST(EndToEnd, TwoWayComputesValidAndIsTheSumOfItsParts) {
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p);
    WholeRun run(*p);
    ASSERT_EQ(run.form.errCount, 0) << errors(run.form);
    const TResult& r = run.r();
    EXPECT_TRUE(r.valid);
    const int n = pointsOf(*p);
    for (int i = 0; i < n; ++i) {
        // Every driver's radiated response on axis, crossover and filter included, adds up to the
        // box on axis (both drivers sit in the baffle plane, so the path phase on axis is 0).
        Cx sum = 0;
        for (int d = 0; d < 2; ++d) {
            const Cx weiche = cx(r.fgang_weiche[d][i]);
            for (int s = 0; s < kSides; ++s) {
                sum += cx(r.fgang_sw[d][s][i][0]) * weiche * cx(r.fgang_ch[d][s][i]) *
                       cx(r.fgang_akt[0][i]);
            }
        }
        EXPECT_NEAR(dB(std::abs(cx(r.fgang_box[i][0]))), dB(std::abs(sum)), 1e-6)
            << "f = " << p->freq[i];
        for (int k = 0; k < kPlaneAngles; ++k) {
            ASSERT_TRUE(std::isfinite(r.fgang_box_h[i][k].re) &&
                        std::isfinite(r.fgang_box_v[i][k].re));
        }
        ASSERT_TRUE(std::isfinite(r.fgang_bmass[i]));
        ASSERT_TRUE(std::isfinite(r.fgang_peg[kMaxChassis][i]));
    }
    // In the woofer's pass band the box follows the woofer alone, in the tweeter's the tweeter:
    // within a few dB of that driver on its baffle behind its own path through the crossover
    // (the tweeter's includes its level pad), the other driver left out.
    for (double f : {150.0, 400.0}) {
        const int i = indexNear(*p, f);
        const double woofer = std::abs(cx(r.fgang_sw[0][0][i][0]) * cx(r.fgang_ch[0][0][i]) *
                                       cx(r.fgang_weiche[0][i]));
        EXPECT_NEAR(dB(std::abs(cx(r.fgang_box[i][0]))), dB(woofer), 3.0) << "f = " << f;
    }
    for (double f : {8000.0, 12000.0}) {
        const int i = indexNear(*p, f);
        const double dome = std::abs(cx(r.fgang_sw[1][0][i][0]) * cx(r.fgang_ch[1][0][i]) *
                                     cx(r.fgang_weiche[1][i]));
        EXPECT_NEAR(dB(std::abs(cx(r.fgang_box[i][0]))), dB(dome), 3.0) << "f = " << f;
    }
    // The closed box rolls off below its resonance: far down at 20 Hz against 200 Hz.
    EXPECT_LT(dB(std::abs(cx(r.fgang_box[indexNear(*p, 20)][0]))),
              dB(std::abs(cx(r.fgang_box[indexNear(*p, 200)][0]))) - 12.0);
}

TEST(EndToEnd, InclinedDirectionsOfTheTwoWayAreTheVerticalPlaneAtOneDegree) {
    // The upper inclined direction is the box about 1° above the axis, the lower one 1° below:
    // the vertical plane at +1° (index 181) and -1° (index 179). They differ only in the drivers'
    // own directivity over 1°, which the inclined directions leave out and the plane interpolates
    // linearly from the axis to the 30° ring; below 600 Hz that is under a twentieth of a decibel.
    // Higher up, around the crossover, the tilt from the drivers' heights dominates, and the
    // inclined directions must lean the same way as the plane.
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p);
    WholeRun run(*p);
    ASSERT_EQ(run.form.errCount, 0) << errors(run.form);
    const TResult& r = *run.calc->Res;
    int tilted = 0; // points with a clear tilt, to know the test sees one at all
    for (int i = 0; i < pointsOf(*p) && p->freq[i] <= 5000.0; ++i) {
        const double up = dB(std::abs(cx(r.fgang_box_inc_o[i])));
        const double down = dB(std::abs(cx(r.fgang_box_inc_u[i])));
        const double planeUp = dB(std::abs(cx(r.fgang_box_v[i][181])));
        const double planeDown = dB(std::abs(cx(r.fgang_box_v[i][179])));
        if (p->freq[i] <= 600.0) {
            EXPECT_NEAR(up, planeUp, 0.05) << "f = " << p->freq[i];
            EXPECT_NEAR(down, planeDown, 0.05) << "f = " << p->freq[i];
        }
        if (std::abs(planeUp - planeDown) > 0.1) {
            ++tilted;
            EXPECT_EQ(up > down, planeUp > planeDown) << "f = " << p->freq[i];
        }
    }
    EXPECT_GT(tilted, 5);
}

TEST(EndToEnd, CrossoverOfTheTwoWaySplitsTheBand) {
    // The first two-way design: a plain second-order pair whose dividers are written out below.
    auto p = std::make_unique<TProjekt>();
    test::buildFirstTwoWayDesign(*p);
    WholeRun run(*p);
    const TResult& r = *run.calc->Res;
    EXPECT_EQ(run.calc->CalcStruct.bfgang_weiche[0].str(), "OK");
    // Each branch on the grid is a series element into a shunt element parallel to the driver's
    // own impedance, fed by 1 V: the divider in closed form, the tweeter with reversed polarity.
    constexpr double kTwoPi = 6.283185307179586477;
    for (int i = 0; i < pointsOf(*p); ++i) {
        const double w = kTwoPi * p->freq[i];
        const Cx j(0.0, 1.0);
        const Cx zw = cx(r.impedanz_ch[0][i]), zt = cx(r.impedanz_ch[1][i]);
        const Cx shuntW = 1.0 / (1.0 / zw + j * w * 5.6e-6);
        const Cx woofer = shuntW / (0.3 + j * w * 0.72e-3 + shuntW);
        const Cx shuntT = 1.0 / (1.0 / zt + 1.0 / (0.25 + j * w * 0.54e-3));
        const Cx dome = -shuntT / (1.0 / (j * w * 7.5e-6) + shuntT);
        EXPECT_LT(std::abs(cx(r.fgang_weiche[0][i]) - woofer), 1e-9 * std::abs(woofer) + 1e-15)
            << "f = " << p->freq[i];
        EXPECT_LT(std::abs(cx(r.fgang_weiche[1][i]) - dome), 1e-9 * std::abs(dome) + 1e-15)
            << "f = " << p->freq[i];
    }
    const int low = indexNear(*p, 50), high = indexNear(*p, 15000);
    EXPECT_NEAR(std::abs(cx(r.fgang_weiche[0][low])), 1.0, 0.1);
    EXPECT_LT(std::abs(cx(r.fgang_weiche[0][high])), 0.05);
    EXPECT_LT(std::abs(cx(r.fgang_weiche[1][low])), 0.01);
    EXPECT_LT(cx(r.fgang_weiche[1][high]).real(), 0.0);
    // The amplifier sees a load in the range of the drivers' nominal impedance.
    for (int i = 0; i < pointsOf(*p); ++i) {
        const double z = std::abs(cx(r.impedanz_box[0][i]));
        EXPECT_GT(z, 3.0) << p->freq[i];
        EXPECT_LT(z, 100.0) << p->freq[i];
    }
}

TEST(EndToEnd, ThreeWayComputesValid) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p);
    WholeRun run(*p);
    ASSERT_EQ(run.form.errCount, 0) << errors(run.form);
    const TResult& r = run.r();
    EXPECT_TRUE(r.valid);
    const TResult& raw = *run.calc->Res;
    // Each driver dominates its own band.
    const int lo = indexNear(*p, 100), mid = indexNear(*p, 1000), hi = indexNear(*p, 10000);
    EXPECT_GT(std::abs(cx(raw.fgang_weiche[0][lo])), 5 * std::abs(cx(raw.fgang_weiche[2][lo])));
    EXPECT_GT(std::abs(cx(raw.fgang_weiche[1][mid])), std::abs(cx(raw.fgang_weiche[0][hi])));
    EXPECT_GT(std::abs(cx(raw.fgang_weiche[2][hi])), 5 * std::abs(cx(raw.fgang_weiche[0][hi])));
}

TEST(EndToEnd, SubwooferBandpassIsABandPass) {
    auto p = std::make_unique<TProjekt>();
    buildSubwooferBandpassExample(*p);
    WholeRun run(*p);
    ASSERT_EQ(run.form.errCount, 0) << errors(run.form);
    const TResult& r = run.r();
    EXPECT_TRUE(r.valid);
    const auto level = [&](double f) { return dB(std::abs(cx(r.fgang_box[indexNear(*p, f)][0]))); };
    // The pass band lies between the two tunings; an octave outside it the level has fallen far.
    const double pass = std::max(level(45.0), level(60.0));
    EXPECT_LT(level(15.0), pass - 12.0);
    EXPECT_LT(level(300.0), pass - 24.0); // acoustic roll-off and the fourth-order low-pass
}

TEST(EndToEnd, ActiveTwoWaySplitsTheBandWithItsFilters) {
    auto p = std::make_unique<TProjekt>();
    buildActiveTwoWayExample(*p);
    WholeRun run(*p);
    ASSERT_EQ(run.form.errCount, 0) << errors(run.form);
    const TResult& r = run.r();
    EXPECT_TRUE(r.valid);
    ASSERT_EQ(p->nAmps, 2);
    // Each amplifier drives one driver straight: the active filters alone split the band, and
    // neither amplifier sees less than the floor the examples keep.
    const int lo = indexNear(*p, 100), hi = indexNear(*p, 10000);
    EXPECT_GT(std::abs(cx(r.fgang_akt[0][lo])), 30 * std::abs(cx(r.fgang_akt[1][lo])));
    EXPECT_GT(std::abs(cx(r.fgang_akt[1][hi])), 30 * std::abs(cx(r.fgang_akt[0][hi])));
    for (int a = 0; a < 2; ++a) {
        for (int i = 0; i < pointsOf(*p); ++i) {
            ASSERT_GT(std::abs(cx(r.impedanz_box[a][i])), 3.2) << "amplifier " << a;
        }
    }
}

TEST(EndToEnd, MeasuredTwoWayComputesFromItsCurves) {
    auto p = std::make_unique<TProjekt>();
    buildMeasuredTwoWayExample(*p);
    for (int d = 0; d < 2; ++d) {
        EXPECT_TRUE(p->chassis[d].useFGangA && p->chassis[d].useFGangAP);
        EXPECT_EQ(p->chassis[d].Richt.nRicht, kMaxRicht);
        EXPECT_EQ(p->chassis[d].Richt.RichtSimu, 1);
    }
    WholeRun run(*p);
    ASSERT_EQ(run.form.errCount, 0) << errors(run.form);
    EXPECT_TRUE(run.r().valid);
}

} // namespace
} // namespace sonora
