// The driver in its enclosure: closed-form responses, impedance, validation, measured corrections.
#include <chrono>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/stages.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using std::numbers::pi;
using Cx = std::complex<double>;

constexpr double kTiny = 1e-9; // voice-coil elements small enough to vanish, H or Ohm
constexpr double kHuge = 1e9;  // qualities of a lossless box

Cx cx(const Complex& z) {
    return {z.re, z.im};
}

double dB(double x) {
    return 20.0 * std::log10(x);
}

// A woofer with a voice coil too small to matter.
std::unique_ptr<TChassis> makeWoofer() {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->fs = 40.0;
    c->qes = 0.4;
    c->qms = 3.2;
    c->vas = 0.05;
    c->Rdc = 6.0;
    c->Le = c->Le2 = c->Re2 = c->Le3 = c->Re3 = kTiny;
    c->Sd = 0.022;
    c->xlin = 0.005;
    return c;
}

// A mounting with explicit, loss-free values: mb = 1, qualities very large.
TEinbau explicitMounting(std::int32_t typ, double vb, double fb = 0.0) {
    TEinbau e = defaultEinbau();
    e.typ = typ;
    e.mbQExpl = true;
    e.Vb = vb;
    e.vV = 1.0;
    e.mb = 1.0;
    e.fmb = 1.0;
    e.Ql = e.Qb = e.Qk = e.Qbf = e.Qkf = kHuge;
    e.fb = fb;
    return e;
}

std::vector<double> logGrid(double fMin, double fMax, int n) {
    std::vector<double> f(kCurvePoints, 0.0);
    BuildFrequencyGrid(fMin, fMax, n, f.data());
    return f;
}

int pointsOf(const std::vector<double>& f) {
    int n = 0;
    while (f[n] > 0.0) {
        ++n;
    }
    return n;
}

// Sensitivity at 2.83 V of a driver without air load, as a linear factor.
double levelFactor(const TChassis& c) {
    const double spl =
        10.0 * std::log10(9.64e-7 * c.fs * c.fs * c.fs * c.vas / c.qes * 8.0 / c.Rdc) + 112.0;
    return std::pow(10.0, (spl - 112.0) / 20.0);
}

Cx highPass2(double f, double fc, double q) {
    const Cx s(0.0, f / fc);
    return s * s / (s * s + s / q + 1.0);
}

// Vented box: Ts = 1/(2 pi fs), Tb = 1/(2 pi fb), compliance ratio alpha = vas / Vab.
Cx highPass4(double f, double fs, double fb, double alpha, double qts) {
    const Cx s(0.0, 2.0 * pi * f);
    const double ts = 1.0 / (2.0 * pi * fs), tb = 1.0 / (2.0 * pi * fb);
    const Cx s2 = s * s, s3 = s2 * s, s4 = s3 * s;
    const Cx num = s4 * tb * tb * ts * ts;
    return num / (num + s3 * tb * tb * ts / qts + s2 * ((alpha + 1.0) * tb * tb + ts * ts) +
                  s * ts / qts + 1.0);
}

void expectResponseNear(Cx got, Cx want, double f) {
    EXPECT_NEAR(dB(std::abs(got)), dB(std::abs(want)), 0.05) << "f = " << f;
    EXPECT_NEAR(std::arg(got / want), 0.0, 0.01) << "f = " << f;
}

TEST(DriverModelValues, FreeAirClosedAndVentedValues) {
    auto c = makeWoofer();
    DeriveDriverValues(*c, explicitMounting(kEinbauIntegriert, 0.0), kDeriveAtDc);
    EXPECT_DOUBLE_EQ(c->fc, c->fs);
    EXPECT_DOUBLE_EQ(c->Qec, c->qes);
    EXPECT_NEAR(c->Qtc, c->qes * c->qms / (c->qes + c->qms), 1e-12);
    EXPECT_DOUBLE_EQ(c->Qtc, c->Qts);

    // A closed box of Vb * vV = vas doubles the stiffness: fc = sqrt(2) * fsbg; the air load at
    // DC lowers the resonance by mb.
    TEinbau e = explicitMounting(kEinbauGeschlossen, c->vas / 1.1);
    e.vV = 1.1;
    e.mb = 0.9;
    e.fmb = 300.0;
    DeriveDriverValues(*c, e, kDeriveAtDc);
    EXPECT_NEAR(c->fsbg, 0.9 * c->fs, 1e-9);
    EXPECT_NEAR(c->fc, std::sqrt(2.0) * c->fsbg, 1e-9);
    EXPECT_NEAR(c->Vab, c->vas, 1e-15);
    // Far above fmb the air load is gone.
    DeriveDriverValues(*c, e, 1e6);
    EXPECT_NEAR(c->fsbg, c->fs, 1e-3);

    // Mechanical values from vas and Sd: Cmd = vas / (rho c² Sd²), Mmd from fs.
    const double cmd = 7.21e-6 * c->vas / (c->Sd * c->Sd);
    EXPECT_NEAR(c->Cmd, cmd, 1e-15);
    EXPECT_NEAR(1.0 / (4.0 * pi * pi * c->Mmd * c->Cmd), c->fs * c->fs, 1e-6);
}

