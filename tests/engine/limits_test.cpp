// Limits of the box: excursion and thermal limits per driver, the box's allowed voltage and level.
#include <cmath>

#include <gtest/gtest.h>

#include "engine/limits.h"
#include "model/result.h"

namespace sonora {
namespace {

constexpr int kI = 7; // grid index the tests work on

class Limits : public ::testing::Test {
protected:
    // One project and result for the suite; the limits only touch grid index kI and the driver
    // fields that SetUp resets.
    static void SetUpTestSuite() {
        p_ = new TProjekt();
        res_ = new TResult();
    }
    static void TearDownTestSuite() {
        delete p_;
        delete res_;
        p_ = nullptr;
        res_ = nullptr;
    }
    void SetUp() override {
        p_->nChassis = 3;
        for (int d = 0; d < kMaxChassis; ++d) {
            res_->chassisAmp[d] = -1;
            p_->chassis[d].xlin = p_->chassis[d].Pmax = p_->chassis[d].ZNenn = 0.0;
            res_->fgang_xch[d][kI] = 0.0;
            res_->fgang_weiche[d][kI] = Complex{0.0, 0.0};
            for (int s = 0; s < kSides; ++s) {
                res_->fgang_sw[d][s][kI][0] = Complex{0.0, 0.0};
                res_->fgang_ch_oMw[d][s][kI] = Complex{0.0, 0.0};
                res_->fgang_chassis[d][s][kI][0] = Complex{0.0, 0.0};
            }
        }
        for (int d = 0; d <= kBoxSlot; ++d) {
            res_->fgang_peg[d][kI] = 0.0;
            res_->fgang_Uel_preamp[d][kI] = 0.0;
            res_->fgang_Uel_preamp_mech[d][kI] = 0.0;
        }
        res_->fgang_box[kI][0] = Complex{0.0, 0.0};
        for (int a = 0; a < kMaxAmps; ++a) {
            res_->fgang_akt[a][kI] = Complex{2.0, 0.0};
        }
    }
    // Driver d in amplifier a's network: on-axis baffle response sw, response without
    // corrections ch, excursion x at the reference drive, crossover w; in the box on the axis it
    // gives `inBox` for 1 V (the summation's result, set directly here).
    void driver(int d, int a, Complex sw, Complex ch, double x, Complex w, Complex inBox,
                double xlin, double pmax, double znenn) {
        res_->chassisAmp[d] = a;
        res_->fgang_sw[d][0][kI][0] = sw;
        res_->fgang_sw[d][1][kI][0] = Complex{0.0, 0.0};
        res_->fgang_ch_oMw[d][0][kI] = ch;
        res_->fgang_xch[d][kI] = x;
        res_->fgang_weiche[d][kI] = w;
        res_->fgang_chassis[d][0][kI][0] = inBox;
        res_->fgang_chassis[d][1][kI][0] = Complex{0.0, 0.0};
        p_->chassis[d].xlin = xlin;
        p_->chassis[d].Pmax = pmax;
        p_->chassis[d].ZNenn = znenn;
    }
    void limits() {
        excursionLevels(*p_, *res_, kI);
        inputVoltageLimits(*p_, *res_, kI);
    }
    double peg(int d) const { return res_->fgang_peg[d][kI]; }
    double uel(int d) const { return res_->fgang_Uel_preamp[d][kI]; }
    double mech(int d) const { return res_->fgang_Uel_preamp_mech[d][kI]; }

