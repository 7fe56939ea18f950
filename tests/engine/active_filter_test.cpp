// Active filters: closed-form responses of every kind, an independent std::complex oracle, the
// checks and their texts, the calculation stage on a grid and the editor rules.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/active_filter.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using C = std::complex<double>;
constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

C toStd(const Complex& z) {
    return {z.re, z.im};
}

TFilter makeFilter(FilterKind k, double f = 1000.0) {
    TFilter fil = defaultFilter();
    fil.typ = typOf(k);
    fil.f = f;
    return fil;
}

C response(const TFilter& fil, double fg) {
    return toStd(activeFilterResponse(fil, fg));
}

double db(double magnitude) {
    return 20.0 * std::log10(magnitude);
}

// Relative distance, so responses far down a steep slope are compared as closely as near 1.
double relativeError(C got, C want) {
    return std::abs(got - want) / std::max(std::abs(want), 1e-300);
}

// Butterworth low-pass from its poles on the unit circle, s_k = e^(j*pi*(2k + n - 1)/(2n)),
// H(s) = prod(-s_k / (s - s_k)); the high-pass is H(1/s). Independent of the program's Q table.
C butterworthByPoles(double x, int n, bool highPass) {
    const C s = highPass ? C(0.0, -1.0 / x) : C(0.0, x);
    C h = 1.0;
    for (int k = 1; k <= n; ++k) {
        const C pole = std::polar(1.0, kPi * (2 * k + n - 1) / (2.0 * n));
        h *= -pole / (s - pole);
    }
    return h;
}

// The table of transfer functions, written again with std::complex as a check on the program's.
C oracle(const TFilter& fil, double fg) {
    const C j(0.0, 1.0);
    const double x = fg / fil.f, q = fil.q, sa = std::sqrt(fil.a);
    const auto biquad = [&](double fc, double qc) {
        return 1.0 - (fg / fc) * (fg / fc) + j * fg / (qc * fc);
    };
    switch (static_cast<FilterKind>(fil.typ)) {
    case FilterKind::HighPass1:
        return 1.0 / (1.0 - j / x);
    case FilterKind::HighPass2:
        return -x * x / (1.0 - x * x + j * x / q);
    case FilterKind::LowPass1:
        return 1.0 / (1.0 + j * x);
    case FilterKind::LowPass2:
        return 1.0 / (1.0 - x * x + j * x / q);
    case FilterKind::ShelfHigh1:
        return sa * (sa - j / x) / (1.0 - j * sa / x);
    case FilterKind::ShelfLow1:
        return sa * (sa + j * x) / (1.0 + j * sa * x);
    case FilterKind::BandPass:
        return (j * x / q) / (1.0 - x * x + j * x / q);
    case FilterKind::ParametricEq:
        return (1.0 - x * x + j * sa * x / q) / (1.0 - x * x + j * x / (sa * q));
    case FilterKind::ButterworthHighPass:
        return butterworthByPoles(x, fil.n, true);
    case FilterKind::ButterworthLowPass:
        return butterworthByPoles(x, fil.n, false);
    case FilterKind::LinkwitzRileyHighPass:
        return std::pow(butterworthByPoles(x, fil.n / 2, true), 2);
    case FilterKind::LinkwitzRileyLowPass:
        return std::pow(butterworthByPoles(x, fil.n / 2, false), 2);
    case FilterKind::Delay:
        return std::exp(-j * 2.0 * kPi * fg * fil.t);
    case FilterKind::ShelfHigh2: {
        const double r = std::pow(fil.a, 0.25);
        return biquad(fil.f / r, q) / biquad(fil.f * r, q);
    }
    case FilterKind::ShelfLow2: {
        const double r = std::pow(fil.a, 0.25);
        return fil.a * biquad(fil.f * r, q) / biquad(fil.f / r, q);
    }
    case FilterKind::LinkwitzTransform:
        return biquad(fil.fch, fil.qch) / biquad(fil.f, q) * std::pow(fil.fch / fil.f, 2);
    case FilterKind::AllPass1:
        return (1.0 - j * x) / (1.0 + j * x);
    case FilterKind::AllPass2:
        return (1.0 - x * x - j * x / q) / (1.0 - x * x + j * x / q);
    default:
        return 1.0;
    }
}