TEST(DriverModelValues, MountingLossesFromDampingSliders) {
    auto c = makeWoofer();
    TEinbau e = defaultEinbau();
    e.typ = kEinbauBassreflex;
    e.mbQExpl = false;
    e.Vb = 0.05;
    e.Bedv = 2;
    e.Bedc = 2;
    e.Bedk = 0;
    DeriveMountingLosses(*c, e);
    // vV: x = 0.8*2 + 0.1*2 = 1.8; Ql: x = 0.3*2 + 0.65*2 = 1.9; Qb: x = 2; Qk: x = 0.
    EXPECT_NEAR(e.vV, 1.0 + 0.0375 * 1.8 + 0.00625 * 1.8 * 1.8, 1e-12);
    EXPECT_NEAR(e.Ql, 240.0 / (1.9 * 1.9 + 4.0 * 1.9 + 12.0), 1e-12);
    EXPECT_NEAR(e.Qb, 5.0, 1e-12);
    EXPECT_NEAR(e.Qk, 20.0, 1e-12);
    EXPECT_EQ(e.Qbf, 9999.0);
    EXPECT_EQ(e.vVf, 1.0);
    // The air-load factor lies below 1 and is weakened by a heavy membrane.
    EXPECT_GT(e.mb, 0.9);
    EXPECT_LT(e.mb, 1.0);
    EXPECT_GT(e.fmb, 0.0);

    // Explicit values stay as entered.
    TEinbau x = explicitMounting(kEinbauBassreflex, 0.05, 40.0);
    const TEinbau before = x;
    DeriveMountingLosses(*c, x);
    EXPECT_EQ(x.Ql, before.Ql);
    EXPECT_EQ(x.vV, before.vV);
    EXPECT_EQ(x.fmb, before.fmb);

    // Without an enclosure nothing is lost or loaded.
    TEinbau none = defaultEinbau();
    none.typ = kEinbauIntegriert;
    DeriveMountingLosses(*c, none);
    EXPECT_EQ(none.vV, 1.0);
    EXPECT_EQ(none.mb, 1.0);
    EXPECT_EQ(none.Ql, 9999.0);
}

TEST(DriverModelSimulation, ClosedBoxIsSecondOrderHighPass) {
    auto c = makeWoofer();
    const TEinbau e = explicitMounting(kEinbauGeschlossen, 0.02);
    auto derived = std::make_unique<TChassis>(*c);
    DeriveDriverValues(*derived, e, kDeriveAtDc);
    const auto grid = logGrid(c->fs / 4.0, 10.0 * c->fs, 120);
    auto out = std::make_unique<DriverResponse>();
    ASSERT_EQ(SimulateDriver(*c, e, grid.data(), *out), "OK");
    const double g = levelFactor(*c);
    for (int i = 0; i < pointsOf(grid); ++i) {
        expectResponseNear(cx(out->Pfront[i]) / g, highPass2(grid[i], derived->fc, derived->Qtc),
                           grid[i]);
        EXPECT_EQ(cx(out->Prear[i]), Cx(0.0, 0.0));
    }
}

