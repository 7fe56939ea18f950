#include "engine/example_projects.h"

#include <cmath>
#include <complex>
#include <memory>

#include "engine/active_filter.h"
#include "engine/driver_model.h"
#include "model/crossover_grid.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"

namespace sonora {

namespace {

constexpr int kGroundRow = kGridRows - 1;     // the bottom row of the grid is the ground rail
constexpr int kAmpColumn = kGridColumns - 1;  // the amplifier sits in the rightmost column
constexpr std::int16_t kPolarityNormal = -1;  // "Polung negativ" not ticked
constexpr std::int16_t kPolarityReversed = 1; // "Polung negativ" ticked

// Places parts on the crossover grid by node position. Row 0 is the hot rail, the bottom row the
// ground rail; branches hang between them.
class GridLayout {
public:
    explicit GridLayout(TAmp& amp) : w_(amp.weiche) {
        for (TPart& part : w_) {
            part = TPart{};
        }
    }

    TPart& horizontal(int row, int column, PartTyp typ, double value = 0, double rvalue = 0) {
        return place(horizontalSlot(row, column), typ, value, rvalue);
    }
    TPart& vertical(int row, int column, PartTyp typ, double value = 0, double rvalue = 0) {
        return place(verticalSlot(row, column), typ, value, rvalue);
    }
    // Wires from node (row, column) straight down to the ground rail.
    void wireDown(int row, int column) {
        for (int r = row; r < kGroundRow; ++r) {
            vertical(r, column, kPartWire);
        }
    }
    // The amplifier between the hot rail and ground, and both rails wired across the grid.
    void rails() {
        vertical(0, kAmpColumn, kPartAmplifier).verpolt = kPolarityNormal;
        wireDown(1, kAmpColumn);
        for (int c = 0; c + 1 < kGridColumns; ++c) {
            horizontal(0, c, kPartWire);
            horizontal(kGroundRow, c, kPartWire);
        }
    }
    TPart& driver(int row, int column, int chassis, std::int16_t polarity) {
        TPart& p = vertical(row, column, kPartDriver);
        p.chassisnr = static_cast<std::int16_t>(chassis);
        p.verpolt = polarity;
        wireDown(row + 1, column);
        return p;
    }
    void finish() { assignGridNodes(w_); }

private:
    TPart& place(int slot, PartTyp typ, double value, double rvalue) {
        TPart& p = w_[slot];
        p = TPart{};
        p.typ = typ;
        p.value = value;
        p.Rvalue = rvalue;
        p.verpolt = kPolarityNormal;
        return p;
    }
    TPart (&w_)[kPartSlots];
};

void startProject(TProjekt& p, int nChassis, int points) {
    initDefaultProjekt(p);
    p.nAmps = 1;
    p.nChassis = static_cast<std::int16_t>(nChassis);
    p.sz = points;
    BuildFrequencyGrid(p);
}

// Baffle of width b and height h (m) shared by the drivers, edges on, no bevels; the driver centre
// at height a above the bottom, centred horizontally; outlet diameter d. The outlet positions are
// given relative to the baffle centre.
TSchallwand baffleFor(double b, double h, double a, double d) {
    TSchallwand s{};
    s.beugl = s.beugr = s.beugo = s.beugu = true;
    s.swb = b;
    s.swh = h;
    s.swa = a;
    s.swc = b / 2;
    s.swd = d;
    s.swt = 0.3;
    s.swvert = a - h / 2;
    s.swvertr = s.swvert;
    return s;
}

void setName(TChassis& c, const char* name) {
    c.name.assign(name);
}

// Data-sheet values of the invented drivers; the voice-coil model of each is a plausible
// lossy inductance (Le in series, Re2 || Le2).
struct DriverData {
    const char* name;
    double fs, qes, qms, vas, rdc, le, le2, re2, sd, xlin, pmax, znenn; // SI units
    std::int32_t membranform;
    bool closedBack;
};

constexpr DriverData kDrivers[] = {
    {"Beispiel TT 17", 38.0, 0.38, 3.1, 0.048, 5.8, 0.45e-3, 0.4e-3, 9.0, 0.0133, 0.005, 80.0, 8.0,
     1, false},
    {"Beispiel TT 20", 31.0, 0.34, 4.2, 0.085, 5.6, 0.7e-3, 0.6e-3, 11.0, 0.0220, 0.006, 100.0, 8.0,
     1, false},
    {"Beispiel MT 10", 75.0, 0.5, 2.8, 0.006, 6.2, 0.25e-3, 0.2e-3, 8.0, 0.0055, 0.002, 40.0, 8.0,
     1, false},
    {"Beispiel HT 25", 900.0, 1.1, 2.4, 0.00008, 4.7, 0.04e-3, 1e-6, 1e-6, 0.00085, 0.0003, 20.0,
     6.0, 0, true},
    {"Beispiel SW 25", 24.0, 0.42, 5.0, 0.120, 3.4, 1.2e-3, 1.0e-3, 7.0, 0.0340, 0.010, 250.0, 4.0,
     1, false},
};

constexpr double kTinyVoiceCoil = 1e-6; // Re3, Le3 of drivers without a third branch, Ohm / H

TChassis woofer() {
    return exampleDriver(ExampleDriver::Woofer17);
}
TChassis midrange() {
    return exampleDriver(ExampleDriver::Midrange10);
}
TChassis tweeter() {
    return exampleDriver(ExampleDriver::Dome25);
}

void mount(TProjekt& p, int n, const TChassis& c, std::int32_t typ, double vb, double fb,
           const TSchallwand& s) {
    p.chassis[n] = c;
    TEinbau& e = p.einbau[n];
    e = defaultEinbau();
    e.typ = typ;
    e.Vb = vb;
    e.fb = fb;
    p.schallwand[n] = s;
    DeriveMountingLosses(p.chassis[n], e);
    DeriveDriverValues(p.chassis[n], e, kDeriveAtDc);
}

} // namespace

TChassis exampleDriver(ExampleDriver kind) {
    const DriverData& d = kDrivers[static_cast<int>(kind)];
    TChassis c;
    initDefaultChassis(c);
    setName(c, d.name);
    c.fs = d.fs;
    c.qes = d.qes;
    c.qms = d.qms;
    c.vas = d.vas;
    c.Rdc = d.rdc;
    c.Le = d.le;
    c.Le2 = d.le2;
    c.Re2 = d.re2;
    c.Le3 = kTinyVoiceCoil;
    c.Re3 = kTinyVoiceCoil;
    c.Sd = d.sd;
    c.xlin = d.xlin;
    c._xMax = 2.0 * d.xlin;
    c.Pmax = d.pmax;
    c._PNorm = d.pmax / 2.0;
    c.ZNenn = d.znenn;
    c.membranform = d.membranform;
    c.HintenGeschlossen = d.closedBack;
    c.fgang_which = 5;
    c.comment.assign("Erfundenes Chassis f\xFCr die Beispiele"); // Latin-1 "für"
    return c;
}

void addSyntheticMeasurements(TChassis& c) {
    constexpr int kPoints = 120;
    constexpr double kFrom = 10.0, kTo = 40000.0; // Hz
    constexpr double kRefLevel = 112.0;           // dB of a response of magnitude 1
    double f[kCurvePoints] = {};
    BuildFrequencyGrid(kFrom, kTo, kPoints, f);
    // The driver on an infinite baffle, as the measurement condition "1." describes it.
    TEinbau e = defaultEinbau();
    e.typ = c.HintenGeschlossen ? kEinbauIntegriert : kEinbauGeschlossen;
    substituteMeasurementMounting(1, e);
    TChassis sim = c;
    auto r = std::make_unique<DriverResponse>();
    SimulateDriver(sim, e, f, *r);
    // An invented break-up: a resonance peak a little above where the diaphragm stops being a
    // piston, and the roll-off beyond it.
    const double breakup = 2.2 * 344.0 / (std::sqrt(c.Sd / 3.14159) * 2.0 * 3.14159);
    for (int i = 0; i < kPoints; ++i) {
        const std::complex<double> s(0.0, f[i] / breakup);
        const std::complex<double> peak = 1.0 / (s * s + s / 3.0 + 1.0);
        const std::complex<double> p =
            std::complex<double>(r->Pfront[i].re, r->Pfront[i].im) * peak;
        const std::complex<double> z(r->Z[i].re, r->Z[i].im);
        c.fgangaf[i] = c.fgangapf[i] = c.fgangif[i] = c.fgangipf[i] = f[i];
        c.fganga[i] = kRefLevel + 20.0 * std::log10(std::abs(p) + 1e-50);
        c.fgangap[i] = std::arg(p);
        c.fgangi[i] = std::abs(z);
        c.fgangip[i] = std::arg(z);
    }
    c.fgangaf[kPoints] = c.fgangapf[kPoints] = c.fgangif[kPoints] = c.fgangipf[kPoints] = 0.0;
    c.fgang_which = 1;
}

int horizontalSlot(int row, int column) {
    return (kGridColumns - 1) * row + column;
}

int verticalSlot(int row, int column) {
    return kVerticalSlotBase + kGridColumns * row + column;
}

void buildTwoWayExample(TProjekt& p, int points) {
    startProject(p, 2, points);
    p.comment1.assign("Beispiel Zweiweg");
    constexpr double b = 0.22, h = 0.36; // baffle, m
    mount(p, 0, woofer(), kEinbauGeschlossen, 0.020, 0.0, baffleFor(b, h, 0.13, 0.13));
    mount(p, 1, tweeter(), kEinbauIntegriert, 0.0, 0.0, baffleFor(b, h, 0.29, 0.026));

    GridLayout g(p.amp[0]);
    g.rails();
    // Woofer: series coil, shunt capacitor (second-order low-pass at about 2.5 kHz).
    g.vertical(0, 0, kPartCoil, 0.72e-3, 0.3);
    g.vertical(1, 0, kPartCapacitor, 5.6e-6);
    g.wireDown(2, 0);
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    // Tweeter: series capacitor, shunt coil, reversed as a second-order crossover needs.
    g.vertical(0, 3, kPartCapacitor, 7.5e-6);
    g.vertical(1, 3, kPartCoil, 0.54e-3, 0.25);
    g.wireDown(2, 3);
    g.horizontal(1, 3, kPartWire);
    g.driver(1, 4, 1, kPolarityReversed);
    g.finish();
}

void buildThreeWayExample(TProjekt& p, int points) {
    startProject(p, 3, points);
    p.comment1.assign("Beispiel Dreiweg");
    constexpr double b = 0.26, h = 0.95; // one tall baffle, m
    mount(p, 0, woofer(), kEinbauBassreflex, 0.040, 38.0, baffleFor(b, h, 0.25, 0.13));
    mount(p, 1, midrange(), kEinbauGeschlossen, 0.006, 0.0, baffleFor(b, h, 0.62, 0.085));
    mount(p, 2, tweeter(), kEinbauIntegriert, 0.0, 0.0, baffleFor(b, h, 0.80, 0.026));
    // One shared cabinet with 15 mm bevels on every edge.
    constexpr double kBevel = 0.015; // m
    for (int n = 0; n < 3; ++n) {
        TSchallwand& s = p.schallwand[n];
        s.swe = s.swf = s.swg = s.swi = kBevel;
        s.usegemgeh = true;
    }
    p.Gemgeh.h = h;
    p.Gemgeh.b = b;
    p.Gemgeh.t = 0.32;
    p.Gemgeh.fasl = p.Gemgeh.fasr = p.Gemgeh.faso = p.Gemgeh.fasu = kBevel;
    p.Gemgeh.beugl = p.Gemgeh.beugo = p.Gemgeh.beugr = p.Gemgeh.beugu = true;
    // The woofer's port sits below the woofer on the same baffle.
    p.schallwand[0].swdr = 0.05;
    p.schallwand[0].swvertr = p.schallwand[0].swvert - 0.17;

    GridLayout g(p.amp[0]);
    g.rails();
    // Woofer: second-order low-pass at about 400 Hz with a Zobel across the driver.
    g.vertical(0, 0, kPartCoil, 3.3e-3, 0.45);
    g.vertical(1, 0, kPartCapacitor, 47e-6);
    g.wireDown(2, 0);
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    g.horizontal(1, 1, kPartWire);
    g.vertical(1, 2, kPartResistor, 6.8);
    g.vertical(2, 2, kPartCapacitor, 15e-6);
    g.wireDown(3, 2);
    // Midrange: second-order high-pass at 400 Hz, second-order low-pass at 3 kHz, level pad.
    g.vertical(0, 3, kPartCapacitor, 33e-6);
    g.vertical(1, 3, kPartCoil, 3.9e-3, 0.5);
    g.wireDown(2, 3);
    g.horizontal(1, 3, kPartCoil, 0.47e-3, 0.2);
    g.vertical(1, 4, kPartCapacitor, 6.8e-6);
    g.wireDown(2, 4);
    g.horizontal(1, 4, kPartResistor, 1.5);
    g.vertical(1, 5, kPartResistor, 22.0);
    g.wireDown(2, 5);
    g.horizontal(1, 5, kPartWire);
    g.driver(1, 6, 1, kPolarityReversed);
    // Tweeter: third-order high-pass at 3 kHz, level pad of series and shunt resistor.
    g.vertical(0, 7, kPartCapacitor, 10e-6);
    g.vertical(1, 7, kPartCoil, 0.33e-3, 0.15);
    g.wireDown(2, 7);
    g.horizontal(1, 7, kPartCapacitor, 6.8e-6);
    g.vertical(1, 8, kPartResistor, 2.2);
    g.horizontal(2, 8, kPartResistor, 10.0);
    g.wireDown(2, 9);
    g.driver(2, 8, 2, kPolarityNormal);
    g.finish();
}

void buildSubwooferBandpassExample(TProjekt& p, int points) {
    startProject(p, 1, points);
    p.comment1.assign("Beispiel Subwoofer");
    // Rear chamber 45 l at 34 Hz, front chamber 22 l at 70 Hz; the sound leaves through the front
    // vent, the driver itself radiates nothing outside.
    TSchallwand s = baffleFor(0.40, 0.60, 0.30, 0.10);
    s.swdr = 0.10;
    mount(p, 0, exampleDriver(ExampleDriver::Subwoofer25), kEinbauBandpassBiv, 0.045, 34.0, s);
    TEinbau& e = p.einbau[0];
    e.Vbf = 0.022;
    e.vVf = 1.0;
    e.fbf = 70.0;
    DeriveMountingLosses(p.chassis[0], e);
    DeriveDriverValues(p.chassis[0], e, kDeriveAtDc);
    // Active fourth-order Linkwitz-Riley low-pass at 80 Hz.
    TFilter& lp = p.amp[0].aktfilter.fil[0];
    lp.typ = typOf(FilterKind::LinkwitzRileyLowPass);
    lp.f = 80.0;
    lp.n = 4;
    GridLayout g(p.amp[0]);
    g.rails();
    g.driver(0, 0, 0, kPolarityNormal);
    g.finish();
}

} // namespace sonora