// One stage of every kind with parameters away from the defaults.
std::vector<TFilter> oneOfEachKind() {
    std::vector<TFilter> out;
    for (int typ = 0; typ < kFilterKinds; ++typ) {
        TFilter fil = makeFilter(static_cast<FilterKind>(typ), 50.0 + 97.0 * typ);
        fil.q = 0.4 + 0.1 * typ;
        fil.a = std::pow(10.0, (typ % 2 == 0 ? 7.5 : -9.0) / 20.0);
        fil.t = 0.37e-3 * (typ + 1);
        fil.n = typ == typOf(FilterKind::ButterworthHighPass) ? 5 : 6;
        fil.fch = 3.0 * fil.f;
        fil.qch = 1.3;
        out.push_back(fil);
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Closed forms

TEST(ActiveFilterResponse, LinkwitzRiley4IsMinus6dBAtItsFrequencyWithOppositePhase) {
    for (FilterKind k : {FilterKind::LinkwitzRileyHighPass, FilterKind::LinkwitzRileyLowPass}) {
        TFilter fil = makeFilter(k, 2000.0);
        fil.n = 4;
        const C h = response(fil, 2000.0);
        EXPECT_NEAR(db(std::abs(h)), -6.0206, 1e-4);
        EXPECT_NEAR(std::abs(h - C(-0.5, 0.0)), 0.0, 1e-12); // (∓j/√2)² = -1/2
    }
}

TEST(ActiveFilterResponse, Butterworth2IsMinus3dBAtItsFrequencyAtPlusMinus90Degrees) {
    TFilter hp = makeFilter(FilterKind::ButterworthHighPass, 300.0);
    TFilter lp = makeFilter(FilterKind::ButterworthLowPass, 300.0);
    hp.n = lp.n = 2;
    EXPECT_NEAR(db(std::abs(response(hp, 300.0))), -3.0103, 1e-4);
    EXPECT_NEAR(std::abs(response(hp, 300.0) - C(0.0, std::sqrt(0.5))), 0.0, 1e-12);
    EXPECT_NEAR(std::abs(response(lp, 300.0) - C(0.0, -std::sqrt(0.5))), 0.0, 1e-12);
}

TEST(ActiveFilterResponse, ButterworthMagnitudeAndPhaseAtTheCornerForManyOrders) {
    for (int n : {1, 2, 3, 4, 5, 7, 8, 12, 33, 64, 127, 128}) {
        TFilter hp = makeFilter(FilterKind::ButterworthHighPass, 100.0);
        TFilter lp = makeFilter(FilterKind::ButterworthLowPass, 100.0);
        hp.n = lp.n = n;
        for (double x : {0.25, 0.5, 0.9, 1.0, 1.1, 2.0, 4.0}) {
            const double want = 1.0 / std::sqrt(1.0 + std::pow(x, 2.0 * n));
            EXPECT_NEAR(std::abs(response(lp, 100.0 * x)) / want, 1.0, 1e-9) << n << " " << x;
            const double wantHp = 1.0 / std::sqrt(1.0 + std::pow(x, -2.0 * n));
            EXPECT_NEAR(std::abs(response(hp, 100.0 * x)) / wantHp, 1.0, 1e-9) << n << " " << x;
        }
        // At the corner the phase of order n is -n·45° (low-pass) and +n·45° (high-pass).
        const C lpUnit = response(lp, 100.0) / std::abs(response(lp, 100.0));
        const C hpUnit = response(hp, 100.0) / std::abs(response(hp, 100.0));
        EXPECT_NEAR(std::abs(lpUnit - std::polar(1.0, -n * kPi / 4.0)), 0.0, 1e-9) << n;
        EXPECT_NEAR(std::abs(hpUnit - std::polar(1.0, n * kPi / 4.0)), 0.0, 1e-9) << n;
    }
}

TEST(ActiveFilterResponse, ButterworthEqualsThePoleProductForEveryOrder) {
    for (int n = 1; n <= kMaxFilterOrder; ++n) {
        for (double x : {0.3, 0.97, 1.0, 1.6, 3.0}) {
            EXPECT_LT(
                relativeError(toStd(butterworthLowPass(x, n)), butterworthByPoles(x, n, false)),
                1e-9)
                << n << " " << x;
            EXPECT_LT(
                relativeError(toStd(butterworthHighPass(x, n)), butterworthByPoles(x, n, true)),
                1e-9)
                << n << " " << x;
        }
    }
}

TEST(ActiveFilterResponse, LinkwitzRileyPairsSumToAnAllPass) {
    // LP + (-1)^(n/2)·HP has magnitude 1: in phase for n = 4, 8, ..., inverted for n = 2, 6, ...
    for (int n = 2; n <= kMaxFilterOrder; n += 2) {
        TFilter hp = makeFilter(FilterKind::LinkwitzRileyHighPass, 800.0);
        TFilter lp = makeFilter(FilterKind::LinkwitzRileyLowPass, 800.0);
        hp.n = lp.n = n;
        const double sign = (n / 2) % 2 == 0 ? 1.0 : -1.0;
        for (double fg : {20.0, 400.0, 790.0, 800.0, 1200.0, 20000.0}) {
            EXPECT_NEAR(std::abs(response(lp, fg) + sign * response(hp, fg)), 1.0, 1e-9)
                << n << " " << fg;
        }
    }
    // The wrong polarity cancels at the crossover frequency.
    TFilter hp = makeFilter(FilterKind::LinkwitzRileyHighPass, 800.0);
    TFilter lp = makeFilter(FilterKind::LinkwitzRileyLowPass, 800.0);
    hp.n = lp.n = 2;
    EXPECT_NEAR(std::abs(response(lp, 800.0) + response(hp, 800.0)), 0.0, 1e-12);
}

TEST(ActiveFilterResponse, DelayIsEToTheMinusJOmegaT) {
    TFilter fil = makeFilter(FilterKind::Delay, 0.0); // f is not used by a delay
    fil.t = 1e-3;
    EXPECT_NEAR(std::abs(response(fil, 1000.0) - C(1.0, 0.0)), 0.0, 1e-12); // -360°
    EXPECT_NEAR(std::abs(response(fil, 250.0) - C(0.0, -1.0)), 0.0, 1e-12); // -90°
    EXPECT_NEAR(std::abs(response(fil, 500.0) - C(-1.0, 0.0)), 0.0, 1e-12); // -180°
    for (double fg : {20.0, 137.0, 5000.0, 19999.0}) {
        EXPECT_NEAR(std::abs(response(fil, fg) - std::polar(1.0, -2.0 * kPi * fg * 1e-3)), 0.0,
                    1e-12);
    }
}

TEST(ActiveFilterResponse, LinkwitzTransformGainIsTheSquaredFrequencyRatioAtLowFrequency) {
    TFilter fil = makeFilter(FilterKind::LinkwitzTransform, 40.0);
    fil.q = 0.5;
    fil.fch = 80.0;
    fil.qch = 1.2;
    EXPECT_NEAR(std::abs(response(fil, 1e-3)), 4.0, 1e-6); // +12 dB
    EXPECT_NEAR(std::abs(response(fil, 1e7)), 1.0, 1e-6);
    // Equal old and new roll-off: nothing changes.
    fil.fch = 40.0;
    fil.qch = 0.5;
    EXPECT_NEAR(std::abs(response(fil, 63.0) - C(1.0, 0.0)), 0.0, 1e-12);
}

TEST(ActiveFilterResponse, ShelvingLimitsAndHalfGainAtTheirFrequency) {
    for (double gainDb : {6.0, -12.0, 200.0, -200.0}) {
        const double a = std::pow(10.0, gainDb / 20.0);
        for (FilterKind k : {FilterKind::ShelfHigh1, FilterKind::ShelfLow1, FilterKind::ShelfHigh2,
                             FilterKind::ShelfLow2}) {
            TFilter fil = makeFilter(k, 1000.0);
            fil.a = a;
            fil.q = 0.8;
            const bool high = k == FilterKind::ShelfHigh1 || k == FilterKind::ShelfHigh2;
            // Limits far below and above; ±200 dB shelves need the corners far away too.
            const double spread = std::abs(gainDb) > 100.0 ? 1e14 : 1e6;
            const C low = response(fil, 1000.0 / spread), hi = response(fil, 1000.0 * spread);
            EXPECT_NEAR(std::abs(low) / (high ? 1.0 : a), 1.0, 1e-4) << gainDb << " " << fil.typ;
            EXPECT_NEAR(std::abs(hi) / (high ? a : 1.0), 1.0, 1e-4) << gainDb << " " << fil.typ;
            // Half the gain in dB at f.
            EXPECT_NEAR(std::abs(response(fil, 1000.0)) / std::sqrt(a), 1.0, 1e-9)
                << gainDb << " " << fil.typ;
        }
    }
}

TEST(ActiveFilterResponse, ParametricEqBandPassAndAllPasses) {
    TFilter eq = makeFilter(FilterKind::ParametricEq, 2500.0);
    eq.q = 3.0;
    for (double gainDb : {6.0, -15.0}) {
        eq.a = std::pow(10.0, gainDb / 20.0);
        EXPECT_NEAR(std::abs(response(eq, 2500.0) - C(eq.a, 0.0)), 0.0, 1e-12);
        EXPECT_NEAR(std::abs(response(eq, 2.5)), 1.0, 1e-5);
        EXPECT_NEAR(std::abs(response(eq, 2.5e6)), 1.0, 1e-5);
    }
    TFilter bp = makeFilter(FilterKind::BandPass, 2500.0);
    bp.q = 4.0;
    EXPECT_NEAR(std::abs(response(bp, 2500.0) - C(1.0, 0.0)), 0.0, 1e-12);
    EXPECT_LT(std::abs(response(bp, 25.0)), 1e-2);
    EXPECT_LT(std::abs(response(bp, 250000.0)), 1e-2);

    TFilter ap1 = makeFilter(FilterKind::AllPass1, 500.0);
    TFilter ap2 = makeFilter(FilterKind::AllPass2, 500.0);
    ap2.q = 0.6;
    for (double fg : {5.0, 200.0, 500.0, 777.0, 50000.0}) {
        EXPECT_NEAR(std::abs(response(ap1, fg)), 1.0, 1e-12);
        EXPECT_NEAR(std::abs(response(ap2, fg)), 1.0, 1e-12);
    }
    EXPECT_NEAR(std::abs(response(ap1, 500.0) - C(0.0, -1.0)), 0.0, 1e-12); // -90°
    EXPECT_NEAR(std::abs(response(ap2, 500.0) - C(-1.0, 0.0)), 0.0, 1e-12); // -180°
}

TEST(ActiveFilterResponse, EveryKindMatchesTheIndependentlyWrittenTable) {
    for (const TFilter& fil : oneOfEachKind()) {
        for (double fg = 10.0; fg < 30000.0; fg *= 1.37) {
            EXPECT_LT(relativeError(response(fil, fg), oracle(fil, fg)), 1e-9)
                << "typ " << fil.typ << " at " << fg;
        }
    }
    // Unknown kinds leave the chain alone.
    for (int typ : {-1, 19, 1000}) {
        TFilter fil = defaultFilter();
        fil.typ = typ;
        EXPECT_EQ(response(fil, 123.0), C(1.0, 0.0));
    }
}

TEST(ActiveFilterResponse, ChainIsTheLevelTimesTheProductOfItsStages) {
    TAktfilter akt = defaultAktfilter();
    EXPECT_EQ(toStd(aktfilterResponse(akt, 440.0)), C(1.0, 0.0)); // empty chain
    akt.pegel = 2.0;
    EXPECT_EQ(toStd(aktfilterResponse(akt, 440.0)), C(2.0, 0.0));

    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> kind(1, kFilterKinds - 1);
    const std::vector<TFilter> kinds = oneOfEachKind();
    for (TFilter& fil : akt.fil) {
        fil = kinds[kind(rng)];
    }
    akt.pegel = 0.7;
    for (double fg : {20.0, 180.0, 1000.0, 9000.0}) {
        C want = 0.7;
        for (const TFilter& fil : akt.fil) {
            want *= oracle(fil, fg);
        }
        EXPECT_LT(relativeError(toStd(aktfilterResponse(akt, fg)), want), 1e-9) << fg;
    }
}

// ---------------------------------------------------------------------------------------------
// Checks and their texts

std::string fault(const TAktfilter& akt, int amp = 0) {
    const auto t = validateAktfilter(akt, amp);
    return t ? latin1ToUtf8(*t) : "none";
}

const std::string kLevel = "Fehler: Aktives Filter an Verstärker 1: Pegelangabe fehlerhaft.";
const std::string kCorner =
    "Fehler: Aktives Filter an Verstärker 1: Eckfrequenzen dürfen nicht <= 0 sein.";
const std::string kQ = "Fehler: Aktives Filter an Verstärker 1: Güten dürfen nicht <= 0 sein.";
const std::string kGain =
    "Fehler: Aktives Filter an Verstärker 1: Verstärkung nur +/- 200 dB erlaubt.";

TEST(ActiveFilterValidation, EachCheckWithItsText) {
    TAktfilter akt = defaultAktfilter();
    EXPECT_EQ(fault(akt), "none");
    for (double bad : {0.0, -1.0, -kInf, kNaN}) {
        akt.pegel = bad;
        EXPECT_EQ(fault(akt), kLevel) << bad;
    }
    akt = defaultAktfilter();
    akt.fil[4] = makeFilter(FilterKind::HighPass1, 0.0);
    EXPECT_EQ(fault(akt), kCorner);
    akt.fil[4].f = -kInf;
    EXPECT_EQ(fault(akt), kCorner);
    akt.fil[4].f = kNaN; // a damaged value is named, not left to the arithmetic fault
    EXPECT_EQ(fault(akt), kCorner);
    akt.fil[4].typ = 19; // unknown kinds are still checked for their corner frequency
    EXPECT_EQ(fault(akt), kCorner);
    akt.fil[4].typ = typOf(FilterKind::Delay); // a delay has none
    EXPECT_EQ(fault(akt), "none");
    akt.fil[4].typ = 0;
    EXPECT_EQ(fault(akt), "none");

    // Q is checked exactly for the kinds that use it.
    for (int typ = 1; typ < kFilterKinds; ++typ) {
        akt = defaultAktfilter();
        akt.fil[0] = makeFilter(static_cast<FilterKind>(typ));
        akt.fil[0].q = -0.1;
        const bool usesQ = typ == 2 || typ == 4 || typ == 7 || typ == 8 || typ == 14 || typ == 15 ||
                           typ == 16 || typ == 18;
        EXPECT_EQ(fault(akt), usesQ ? kQ : "none") << typ;
    }
    // The gain: -200 dB ... +200 dB for the kinds that use it.
    for (int typ = 1; typ < kFilterKinds; ++typ) {
        const bool usesGain = typ == 5 || typ == 6 || typ == 8 || typ == 14 || typ == 15;
        for (double a : {0.0, 0.99e-10, 1.01e10, kInf, -3.0}) {
            akt = defaultAktfilter();
            akt.fil[11] = makeFilter(static_cast<FilterKind>(typ));
            akt.fil[11].a = a;
            EXPECT_EQ(fault(akt), usesGain ? kGain : "none") << typ << " " << a;
        }
        for (double a : {kMinFilterGain, kMaxFilterGain}) {
            akt.fil[11].a = a;
            EXPECT_EQ(fault(akt), "none") << typ << " " << a;
        }
    }
    // The Linkwitz transform also checks its old roll-off.
    akt = defaultAktfilter();
    akt.fil[2] = makeFilter(FilterKind::LinkwitzTransform);
    akt.fil[2].qch = 0.0;
    EXPECT_EQ(fault(akt), kQ);
    akt.fil[2].qch = 1.0;
    akt.fil[2].fch = -5.0;
    EXPECT_EQ(fault(akt), kCorner);
}

TEST(ActiveFilterValidation, OnlyTheLastFailureIsReported) {
    TAktfilter akt = defaultAktfilter();
    akt.pegel = 0.0;
    akt.fil[3] = makeFilter(FilterKind::HighPass2, 0.0);
    EXPECT_EQ(fault(akt), kCorner); // a later stage replaces the level message
    akt.fil[7] = makeFilter(FilterKind::LowPass2);
    akt.fil[7].q = 0.0;
    EXPECT_EQ(fault(akt), kQ); // a later stage replaces an earlier one
    akt.fil[9] = makeFilter(FilterKind::HighPass1, -1.0);
    EXPECT_EQ(fault(akt), kCorner);

    // Within one stage: corner, Q, old Q, old corner, gain.
    akt = defaultAktfilter();
    akt.fil[0] = makeFilter(FilterKind::ParametricEq, 0.0);
    akt.fil[0].q = 0.0;
    EXPECT_EQ(fault(akt), kQ);
    akt.fil[0].a = 0.0;
    EXPECT_EQ(fault(akt), kGain);
    akt.fil[0] = makeFilter(FilterKind::LinkwitzTransform, 0.0);
    akt.fil[0].qch = 0.0;
    EXPECT_EQ(fault(akt), kQ);
    akt.fil[0].fch = 0.0;
    EXPECT_EQ(fault(akt), kCorner);

    EXPECT_EQ(fault(akt, 4), "Fehler: Aktives Filter an Verstärker 5: Eckfrequenzen dürfen nicht "
                             "<= 0 sein.");
}

// ---------------------------------------------------------------------------------------------
// The stage over the grid

class ActiveFilterStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TCalcThread::Options o;
        o.pause = std::chrono::milliseconds(0);
        o.lowerPriority = false;
        calc_ = std::make_unique<TCalcThread>(o); // idle: its worker only waits for evRun
    }
    static void TearDownTestSuite() { calc_.reset(); }

    void SetUp() override {
        TProjekt& p = project();
        initDefaultProjekt(p); // 250-point grid 20 Hz ... 20 kHz
        for (Complex& z : calc_->Res->fgang_akt[kAmp]) {
            z = kMarker;
        }
    }

    static TProjekt& project() { return *calc_->aktProjekt; }
    static TAktfilter& chain() { return project().amp[kAmp].aktfilter; }
    static const Complex* result() { return calc_->Res->fgang_akt[kAmp]; }
    static std::string run() {
        CalcActiveFilter(*calc_, kAmp);
        return latin1ToUtf8(calc_->CalcStruct.bfgang_akt[kAmp].view());
    }
    static bool untouched() {
        for (int i = 0; i < kResultFreqs; ++i) {
            if (result()[i].re != kMarker.re || result()[i].im != kMarker.im) {
                return false;
            }
        }
        return true;
    }

    static constexpr int kAmp = 2; // texts name amplifier 3
    static constexpr Complex kMarker{-123.0, 456.0};
    static inline std::unique_ptr<TCalcThread> calc_;
};