TEST(DriverModelSimulation, VentedBoxIsFourthOrderHighPassWithTwoImpedancePeaks) {
    auto c = makeWoofer();
    // Vab = vas (compliance ratio 1) tuned to fs: a fourth-order alignment with the driver's Qts.
    const double fb = c->fs;
    const TEinbau e = explicitMounting(kEinbauBassreflex, c->vas, fb);
    const auto grid = logGrid(fb / 4.0, 10.0 * fb, 121);
    auto out = std::make_unique<DriverResponse>();
    ASSERT_EQ(SimulateDriver(*c, e, grid.data(), *out), "OK");
    const double g = levelFactor(*c);
    const double qts = c->qes * c->qms / (c->qes + c->qms);
    const int n = pointsOf(grid);
    for (int i = 0; i < n; ++i) {
        const Cx total = (cx(out->Pfront[i]) + cx(out->Prear[i])) / g;
        expectResponseNear(total, highPass4(grid[i], c->fs, fb, 1.0, qts), grid[i]);
    }

    // Impedance: two peaks around fb, between them a minimum at fb where the vent takes over
    // the motion and only the voice coil remains.
    std::vector<int> peaks;
    int minimum = 0;
    for (int i = 1; i + 1 < n; ++i) {
        const double z = std::abs(cx(out->Z[i]));
        if (z > std::abs(cx(out->Z[i - 1])) && z > std::abs(cx(out->Z[i + 1]))) {
            peaks.push_back(i);
        }
    }
    ASSERT_EQ(peaks.size(), 2u);
    EXPECT_LT(grid[peaks[0]], fb);
    EXPECT_GT(grid[peaks[1]], fb);
    for (int i = peaks[0]; i <= peaks[1]; ++i) {
        if (std::abs(cx(out->Z[i])) < std::abs(cx(out->Z[minimum])) || minimum < peaks[0]) {
            minimum = i;
        }
    }
    EXPECT_NEAR(grid[minimum] / fb, 1.0, 0.04); // within one grid step
    EXPECT_NEAR(std::abs(cx(out->Z[minimum])), c->Rdc, 0.05 * c->Rdc);
}

TEST(DriverModelSimulation, FreeAirImpedanceAtAndFarAboveResonance) {
    auto c = makeWoofer();
    // A realistic voice coil this time.
    c->Le = 0.5e-3;
    c->Le2 = 1e-3;
    c->Re2 = 5.0;
    c->Le3 = 2e-3;
    c->Re3 = 20.0;
    const TEinbau e = explicitMounting(kEinbauIntegriert, 0.0);
    std::vector<double> grid = {c->fs, 100.0 * c->fs, 400.0 * c->fs, 0.0};
    auto out = std::make_unique<DriverResponse>();
    ASSERT_EQ(SimulateDriver(*c, e, grid.data(), *out), "OK");
    EXPECT_NEAR(std::abs(cx(out->Z[0])), c->Rdc * (1.0 + c->qms / c->qes),
                0.005 * c->Rdc * (1.0 + c->qms / c->qes));

    double previousShare = 1.0;
    for (int i = 1; i <= 2; ++i) {
        const double w = 2.0 * pi * grid[i];
        const auto par = [](Cx a, Cx b) { return a * b / (a + b); };
        const Cx zv = c->Rdc + Cx(0.0, w * c->Le) + par(c->Re2, Cx(0.0, w * c->Le2)) +
                      par(c->Re3, Cx(0.0, w * c->Le3));
        // What remains above the voice coil is the moving mass: 1 / (j w Cms), Cms from Qes.
        const double cms = c->qes / (2.0 * pi * c->fs * c->Rdc);
        const Cx mass = 1.0 / Cx(0.0, w * cms);
        const Cx rest = cx(out->Z[i]) - zv;
        EXPECT_NEAR(std::abs(rest - mass), 0.0, 0.01 * std::abs(mass)) << grid[i];
        const double share = std::abs(rest) / std::abs(zv);
        EXPECT_LT(share, previousShare);
        previousShare = share;
    }
    EXPECT_LT(previousShare, 0.01);
}

TEST(DriverModelSimulation, LevelAboveResonanceAndVasFromSensitivity) {
    auto c = makeWoofer();
    const TEinbau e = explicitMounting(kEinbauIntegriert, 0.0);
    std::vector<double> grid = {200.0 * c->fs, 0.0};
    auto out = std::make_unique<DriverResponse>();
    ASSERT_EQ(SimulateDriver(*c, e, grid.data(), *out), "OK");
    EXPECT_NEAR(dB(std::abs(cx(out->Pfront[0]))), dB(levelFactor(*c)), 0.01);
    EXPECT_NEAR(std::arg(cx(out->Pfront[0])), 0.0, 0.02);
    EXPECT_NEAR(c->Spl, 20.0 * std::log10(levelFactor(*c)) + 112.0, 1e-9);

    // A missing vas comes from the stated sensitivity: 90 dB, fs 40 Hz, qes 0.4, 6 Ohm.
    auto s = makeWoofer();
    s->vas = 0.0;
    s->_SPL = 90.0;
    ASSERT_EQ(SimulateDriver(*s, e, grid.data(), *out), "OK");
    EXPECT_NEAR(s->vas, std::pow(10.0, -2.2) / (9.64e-7 * 64000.0) * 0.4 / (8.0 / 6.0), 1e-12);
    EXPECT_NEAR(s->vas, 0.0307, 1e-4);
}

