#include "acoustics/network_calc_impedance.h"

#include "storage/latin1.h"
#include "tests/acoustics/network_part_values.h"

#include <gtest/gtest.h>

#include <complex>
#include <numbers>

namespace sonora {
namespace {

NetworkLines latin1(std::initializer_list<const char*> utf8) {
    NetworkLines lines;
    for (const char* line : utf8) {
        lines.push_back(utf8ToLatin1(line));
    }
    return lines;
}

// Start values Qms 2.8, Qes 0.4, fc 66 Hz, Rdc 6.8 Ohm, Le 0.8 mH; ω = 2π·66 = 414.69 rad/s.
// By hand: R = 6.8·(0.4/2.8 + 1) = 7.7714 Ohm; L = 0.4·6.8/ω = 6.5591 mH;
// C = 1/(6.8·0.4·ω) = 886.56 µF; Zobel C = 0.0008/6.8² = 17.301 µF; R2 = 6.8·0.4/2.8 = 0.97143.
TEST(ImpedanceCorrection, StartValues) {
    const ImpedanceCorrectionMemos m = impedanceCorrectionLines({});
    EXPECT_EQ(m.resonance, latin1({"R = 7,771 Ohm", "L = 6,559 mH", "C = 886,6 µF"}));
    EXPECT_EQ(m.inductance, latin1({"R = 6,8 Ohm", "C = 17,3 µF"}));
    EXPECT_EQ(m.combined, latin1({"R1 = 6,8 Ohm", "R2 = 0,971 Ohm", "L  = 6,559 mH", "C1 = 17,3 µF",
                                  "C2 = 886,6 µF"}));
}

TEST(ImpedanceCorrection, PartValuesInSiUnits) {
    const double omega = 2 * std::numbers::pi * 66;
    EXPECT_NEAR(zobelC(6.8, 0.8e-3), 17.301038e-6, 1e-12);
    EXPECT_NEAR(resonanceCorrectionR(6.8, 0.4, 2.8), 7.7714286, 1e-6);
    EXPECT_NEAR(resonanceCorrectionL(6.8, 0.4, omega), 6.5591128e-3, 1e-9);
    EXPECT_NEAR(resonanceCorrectionC(6.8, 0.4, omega), 886.55828e-6, 1e-10);
    // The resonance circuit is tuned to fc: ω²·L·C = 1.
    EXPECT_NEAR(omega * omega * resonanceCorrectionL(6.8, 0.4, omega) *
                    resonanceCorrectionC(6.8, 0.4, omega),
                1, 1e-12);
}

// Le is entered in mH: twice the inductance gives twice the Zobel capacitance.
TEST(ImpedanceCorrection, InductanceEnteredInMillihenry) {
    ImpedanceCorrectionInputs in;
    in.Le = 1.6;
    EXPECT_EQ(impedanceCorrectionLines(in).inductance, latin1({"R = 6,8 Ohm", "C = 34,6 µF"}));
}

// Each list needs only its own entries.
TEST(ImpedanceCorrection, EachListChecksItsOwnEntries) {
    ImpedanceCorrectionInputs noLe;
    noLe.Le = 0;
    ImpedanceCorrectionMemos m = impedanceCorrectionLines(noLe);
    EXPECT_EQ(m.resonance.size(), 3u);
    EXPECT_TRUE(m.inductance.empty());
    EXPECT_TRUE(m.combined.empty());

    for (double ImpedanceCorrectionInputs::*field :
         {&ImpedanceCorrectionInputs::Qms, &ImpedanceCorrectionInputs::Qes,
          &ImpedanceCorrectionInputs::fc}) {
        ImpedanceCorrectionInputs in;
        in.*field = -1;
        m = impedanceCorrectionLines(in);
        EXPECT_TRUE(m.resonance.empty());
        EXPECT_EQ(m.inductance.size(), 2u);
        EXPECT_TRUE(m.combined.empty());
    }

    ImpedanceCorrectionInputs noRdc;
    noRdc.Rdc = 0;
    m = impedanceCorrectionLines(noRdc);
    EXPECT_TRUE(m.resonance.empty());
    EXPECT_TRUE(m.inductance.empty());
    EXPECT_TRUE(m.combined.empty());
}

// ---- physics: the driver with the page's network across its terminals

using Z = std::complex<double>;

// The driver as the box model sees it at its terminals: Re, the voice-coil inductance and the
// motional impedance Res/(1 + jQms(f/fs − fs/f)) with Res = Re·Qms/Qes.
Z driverImpedance(const ImpedanceCorrectionInputs& in, double leHenry, double f) {
    const double omega = 2 * std::numbers::pi * f;
    const double res = in.Rdc * in.Qms / in.Qes;
    const Z motional = res / Z(1, in.Qms * (f / in.fc - in.fc / f));
    return Z(in.Rdc, omega * leHenry) + motional;
}

Z parallel(Z a, Z b) {
    return a * b / (a + b);
}
Z inductor(double henry, double omega) {
    return Z(0, omega * henry);
}
Z capacitor(double farad, double omega) {
    return Z(0, -1 / (omega * farad));
}

// Largest relative deviation of |Z| from Rdc over 10 Hz … 20 kHz (100 points per decade) for the
// driver in parallel with `network`.
template <class Network>
double largestDeviation(const ImpedanceCorrectionInputs& in, double leHenry, Network network) {
    double worst = 0;
    for (int k = 0; k <= 330; ++k) {
        const double f = 10 * std::pow(10.0, k / 100.0);
        const Z total =
            parallel(driverImpedance(in, leHenry, f), network(2 * std::numbers::pi * f));
        worst = std::max(worst, std::abs(std::abs(total) / in.Rdc - 1));
    }
    return worst;
}

// Each network makes the driver a resistance of Rdc: the resonance circuit for a driver without
// inductance, the Zobel for the voice coil alone, and the combined network, R1 in series with
// (C1 ∥ (R2–L–C2)), for the whole driver. This is exact (the network is the dual of the driver
// about Rdc), so with the page's rounded values it holds far inside ±5 %.
TEST(ImpedanceCorrectionPhysics, TheNetworksMakeTheDriverFlat) {
    const ImpedanceCorrectionInputs in;
    const ImpedanceCorrectionMemos m = impedanceCorrectionLines(in);
    const double le = in.Le * 1e-3;

    const auto res = testing::partValues(m.resonance);
    ASSERT_EQ(res.size(), 3u);
    const auto resonance = [&](double w) {
        return res.at("R") + inductor(res.at("L"), w) + capacitor(res.at("C"), w);
    };
    EXPECT_LT(largestDeviation(in, 0, resonance), 0.002);

    const auto zob = testing::partValues(m.inductance);
    ASSERT_EQ(zob.size(), 2u);
    const auto zobel = [&](double w) { return zob.at("R") + capacitor(zob.at("C"), w); };
    ImpedanceCorrectionInputs noMotion = in;
    noMotion.Qes = 1e12; // no motor force, Res -> 0: the voice coil alone
    EXPECT_LT(largestDeviation(noMotion, le, zobel), 0.002);

    const auto both = testing::partValues(m.combined);
    ASSERT_EQ(both.size(), 5u);
    const auto combined = [&](double w) {
        const Z resonant = both.at("R2") + inductor(both.at("L"), w) + capacitor(both.at("C2"), w);
        return both.at("R1") + parallel(capacitor(both.at("C1"), w), resonant);
    };
    EXPECT_LT(largestDeviation(in, le, combined), 0.005); // asked: ±5 %
    // Without the network the driver is far from flat: the test can tell.
    EXPECT_GT(largestDeviation(in, le, [](double) { return Z(1e30, 0); }), 5);

    // The two branches R2–L–C2 and R1–C1 side by side across the driver (an older picture) would
    // nearly short the amplifier at the resonance instead.
    const double w = 2 * std::numbers::pi * in.fc;
    const Z sideBySide =
        parallel(parallel(driverImpedance(in, le, in.fc),
                          both.at("R2") + inductor(both.at("L"), w) + capacitor(both.at("C2"), w)),
                 both.at("R1") + capacitor(both.at("C1"), w));
    EXPECT_LT(std::abs(sideBySide), 1.0);
}

} // namespace
} // namespace sonora