const std::string kArithmetic =
    "Fehler: Frequenzgang aktives Filter an Verstärker 3 kann nicht berechnet werden.";

TEST_F(ActiveFilterStage, EmptyChainGivesTheLevelAtEveryGridPoint) {
    chain().pegel = 2.5;
    EXPECT_EQ(run(), "OK");
    for (int i = 0; i < kDefaultGridPoints; ++i) {
        EXPECT_EQ(result()[i].re, 2.5);
        EXPECT_EQ(result()[i].im, 0.0);
    }
    EXPECT_EQ(result()[kDefaultGridPoints].re, kMarker.re); // past the grid: not written
}

TEST_F(ActiveFilterStage, TwelveStagesGiveTheProductOfTheirFactors) {
    const std::vector<TFilter> kinds = oneOfEachKind();
    const int picks[kMaxFilters] = {9, 2, 13, 16, 5, 8, 12, 18, 14, 0, 6, 11};
    for (int s = 0; s < kMaxFilters; ++s) {
        chain().fil[s] = kinds[picks[s]];
    }
    chain().pegel = std::pow(10.0, -4.5 / 20.0);
    EXPECT_EQ(run(), "OK");
    const double* freq = project().freq;
    for (int i = 0; freq[i] > 0.0; ++i) {
        C want = chain().pegel;
        for (const TFilter& fil : chain().fil) {
            want *= oracle(fil, freq[i]);
        }
        ASSERT_LT(relativeError(toStd(result()[i]), want), 1e-9) << i;
    }
}