// Every validation message, in order, for each kind of bad number.
class DriverModelValidation : public ::testing::TestWithParam<double> {};

TEST_P(DriverModelValidation, CollectsEveryMessageInOrderAndLeavesNoBadNumbers) {
    const double bad = GetParam();
    auto c = makeWoofer();
    c->fs = c->Rdc = c->qes = c->qms = c->vas = c->Sd = bad;
    c->xlin = bad;
    c->Le = c->Re2 = c->Le2 = c->Re3 = c->Le3 = bad;
    TEinbau e = explicitMounting(kEinbauBandpassBiv, bad, bad);
    e.fmb = e.vV = e.mb = e.Ql = e.Qb = bad;
    e.Vbf = e.Qbf = e.fbf = bad;
    const auto grid = logGrid(20.0, 20000.0, 30);
    auto out = std::make_unique<DriverResponse>();
    const std::string all = utf8ToLatin1(
        "fs, Rdc, Qes, Qms, Vas, Sd müssen > 0 sein oder Frequenz- und Impedanzgang incl. Phase "
        "vollständig aus Messdaten entnommen werden. "
        "Linearer Hub muss > 0 sein. "
        "Le, Re2, Le2, Re3 und Le3 müssen > 0 sein. "
        "fmb, Vb, vV, mb und Ql müssen > 0 sein. "
        "Qb und fb müssen > 0 sein. "
        "Vbf muß > 0 sein. "
        "Qbf und fbf müssen > 0 sein. ");
    EXPECT_EQ(SimulateDriver(*c, e, grid.data(), *out), all);
    for (int i = 0; i < kResultFreqs; ++i) {
        EXPECT_EQ(cx(out->Z[i]), Cx(0.0, 0.0));
        EXPECT_EQ(cx(out->Pfront[i]), Cx(0.0, 0.0));
        EXPECT_EQ(cx(out->X[i]), Cx(0.0, 0.0));
    }

    // One bad value gives exactly its own message.
    struct Single {
        std::int32_t typ;
        void (*spoil)(TChassis&, TEinbau&, double);
        const char* message;
    };
    const Single cases[] = {
        {kEinbauIntegriert, [](TChassis& ch, TEinbau&, double v) { ch.Sd = v; },
         "fs, Rdc, Qes, Qms, Vas, Sd müssen > 0 sein oder Frequenz- und Impedanzgang incl. Phase "
         "vollständig aus Messdaten entnommen werden. "},
        {kEinbauIntegriert, [](TChassis& ch, TEinbau&, double v) { ch.xlin = v; },
         "Linearer Hub muss > 0 sein. "},
        {kEinbauIntegriert, [](TChassis& ch, TEinbau&, double v) { ch.Re3 = v; },
         "Le, Re2, Le2, Re3 und Le3 müssen > 0 sein. "},
        {kEinbauGeschlossen, [](TChassis&, TEinbau& m, double v) { m.Ql = v; },
         "fmb, Vb, vV, mb und Ql müssen > 0 sein. "},
        {kEinbauBassreflex, [](TChassis&, TEinbau& m, double v) { m.fb = v; },
         "Qb und fb müssen > 0 sein. "},
        {kEinbauBandpass, [](TChassis&, TEinbau& m, double v) { m.Vbf = v; }, "Vbf muß > 0 sein. "},
        {kEinbauBandpass, [](TChassis&, TEinbau& m, double v) { m.fbf = v; },
         "Qbf und fbf müssen > 0 sein. "},
    };
    for (const Single& s : cases) {
        auto ch = makeWoofer();
        TEinbau m = explicitMounting(s.typ, 0.03, 45.0);
        m.Vbf = 0.02;
        m.fbf = 80.0;
        s.spoil(*ch, m, bad);
        EXPECT_EQ(SimulateDriver(*ch, m, grid.data(), *out), utf8ToLatin1(s.message));
    }
}

INSTANTIATE_TEST_SUITE_P(BadNumbers, DriverModelValidation,
                         ::testing::Values(0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                                           std::numeric_limits<double>::infinity()));

