#include "acoustics/network_calc_impedance.h"

#include "storage/latin1.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace sonora