TEST_F(ActiveFilterStage, AtMost256PointsAndStopsAtTheTerminator) {
    TProjekt& p = project();
    BuildFrequencyGrid(20.0, 20000.0, 400, p.freq); // more than the result holds
    chain().fil[0] = makeFilter(FilterKind::LowPass1, 100.0);
    EXPECT_EQ(run(), "OK");
    EXPECT_LT(relativeError(toStd(result()[kResultFreqs - 2]), oracle(chain().fil[0], p.freq[255])),
              1e-12);
    EXPECT_EQ(result()[kResultFreqs - 1].re, kMarker.re);

    SetUp();
    BuildFrequencyGrid(20.0, 20000.0, 7, p.freq);
    EXPECT_EQ(run(), "OK");
    EXPECT_NE(result()[6].re, kMarker.re);
    EXPECT_EQ(result()[7].re, kMarker.re);
}

TEST_F(ActiveFilterStage, FailedCheckKeepsThePreviousResults) {
    chain().fil[5] = makeFilter(FilterKind::BandPass);
    chain().fil[5].q = 0.0;
    EXPECT_EQ(run(), "Fehler: Aktives Filter an Verstärker 3: Güten dürfen nicht <= 0 sein.");
    EXPECT_TRUE(untouched());
}

TEST_F(ActiveFilterStage, NonFiniteValuesAreArithmeticFaultsAndNeverStored) {
    // A NaN fails the checks and is named by them; infinities pass the checks and the calculation
    // catches them.
    const auto expectFault = [&](const std::string& want, const char* what) {
        EXPECT_EQ(run(), want) << what;
        EXPECT_TRUE(untouched()) << what;
        chain() = defaultAktfilter();
    };
    const std::string prefix = "Fehler: Aktives Filter an Verstärker 3: ";
    chain().pegel = kNaN;
    expectFault(prefix + "Pegelangabe fehlerhaft.", "NaN level");
    chain().pegel = kInf;
    expectFault(kArithmetic, "infinite level");
    chain().fil[0] = makeFilter(FilterKind::HighPass1, kNaN);
    expectFault(prefix + "Eckfrequenzen dürfen nicht <= 0 sein.", "NaN corner");
    chain().fil[0] = makeFilter(FilterKind::HighPass1, kInf); // j/x with x = 0
    expectFault(kArithmetic, "infinite corner");
    chain().fil[8] = makeFilter(FilterKind::ParametricEq);
    chain().fil[8].a = kNaN;
    expectFault(prefix + "Verstärkung nur +/- 200 dB erlaubt.", "NaN gain");
    chain().fil[11] = makeFilter(FilterKind::Delay);
    chain().fil[11].t = kInf;
    expectFault(kArithmetic, "infinite delay");
    chain().fil[3] = makeFilter(FilterKind::AllPass2);
    chain().fil[3].q = kNaN;
    expectFault(prefix + "Güten dürfen nicht <= 0 sein.", "NaN Q");
    // A corner frequency tiny enough to overflow x².
    chain().fil[1] = makeFilter(FilterKind::LowPass2, 1e-300);
    expectFault(kArithmetic, "overflow");
    // The grid itself.
    project().freq[17] = kInf;
    chain().fil[0] = makeFilter(FilterKind::LowPass1, 100.0);
    expectFault(kArithmetic, "infinite grid frequency");

    // An unused parameter may be anything.
    chain().fil[0] = makeFilter(FilterKind::LowPass1, 100.0);
    chain().fil[0].q = kNaN;
    chain().fil[0].a = kInf;
    project().freq[17] = 25.0;
    EXPECT_EQ(run(), "OK");
}