TEST(DriverModelSimulation, ArithmeticFaultInUncheckedValuesLeavesZeros) {
    auto c = makeWoofer();
    TEinbau e = explicitMounting(kEinbauBassreflex, 0.05, 40.0);
    e.Qk = std::numeric_limits<double>::quiet_NaN();
    const auto grid = logGrid(20.0, 2000.0, 20);
    auto out = std::make_unique<DriverResponse>();
    EXPECT_EQ(SimulateDriver(*c, e, grid.data(), *out), "Chassis kann nicht berechnet werden.");
    for (int i = 0; i < kResultFreqs; ++i) {
        EXPECT_EQ(cx(out->Pfront[i]), Cx(0.0, 0.0));
    }
}

// Every mounting kind computes over an ordinary grid without a non-finite value, and a bandpass
// radiates through its front vent only: a band-pass response.
TEST(DriverModelSimulation, AllMountingKindsEvaluate) {
    const auto grid = logGrid(10.0, 20000.0, 60);
    const int n = pointsOf(grid);
    for (std::int32_t typ = kEinbauIntegriert; typ <= kEinbauBandpassBiv; ++typ) {
        auto c = makeWoofer();
        TEinbau e = explicitMounting(typ, 0.03, 45.0);
        e.Vbf = 0.02;
        e.fbf = 90.0;
        e.vVf = 1.0;
        auto out = std::make_unique<DriverResponse>();
        ASSERT_EQ(SimulateDriver(*c, e, grid.data(), *out), "OK") << typ;
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(std::isfinite(std::abs(cx(out->Z[i])))) << typ;
            EXPECT_GT(out->X[i].re, 0.0) << typ;
        }
        if (typ >= kEinbauBandpass) {
            const double low = std::abs(cx(out->Pfront[0]));
            const double high = std::abs(cx(out->Pfront[n - 1]));
            double peak = 0.0;
            for (int i = 0; i < n; ++i) {
                peak = std::max(peak, std::abs(cx(out->Pfront[i])));
            }
            EXPECT_LT(dB(low / peak), -20.0) << typ;
            EXPECT_LT(dB(high / peak), -40.0) << typ;
        }
    }
}

// ---- The driver stage ----

// A baffle model that returns one complex value and remembers the baffle it was asked about.
class ConstantBaffle : public MeasurementBaffle {
public:
    explicit ConstantBaffle(Complex v) : value(v) {}
    std::string axisResponse(const TSchallwand& sw, const TChassis&, const double* freq,
                             Complex* axis) const override {
        seen = sw;
        ++calls;
        for (int i = 0; freq[i] > 0.0 && i < kResultFreqs - 1; ++i) {
            axis[i] = value;
        }
        return "OK";
    }
    Complex value;
    mutable TSchallwand seen{};
    mutable int calls = 0;
};

constexpr int kSlot = 2; // the driver the stage tests use (number 3)

class DriverStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TCalcThread::Options o;
        o.pause = std::chrono::milliseconds(0);
        o.lowerPriority = false;
        calc = new TCalcThread(o);
    }
    static void TearDownTestSuite() {
        delete calc;
        calc = nullptr;
    }
    void SetUp() override {
        TProjekt& p = *calc->aktProjekt;
        initDefaultProjekt(p);
        p.glatt_amp = p.glatt_imp = 0.0;
        const auto grid = logGrid(10.0, 4000.0, 90);
        std::copy(grid.begin(), grid.end(), p.freq);
        n = pointsOf(grid);
        auto w = makeWoofer();
        p.chassis[kSlot] = *w;
        p.chassis[kSlot].fgang_which = 5;
        p.einbau[kSlot] = explicitMounting(kEinbauBassreflex, 0.05, 40.0);
        DeriveDriverValues(p.chassis[kSlot], p.einbau[kSlot], kDeriveAtDc);
        TResult& r = *calc->Res;
        for (int i = 0; i < kResultFreqs; ++i) {
            r.impedanz_ch[kSlot][i] = Complex{0.0, 0.0};
            r.fgang_xch[kSlot][i] = 0.0;
            for (int s = 0; s < kSides; ++s) {
                r.fgang_ch[kSlot][s][i] = r.fgang_ch_oMw[kSlot][s][i] = Complex{0.0, 0.0};
            }
        }
    }
    TChassis& driver() { return calc->aktProjekt->chassis[kSlot]; }
    TEinbau& mounting() { return calc->aktProjekt->einbau[kSlot]; }
    const double* grid() const { return calc->aktProjekt->freq; }
    std::string status() const { return calc->CalcStruct.bfgang_ch[kSlot].str(); }

    // Measured curves exactly on the grid: an invented level and phase ripple, and an impedance.
    void measure() {
        TChassis& c = driver();
        for (int i = 0; i < n; ++i) {
            const double f = grid()[i];
            c.fgangaf[i] = c.fgangapf[i] = c.fgangif[i] = c.fgangipf[i] = f;
            c.fganga[i] = 88.0 + 3.0 * std::sin(std::log(f));
            c.fgangap[i] = 0.7 * std::cos(1.3 * std::log(f));
            c.fgangi[i] = 7.0 + 2.0 * std::cos(std::log(f));
            c.fgangip[i] = 0.3 * std::sin(std::log(f));
        }
        c.fgangaf[n] = c.fgangapf[n] = c.fgangif[n] = c.fgangipf[n] = 0.0;
    }
    Cx measuredAt(int i) const {
        const TChassis& c = calc->aktProjekt->chassis[kSlot];
        return std::polar(std::pow(10.0, (c.fganga[i] - 112.0) / 20.0), c.fgangap[i]);
    }
    Cx front(int i) const { return cx(calc->Res->fgang_ch[kSlot][0][i]); }
    Cx rear(int i) const { return cx(calc->Res->fgang_ch[kSlot][1][i]); }
    Cx frontRaw(int i) const { return cx(calc->Res->fgang_ch_oMw[kSlot][0][i]); }
    Cx rearRaw(int i) const { return cx(calc->Res->fgang_ch_oMw[kSlot][1][i]); }
    Cx impedance(int i) const { return cx(calc->Res->impedanz_ch[kSlot][i]); }

    static TCalcThread* calc;
    int n = 0;
};
TCalcThread* DriverStage::calc = nullptr;