    static TProjekt* p_;
    static TResult* res_;
};
TProjekt* Limits::p_ = nullptr;
TResult* Limits::res_ = nullptr;

TEST_F(Limits, ExcursionLimitInClosedFormAndLinearInXlin) {
    // |sw·ch| = 0.5 · 2 = 1; xlin 4 mm; 1 mm at the reference drive; 0.25 on the axis for 1 V.
    driver(0, 0, Complex{0.0, 0.5}, Complex{2.0, 0.0}, 0.001, Complex{0.5, 0.0}, Complex{0.15, 0.2},
           0.004, 1e6, 8.0);
    limits();
    const double level = 1.0 * 0.004 * 0.5 / 0.001 / 2.828 * 3.7 * 0.8;
    EXPECT_NEAR(peg(0), level, 1e-14);
    EXPECT_NEAR(mech(0), level / 0.25 * 2.828, 1e-13);
    EXPECT_EQ(uel(0), mech(0)); // the thermal limit lies far above
    EXPECT_EQ(uel(kBoxSlot), uel(0));
    const double pegOnce = peg(0), mechOnce = mech(0);
    p_->chassis[0].xlin = 0.008;
    limits();
    EXPECT_EQ(peg(0), 2.0 * pegOnce);
    EXPECT_EQ(mech(0), 2.0 * mechOnce);
}

TEST_F(Limits, ThermalLimitGovernsWhenTheRatedVoltageIsReachedFirst) {
    // Rated voltage sqrt(2 W · 8 Ω) = 4 V; gain to the terminals |0.5 · 2| = 1.
    driver(0, 0, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{0.5, 0.0}, Complex{0.25, 0.0},
           0.01, 2.0, 8.0);
    limits();
    EXPECT_NEAR(uel(0), 4.0 / (1.0 + 1e-50) + 1e-50, 1e-14);
    EXPECT_NEAR(peg(0), 4.0 * 0.25 / 2.83 / 1.0, 1e-14);
    EXPECT_GT(mech(0), uel(0));              // the excursion limit stays recorded
    EXPECT_NEAR(peg(kBoxSlot), 0.0, 1e-300); // fgang_box was left at 0: the box is silent
    res_->fgang_box[kI][0] = Complex{0.3, 0.4};
    limits();
    EXPECT_NEAR(peg(kBoxSlot), 0.5 * uel(kBoxSlot) / 2.828, 1e-14);
}

TEST_F(Limits, NoPowerHandlingAllowsNothing) {
    driver(0, 0, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{0.5, 0.0}, Complex{0.25, 0.0},
           0.004, 0.0, 8.0);
    driver(1, 1, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{0.5, 0.0}, Complex{0.25, 0.0},
           0.004, 50.0, 8.0);
    res_->fgang_box[kI][0] = Complex{0.5, 0.0};
    limits();
    EXPECT_EQ(uel(0), 1e-50);
    EXPECT_EQ(peg(0), 0.0);
    EXPECT_EQ(uel(kBoxSlot), 1e-50);
    EXPECT_EQ(peg(kBoxSlot), 0.5 * 1e-50 / 2.828);
    EXPECT_GT(uel(1), 1.0); // the other driver keeps its own limit
}

TEST_F(Limits, DriversOutsideTheNetworksOrTheCountNeitherLimitNorRadiate) {
    driver(0, 0, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{1.0, 0.0}, Complex{0.25, 0.0},
           0.004, 1e6, 8.0);
    // Driver 1 would limit hard (no power handling), but it is in no network.
    driver(1, 0, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{1.0, 0.0}, Complex{0.25, 0.0},
           0.004, 0.0, 8.0);
    res_->chassisAmp[1] = -1;
    res_->chassisAmp[2] = 9; // damaged: no such amplifier, treated as no network
    res_->fgang_peg[2][kI] = 0.123;
    res_->fgang_xch[2][kI] = 0.0; // no excursion here: its level stays
    limits();
    EXPECT_EQ(uel(1), 1e10);
    EXPECT_EQ(uel(2), 1e10);
    EXPECT_EQ(peg(2), 0.123);
    EXPECT_EQ(uel(kBoxSlot), uel(0));
    for (int d = 3; d < kMaxChassis; ++d) { // beyond nChassis
        EXPECT_EQ(peg(d), 1e-50);
        EXPECT_EQ(uel(d), 1e10);
    }
    EXPECT_EQ(res_->fgang_Uel_preamp_mech[kBoxSlot][kI], 0.0); // never written
}

TEST_F(Limits, ABlockingCrossoverLeavesTheExcursionLimitInCharge) {
    // Nothing reaches the terminals: silent on the axis (1e50) and the thermal limit, rated
    // voltage over a gain of 1e-50, lies even higher.
    driver(0, 0, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{0.0, 0.0}, Complex{0.0, 0.0},
           0.004, 50.0, 8.0);
    limits();
    const double level = 0.004 * 0.5 / 0.001 / 2.828 * 3.7 * 0.8;
    EXPECT_EQ(mech(0), 1e50);
    EXPECT_EQ(uel(0), 1e50);
    EXPECT_NEAR(peg(0), level, 1e-14); // the excursion level, not replaced
    EXPECT_EQ(uel(kBoxSlot), 1e10);    // and it does not limit the box
    // Almost blocked (-200 dB): both limits huge, the excursion limit still the smaller one.
    driver(0, 0, Complex{1.0, 0.0}, Complex{1.0, 0.0}, 0.001, Complex{1e-10, 0.0},
           Complex{1e-10, 0.0}, 0.004, 1e3, 8.0);
    limits();
    EXPECT_EQ(uel(0), mech(0));
    EXPECT_GT(uel(0), 1e9);
    EXPECT_TRUE(std::isfinite(peg(0)) && std::isfinite(uel(0)));
}

} // namespace
} // namespace sonora