// The editor refuses these orders, but a file may hold them: the stage computes the stored order
// (no section below 1, an odd Linkwitz-Riley order as twice the Butterworth of n/2), and an order
// too high to compute in bounded time is an arithmetic fault instead of a hung run.
TEST_F(ActiveFilterStage, OrdersTheEditorRefusesAreCalculatedAsStored) {
    for (FilterKind k : {FilterKind::ButterworthLowPass, FilterKind::ButterworthHighPass,
                         FilterKind::LinkwitzRileyHighPass, FilterKind::LinkwitzRileyLowPass}) {
        for (int n : {0, -7, 1, 3, 129, 200}) {
            chain().fil[0] = makeFilter(k, 300.0);
            chain().fil[0].n = n;
            EXPECT_EQ(run(), "OK") << n;
            for (int i : {40, 100, 160}) {
                EXPECT_LT(
                    relativeError(toStd(result()[i]), oracle(chain().fil[0], project().freq[i])),
                    1e-9)
                    << static_cast<int>(k) << " " << n << " " << i;
            }
        }
    }
    // Closed forms beside the pole product: no section passes everything, an odd Linkwitz-Riley
    // order 3 is a first-order Butterworth squared, order 200 is -3 dB at the corner.
    chain().fil[0] = makeFilter(FilterKind::ButterworthLowPass, 300.0);
    chain().fil[0].n = -7;
    EXPECT_EQ(run(), "OK");
    EXPECT_EQ(result()[100].re, 1.0);
    EXPECT_EQ(result()[100].im, 0.0);
    chain().fil[0] = makeFilter(FilterKind::LinkwitzRileyLowPass, project().freq[100]);
    chain().fil[0].n = 3;
    EXPECT_EQ(run(), "OK");
    EXPECT_NEAR(std::abs(toStd(result()[100])), 0.5, 1e-12); // |1/(1 + j)|²
    chain().fil[0] = makeFilter(FilterKind::ButterworthHighPass, project().freq[100]);
    chain().fil[0].n = 200;
    EXPECT_EQ(run(), "OK");
    EXPECT_NEAR(std::abs(toStd(result()[100])), 1.0 / std::sqrt(2.0), 1e-9);

    // The highest computed order still gives a response (its magnitude underflows far from the
    // corner, which is no fault).
    chain().fil[0] = makeFilter(FilterKind::ButterworthLowPass, 300.0);
    chain().fil[0].n = kMaxComputedFilterOrder;
    EXPECT_EQ(run(), "OK");
    EXPECT_FALSE(untouched());

    for (int n : {kMaxComputedFilterOrder + 1, 2000000000}) {
        SetUp();
        chain().fil[0] = makeFilter(FilterKind::LinkwitzRileyHighPass, 300.0);
        chain().fil[0].n = n;
        EXPECT_EQ(run(), kArithmetic) << n;
        EXPECT_TRUE(untouched()) << n;
    }
}