// For runs that do not correct by a measured response: the baffle model is never asked.
const ConstantBaffle kUnitBaffle(Complex{1.0, 0.0});

TEST_F(DriverStage, WritesTheSimulationWithoutMeasurements) {
    CalcDriverWithBaffle(*calc, kSlot, kUnitBaffle);
    ASSERT_EQ(status(), "OK");
    auto c = std::make_unique<TChassis>(driver());
    auto out = std::make_unique<DriverResponse>();
    ASSERT_EQ(SimulateDriver(*c, mounting(), grid(), *out), "OK");
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(front(i), cx(out->Pfront[i]));
        EXPECT_EQ(rear(i), cx(out->Prear[i]));
        EXPECT_EQ(frontRaw(i), front(i));
        EXPECT_EQ(impedance(i), cx(out->Z[i]));
        EXPECT_EQ(calc->Res->fgang_xch[kSlot][i], out->X[i].re);
    }
}

TEST_F(DriverStage, MeasuredAmplitudeAndPhaseAreReproducedThroughTheBaffle) {
    measure();
    driver().useFGangA = driver().useFGangAP = true;
    driver().seo = 0.02; // m: the measurement's phase refers to a centre 2 cm behind the baffle
    const ConstantBaffle baffle(Complex{0.8, -0.3});
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    ASSERT_EQ(status(), "OK");
    EXPECT_EQ(baffle.calls, 1);
    const Cx b = cx(baffle.value);
    for (int i = 0; i < n; ++i) {
        const double f = grid()[i];
        // The box sum puts the baffle back: diaphragm and vent on it give the measurement, delayed
        // by the acoustic centre.
        const Cx want = measuredAt(i) * std::polar(1.0, -2.0 * pi * f * driver().seo / 344.0);
        const Cx got = b * (front(i) + rear(i));
        EXPECT_NEAR(std::abs(got - want), 0.0, 1e-5 * std::abs(want)) << f;
        // Diaphragm and vent keep their ratio; the uncorrected responses stay available.
        EXPECT_NEAR(std::abs(front(i) * rearRaw(i) - rear(i) * frontRaw(i)), 0.0,
                    1e-9 * std::abs(front(i) * rearRaw(i)) + 1e-300);
    }

    // Amplitude only: the magnitude is measured, the phase stays simulated.
    driver().useFGangAP = false;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    ASSERT_EQ(status(), "OK");
    for (int i = 0; i < n; ++i) {
        const Cx sum = front(i) + rear(i);
        EXPECT_NEAR(std::abs(b * sum), std::abs(measuredAt(i)), 1e-9 * std::abs(measuredAt(i)));
        EXPECT_NEAR(std::arg(sum / (frontRaw(i) + rearRaw(i))), 0.0, 1e-9);
    }
}