TEST_F(ActiveFilterStage, OutOfRangeAmplifierIsIgnored) {
    const auto before =
        std::make_unique<TCalcStruct>(calc_->CalcStruct); // 300 kB: not on the stack
    CalcActiveFilter(*calc_, -1);
    CalcActiveFilter(*calc_, kMaxAmps);
    for (int a = 0; a < kMaxAmps; ++a) {
        EXPECT_EQ(calc_->CalcStruct.bfgang_akt[a], before->bfgang_akt[a]);
    }
}

// ---------------------------------------------------------------------------------------------
// Captions and editor rules

TEST(ActiveFilterEditor, CaptionsInListOrder) {
    const std::vector<std::string> want = {
        "kein Filter",
        "Hochpass 1. Ordnung",
        "Hochpass 2. Ordnung",
        "Tiefpass 1. Ordnung",
        "Tiefpass 2. Ordnung",
        "Kuhschwanzfilter hoch",
        "Kuhschwanzfilter tief",
        "Bandpass",
        "parametrischer Equalizer",
        "Butterworth-Hochpass",
        "Butterworth-Tiefpass",
        "Linkwitz-Riley-Hochpass",
        "Linkwitz-Riley-Tiefpass",
        "Verz\xF6gerung / Delay", // Latin-1 ö
        "Shelving 2. Ordnung hoch",
        "Shelving 2. Ordnung tief",
        "Linkwitzfilter",
        "Allpassfilter 1. Ordnung",
        "Allpassfilter 2. Ordnung",
    };
    EXPECT_EQ(activeFilterCaptions(), want);
    EXPECT_EQ(activeFilterCaption(13), want[13]);
    EXPECT_EQ(activeFilterCaption(19), "");
    EXPECT_EQ(activeFilterCaption(-1), "");
}

TEST(ActiveFilterEditor, OrderRule) {
    const std::string bw =
        "Unzulässige Filterordnung wird auf 2 gesetzt.\r\nErlaubt: 1, 2, 3 ... 128";
    const std::string lr =
        "Unzulässige Filterordnung wird auf 2 gesetzt.\r\nErlaubt: 2, 4, 6 ... 128";
    const auto clamp = [](FilterKind k, int n, std::string* message) {
        TFilter fil = makeFilter(k);
        fil.n = n;
        const auto m = clampFilterOrder(fil);
        *message = m ? latin1ToUtf8(*m) : "none";
        return fil.n;
    };
    std::string m;
    for (FilterKind k : {FilterKind::ButterworthHighPass, FilterKind::ButterworthLowPass}) {
        for (int n : {0, -3, 129}) {
            EXPECT_EQ(clamp(k, n, &m), 2);
            EXPECT_EQ(m, bw);
        }
        for (int n : {1, 7, 128}) {
            EXPECT_EQ(clamp(k, n, &m), n);
            EXPECT_EQ(m, "none");
        }
    }
    for (FilterKind k : {FilterKind::LinkwitzRileyHighPass, FilterKind::LinkwitzRileyLowPass}) {
        for (int n : {0, 1, 3, 127, 130}) {
            EXPECT_EQ(clamp(k, n, &m), 2);
            EXPECT_EQ(m, lr);
        }
        for (int n : {2, 4, 128}) {
            EXPECT_EQ(clamp(k, n, &m), n);
            EXPECT_EQ(m, "none");
        }
    }
    EXPECT_EQ(clamp(FilterKind::HighPass2, 0, &m), 0); // the order means nothing there
    EXPECT_EQ(m, "none");
}