TEST_F(DriverStage, BlendingStartsAtFcHalfAtTwiceFcFullFromThreeTimesFc) {
    measure();
    driver().useFGangA = true;
    const ConstantBaffle baffle(Complex{1.0, 0.0});
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    ASSERT_EQ(status(), "OK");
    std::vector<double> full(n);
    for (int i = 0; i < n; ++i) {
        full[i] = (front(i) / frontRaw(i)).real();
    }
    driver().useFGangA2fs = true;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    ASSERT_EQ(status(), "OK");
    const double fc = driver().fc;
    int below = 0, between = 0, above = 0;
    for (int i = 0; i < n; ++i) {
        const double f = grid()[i];
        const double k = (front(i) / frontRaw(i)).real();
        double want = full[i];
        if (f < fc) {
            want = 1.0;
            ++below;
        } else if (f < 3.0 * fc) {
            const double e = 0.5 * f / fc - 0.5; // 0 at fc, 1/2 at 2 fc
            want = e * full[i] + 1.0 - e;
            ++between;
        } else {
            ++above;
        }
        EXPECT_NEAR(k, want, 1e-9 * std::abs(want)) << f;
    }
    EXPECT_GT(below, 3);
    EXPECT_GT(between, 3);
    EXPECT_GT(above, 3);
}

TEST_F(DriverStage, MeasuredImpedanceReplacesTheSimulationAboveThreeTimesFc) {
    measure();
    driver().useFGangI = true;
    CalcDriverWithBaffle(*calc, kSlot, kUnitBaffle); // no amplitude correction: needs no baffle
    ASSERT_EQ(status(), "OK");
    auto c = std::make_unique<TChassis>(driver());
    auto out = std::make_unique<DriverResponse>();
    ASSERT_EQ(SimulateDriver(*c, mounting(), grid(), *out), "OK");
    const double fc = driver().fc;
    for (int i = 0; i < n; ++i) {
        const double f = grid()[i];
        if (f <= 3.0 * fc) {
            EXPECT_EQ(impedance(i), cx(out->Z[i])) << f;
        } else {
            EXPECT_NEAR(std::abs(impedance(i)), driver().fgangi[i], 1e-9) << f;
            EXPECT_NEAR(std::arg(impedance(i) / cx(out->Z[i])), 0.0, 1e-9) << f;
        }
    }
    // With the phase, and without an enclosure, the measurement replaces every point.
    driver().useFGangIP = true;
    mounting() = explicitMounting(kEinbauIntegriert, 0.0);
    CalcDriverWithBaffle(*calc, kSlot, kUnitBaffle);
    ASSERT_EQ(status(), "OK");
    for (int i = 0; i < n; ++i) {
        const Cx want = std::polar(driver().fgangi[i], driver().fgangip[i]);
        EXPECT_NEAR(std::abs(impedance(i) - want), 0.0, 1e-9) << grid()[i];
    }
}

TEST_F(DriverStage, MeasuredOnlyDriverShowsTheMeasurements) {
    measure();
    TChassis& c = driver();
    c.fs = c.qes = c.qms = c.vas = c.Rdc = 0.0;
    c.useFGangA = c.useFGangAP = c.useFGangI = c.useFGangIP = true;
    c.fgang_which = 1; // infinite baffle
    mounting() = explicitMounting(kEinbauIntegriert, 0.0);
    const ConstantBaffle baffle(Complex{1.0, 0.0});
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    ASSERT_EQ(status(), "OK");
    // The infinite baffle has no edges and faces forward.
    EXPECT_FALSE(baffle.seen.beugl || baffle.seen.beugr || baffle.seen.beugo || baffle.seen.beugu);
    EXPECT_EQ(baffle.seen.direction, 0);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(std::abs(front(i) - measuredAt(i)), 0.0, 1e-12) << grid()[i];
        EXPECT_EQ(rear(i), Cx(0.0, 0.0));
        EXPECT_NEAR(std::abs(impedance(i) - std::polar(c.fgangi[i], c.fgangip[i])), 0.0, 1e-9);
        const double f = grid()[i];
        EXPECT_NEAR(calc->Res->fgang_xch[kSlot][i],
                    21.537 / (4.0 * 3.14159 * 3.14159 * c.Sd * f * f), 1e-12);
    }
}

// Measured on an infinite baffle, the measurement condition is the driver in free air: a
// measurement that is exactly the free-air closed form leaves the boxed simulation as it was.
TEST_F(DriverStage, InfiniteBaffleConditionIsTheDriverInFreeAir) {
    mounting() = explicitMounting(kEinbauGeschlossen, 0.02);
    TChassis& c = driver();
    DeriveDriverValues(c, mounting(), kDeriveAtDc);
    c.fgang_which = 1;
    c.useFGangA = c.useFGangAP = true;
    const double g = levelFactor(c);
    const double qts = c.qes * c.qms / (c.qes + c.qms);
    for (int i = 0; i < n; ++i) {
        const double f = grid()[i];
        const Cx free = g * highPass2(f, c.fs, qts);
        c.fgangaf[i] = c.fgangapf[i] = f;
        c.fganga[i] = dB(std::abs(free)) + 112.0;
        c.fgangap[i] = std::arg(free);
    }
    c.fgangaf[n] = c.fgangapf[n] = 0.0;
    const ConstantBaffle baffle(Complex{1.0, 0.0});
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    ASSERT_EQ(status(), "OK");
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(dB(std::abs(front(i) / frontRaw(i))), 0.0, 0.01) << grid()[i];
        EXPECT_NEAR(std::arg(front(i) / frontRaw(i)), 0.0, 0.002) << grid()[i];
    }
}

TEST_F(DriverStage, MeasurementBafflesAreSubstituted) {
    measure();
    driver().useFGangA = true;
    const ConstantBaffle baffle(Complex{1.0, 0.0});
    driver().fgang_which = 3;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    EXPECT_EQ(baffle.seen.direction, -2);
    driver().fgang_which = 4;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    EXPECT_EQ(baffle.seen.direction, -3);
    driver().fgang_which = 6;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    EXPECT_TRUE(baffle.seen.beugl && baffle.seen.beugr && baffle.seen.beugo && baffle.seen.beugu);
    EXPECT_DOUBLE_EQ(baffle.seen.swh, 0.67165 + 0.5 + 0.166);
    driver().fgang_which = 7;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    EXPECT_DOUBLE_EQ(baffle.seen.swh, 0.67165 + 0.5 + 0.166145);
    EXPECT_DOUBLE_EQ(baffle.seen.swb, 0.52);
    driver().fgang_which = 2;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    EXPECT_DOUBLE_EQ(baffle.seen.swh, 2.266);
    EXPECT_DOUBLE_EQ(baffle.seen.swb, 1.775);
    ASSERT_EQ(status(), "OK");
    // 5 and 8 keep the driver's own baffle.
    calc->aktProjekt->schallwand[kSlot].swb = 0.321;
    driver().fgang_which = 8;
    CalcDriverWithBaffle(*calc, kSlot, baffle);
    EXPECT_DOUBLE_EQ(baffle.seen.swb, 0.321);
}

TEST_F(DriverStage, FailuresNameTheDriverAndLeaveTheResultAlone) {
    driver().xlin = std::numeric_limits<double>::quiet_NaN();
    CalcDriverWithBaffle(*calc, kSlot, kUnitBaffle);
    EXPECT_EQ(status(), "Fehler: Chassis 3: Linearer Hub muss > 0 sein. ");
    for (int i = 0; i < kResultFreqs; ++i) {
        EXPECT_EQ(front(i), Cx(0.0, 0.0));
        EXPECT_EQ(impedance(i), Cx(0.0, 0.0));
        EXPECT_EQ(calc->Res->fgang_xch[kSlot][i], 0.0);
    }

    // A box that fails while the measurement condition (infinite baffle) runs: the texts of both
    // runs are concatenated, the "OK" of the second included, and nothing is written.
    driver().xlin = 0.005;
    measure();
    driver().useFGangA = true;
    driver().fgang_which = 1;
    const TEinbau box = mounting();
    mounting() = explicitMounting(kEinbauGeschlossen, -1.0);
    CalcDriverWithBaffle(*calc, kSlot, kUnitBaffle);
    EXPECT_EQ(status(),
              utf8ToLatin1("Fehler: Chassis 3: fmb, Vb, vV, mb und Ql müssen > 0 sein. OK"));
    EXPECT_EQ(front(0), Cx(0.0, 0.0));
    mounting() = box;

    // A baffle response of 0 makes the correction divide by zero: a fault, not a NaN result.
    const ConstantBaffle silent(Complex{0.0, 0.0});
    CalcDriverWithBaffle(*calc, kSlot, silent);
    EXPECT_EQ(status(), "Fehler: Chassis 3: Chassis kann nicht berechnet werden.");
    EXPECT_EQ(front(0), Cx(0.0, 0.0));

    // The default stage entry uses the registered model.
    setMeasurementBaffle(&silent);
    CalcDriver(*calc, kSlot);
    EXPECT_EQ(status(), "Fehler: Chassis 3: Chassis kann nicht berechnet werden.");
    setMeasurementBaffle(nullptr);
}

} // namespace
} // namespace sonora