TEST(ActiveFilterEditor, LevelEntry) {
    const LevelEntry six = levelFromDbEntry(6.0);
    EXPECT_DOUBLE_EQ(six.pegel, std::pow(10.0, 0.3));
    EXPECT_FALSE(six.message);
    EXPECT_NEAR(levelToDb(six.pegel), 6.0, 1e-12);
    for (std::optional<double> bad : {std::optional<double>{}, std::optional<double>{1e6},
                                      std::optional<double>{-1e6}, std::optional<double>{kNaN}}) {
        const LevelEntry e = levelFromDbEntry(bad);
        EXPECT_EQ(e.pegel, 1.0);
        ASSERT_TRUE(e.message);
        EXPECT_EQ(*e.message, "Pegel von Amp wird auf 0dB gesetzt.");
    }
}

TEST(ActiveFilterEditor, ParametersPerKindAndTheirUnits) {
    const auto captions = [](FilterKind k) {
        std::vector<std::string> out;
        for (const FilterParameter& p : filterParameters(typOf(k))) {
            out.emplace_back(p.caption);
        }
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(captions(FilterKind::None), V{});
    EXPECT_EQ(captions(FilterKind::HighPass1), (V{"f [Hz]"}));
    EXPECT_EQ(captions(FilterKind::ShelfLow1), (V{"f [Hz]", "A [dB]"}));
    EXPECT_EQ(captions(FilterKind::ParametricEq), (V{"f [Hz]", "Q", "A [dB]"}));
    EXPECT_EQ(captions(FilterKind::LinkwitzRileyLowPass), (V{"f [Hz]", "Ordnung"}));
    EXPECT_EQ(captions(FilterKind::Delay), (V{"t [ms]"}));
    EXPECT_EQ(captions(FilterKind::LinkwitzTransform),
              (V{"fneu [Hz]", "Qneu", "falt [Hz]", "Qalt"}));
    EXPECT_EQ(filterParameters(typOf(FilterKind::LinkwitzTransform))[2].field, FilterField::Fch);

    // Every listed parameter round-trips through the editor's units; the others stay.
    TFilter fil = defaultFilter();
    setFilterFieldFromEntry(fil, FilterField::A, -6.0);
    EXPECT_DOUBLE_EQ(fil.a, std::pow(10.0, -0.3));
    setFilterFieldFromEntry(fil, FilterField::T, 2.5);
    EXPECT_DOUBLE_EQ(fil.t, 0.0025);
    EXPECT_NEAR(filterFieldForDisplay(fil, FilterField::A), -6.0, 1e-12);
    EXPECT_NEAR(filterFieldForDisplay(fil, FilterField::T), 2.5, 1e-12);
    setFilterFieldFromEntry(fil, FilterField::N, 4.0);
    EXPECT_EQ(fil.n, 4);
    setFilterFieldFromEntry(fil, FilterField::N, 1e12); // invalid, left for the order rule
    EXPECT_EQ(fil.n, 0);
    EXPECT_EQ(fil.f, defaultFilter().f);
    EXPECT_EQ(fil.qch, defaultFilter().qch);
}

} // namespace
} // namespace sonora
