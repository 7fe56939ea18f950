#include "engine/example_projects.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "engine/active_filter.h"
#include "engine/driver_model.h"
#include "model/crossover_grid.h"
#include "model/frequency_grid.h"
#include "model/physics.h"
#include "model/record_defaults.h"

namespace sonora {

namespace {

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

// Frequency where the wavelength equals the diaphragm's circumference: above it the driver
// beams and stops being a piston, Hz.
double pistonLimit(const TChassis& c) {
    return kSpeedOfSound / (2.0 * std::numbers::pi * std::sqrt(c.Sd / std::numbers::pi));
}
constexpr double kConeBreakup = 5.0; // break-up of a cone, multiples of pistonLimit
constexpr double kDomeBreakup = 7.0; // of a dome
constexpr double kBreakupQ = 2.0;    // quality of the break-up peak

// ---- Part values of the designs, found by simulating them and checked by the example tests ----

// Horizontal positions of the two-way drivers from the left edge, m.
constexpr double kTwoWayWooferX = 0.11, kTwoWayTweeterX = 0.11;

// Part values of a passive two-way network (SI units).
struct TwoWayParts {
    double wooferCoil, wooferCap, zobelR, zobelC;  // woofer low-pass and Zobel
    double domeCap, domeCoil, padSeries, padShunt; // tweeter high-pass and L-pad
};
constexpr TwoWayParts kTwoWayParts{1.0e-3, 5.6e-6, 6.8, 5.6e-6, 6.8e-6, 0.47e-3, 3.9, 1.8};
// The measured curves differ a little from the model: break-up, a rising top end.
constexpr TwoWayParts kMeasuredTwoWayParts{0.82e-3, 6.8e-6,  12.0, 5.6e-6,
                                           6.8e-6,  0.39e-3, 3.9,  1.5};

struct ThreeWayParts {
    double wooferCoil, wooferCap, zobelR, zobelC;
    double midCap1, midCoil1, midCoil2, midCap2, midPadSeries, midPadShunt;
    double domeCap1, domeCoil, domeCap2, domePadSeries, domePadShunt;
};
constexpr ThreeWayParts kThreeWayParts{4.7e-3, 56e-6,   6.8,    10e-6, 68e-6,
                                       4.7e-3, 0.82e-3, 6.8e-6, 0.82,  27.0,
                                       10e-6,  0.39e-3, 15e-6,  3.9,   4.7};

// The active two-way: crossover, baffle-step shelf and a bell that fills the woofer's dip before
// the crossover, tweeter gain (linear), its delay and a bell that takes out its rise near 4.7 kHz.
constexpr double kActiveCrossover = 1800.0;     // Hz
constexpr double kActiveShelfFrequency = 330.0; // Hz
constexpr double kActiveShelfGain = 1.5;
constexpr double kActiveWooferBell = 1500.0, kActiveWooferBellQ = 1.5, kActiveWooferBellGain = 1.5;
constexpr double kActiveTweeterBell = 4700.0, kActiveTweeterBellQ = 2.2;
constexpr double kActiveTweeterBellGain = 0.82;
constexpr double kActiveTweeterGain = 0.33;
constexpr double kActiveDelay = 68e-6; // s

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
    double f[kCurvePoints] = {};
    BuildFrequencyGrid(kFrom, kTo, kPoints, f);
    // The driver on an infinite baffle, as the measurement condition "1." describes it.
    TEinbau e = defaultEinbau();
    e.typ = c.HintenGeschlossen ? kEinbauIntegriert : kEinbauGeschlossen;
    substituteMeasurementMounting(1, e);
    TChassis sim = c;
    auto r = std::make_unique<DriverResponse>();
    SimulateDriver(sim, e, f, *r);
    // An invented break-up: a resonance peak well above where the diaphragm stops being a
    // piston (a cone about two octaves, a dome above the audible range), and the roll-off beyond.
    const double breakup = (c.membranform == 0 ? kDomeBreakup : kConeBreakup) * pistonLimit(c);
    for (int i = 0; i < kPoints; ++i) {
        const std::complex<double> s(0.0, f[i] / breakup);
        const std::complex<double> peak = 1.0 / (s * s + s / kBreakupQ + 1.0);
        const std::complex<double> p =
            std::complex<double>(r->Pfront[i].re, r->Pfront[i].im) * peak;
        const std::complex<double> z(r->Z[i].re, r->Z[i].im);
        c.fgangaf[i] = c.fgangapf[i] = c.fgangif[i] = c.fgangipf[i] = f[i];
        c.fganga[i] = kLevelOfUnity + 20.0 * std::log10(std::abs(p) + kLevelGuard);
        c.fgangap[i] = std::arg(p);
        c.fgangi[i] = std::abs(z);
        c.fgangip[i] = std::arg(z);
    }
    c.fgangaf[kPoints] = c.fgangapf[kPoints] = c.fgangif[kPoints] = c.fgangipf[kPoints] = 0.0;
    c.fgang_which = 1;
}

void addSyntheticDirectionalResponses(TChassis& c) {
    constexpr double kStep = 5.0 * std::numbers::pi / 180.0; // 5° per slot
    constexpr double kFloor = 0.01;                          // -40 dB: a piston's nulls filled
    const double radius = std::sqrt(c.Sd / std::numbers::pi);
    const double kPerHz = kTwoPi / kSpeedOfSound; // wave number per Hz, 1/m
    TRicht& r = c.Richt;
    int n = 0;
    while (n + 1 < kCurvePoints && c.fgangaf[n] > 0) {
        r.fgangf[n] = c.fgangaf[n];
        ++n;
    }
    r.fgangf[n] = 0.0;
    for (int j = 0; j < kMaxRicht; ++j) {
        const double sine = std::sin(j * kStep);
        for (int i = 0; i < n; ++i) {
            // The rigid piston in a wall: 2 J1(x) / x with x = k a sin(angle).
            const double x = kPerHz * c.fgangaf[i] * radius * sine;
            const double d = x < 1e-6 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, x) / x;
            r.fgangau[j][i] =
                c.fganga[i] + 20.0 * std::log10((std::abs(d) + kFloor) / (1.0 + kFloor));
            r.fgangpu[j][i] = c.fgangap[i] + (d < 0 ? std::numbers::pi : 0.0);
        }
    }
    r.nRicht = kMaxRicht;
    r.RichtSimu = 1;
}

void startExampleProject(TProjekt& p, int nChassis, int points) {
    initDefaultProjekt(p);
    p.nAmps = 1;
    p.nChassis = static_cast<std::int16_t>(nChassis);
    p.sz = points;
    BuildFrequencyGrid(p);
}

TSchallwand exampleBaffle(double b, double h, double a, double d) {
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

void mountExampleDriver(TProjekt& p, int n, const TChassis& c, std::int32_t typ, double vb,
                        double fb, const TSchallwand& s) {
    p.chassis[n] = c;
    TEinbau& e = p.einbau[n];
    e = defaultEinbau();
    e.typ = typ;
    e.Vb = vb;
    e.fb = fb;
    p.schallwand[n] = s;
    deriveAsMounted(p.chassis[n], e);
}

ExampleGrid::ExampleGrid(TAmp& amp) : w_(amp.weiche) {
    for (TPart& part : w_) {
        part = TPart{};
    }
}

TPart& ExampleGrid::horizontal(int row, int column, PartTyp typ, double value, double rvalue) {
    return place(horizontalSlot(row, column), typ, value, rvalue);
}

TPart& ExampleGrid::vertical(int row, int column, PartTyp typ, double value, double rvalue) {
    return place(verticalSlot(row, column), typ, value, rvalue);
}

void ExampleGrid::wireDown(int row, int column) {
    for (int r = row; r < kGroundRow; ++r) {
        vertical(r, column, kPartWire);
    }
}

void ExampleGrid::rails() {
    vertical(0, kAmpColumn, kPartAmplifier).verpolt = kPolarityNormal;
    wireDown(1, kAmpColumn);
    for (int c = 0; c + 1 < kGridColumns; ++c) {
        horizontal(0, c, kPartWire);
        horizontal(kGroundRow, c, kPartWire);
    }
}

TPart& ExampleGrid::driver(int row, int column, int chassis, std::int16_t polarity) {
    TPart& p = vertical(row, column, kPartDriver);
    p.chassisnr = static_cast<std::int16_t>(chassis);
    p.verpolt = polarity;
    wireDown(row + 1, column);
    return p;
}

void ExampleGrid::finish() {
    assignGridNodes(w_);
}

TPart& ExampleGrid::place(int slot, PartTyp typ, double value, double rvalue) {
    TPart& p = w_[slot];
    p = TPart{};
    p.typ = typ;
    p.value = value;
    p.Rvalue = rvalue;
    p.verpolt = kPolarityNormal;
    return p;
}

double onAxisSpread(const TResult& r, double fLow, double fHigh) {
    double lowest = 0, highest = 0;
    bool any = false;
    for (int i = 0; i < r.nfreq && i < kResultFreqs; ++i) {
        if (!(r.freq[i] >= fLow && r.freq[i] <= fHigh)) {
            continue;
        }
        const Complex& h = r.fgang_box[i][0];
        const double level = 20.0 * std::log10(std::hypot(h.re, h.im) + kLevelGuard);
        lowest = any ? std::min(lowest, level) : level;
        highest = any ? std::max(highest, level) : level;
        any = true;
    }
    return highest - lowest;
}

void detuneAndMarkNetwork(TProjekt& p, double factor) {
    for (int a = 0; a < p.nAmps && a < kMaxAmps; ++a) {
        for (TPart& part : p.amp[a].weiche) {
            if (part.typ == kPartCapacitor || part.typ == kPartCoil) {
                part.value *= factor;
            }
            if (part.typ == kPartResistor || part.typ == kPartCapacitor || part.typ == kPartCoil) {
                part.bOptimize = true;
            }
        }
    }
}

int horizontalSlot(int row, int column) {
    return (kGridColumns - 1) * row + column;
}

int verticalSlot(int row, int column) {
    return kVerticalSlotBase + kGridColumns * row + column;
}

namespace {

// The winding resistance of the part library's air coils of 1.0 mm wire (examples/generator).
double coilResistance(double henry) {
    return 0.18 * std::sqrt(henry / 0.47e-3);
}

// Cabinet of the two-way designs: 22 cm by 36 cm front, the woofer low and off the centre line,
// the tweeter above it moved to the other side, so that the edge distances differ.
constexpr double kTwoWayWidth = 0.22, kTwoWayHeight = 0.36; // m

void mountTwoWayDrivers(TProjekt& p, const TChassis& woofer, const TChassis& dome) {
    TSchallwand low = exampleBaffle(kTwoWayWidth, kTwoWayHeight, 0.13, 0.13);
    TSchallwand high = exampleBaffle(kTwoWayWidth, kTwoWayHeight, 0.29, 0.026);
    low.swc = kTwoWayWooferX;
    high.swc = kTwoWayTweeterX;
    mountExampleDriver(p, 0, woofer, kEinbauGeschlossen, 0.020, 0.0, low);
    mountExampleDriver(p, 1, dome, kEinbauIntegriert, 0.0, 0.0, high);
}

// Woofer: series coil and shunt capacitor, a second-order low-pass near 2 kHz whose coil, against
// the voice coil's rising impedance, holds the woofer down where the baffle step would lift it;
// Zobel across the driver. Tweeter: series capacitor, shunt
// coil, then the L-pad of series and shunt resistor. The dome's acoustic centre lies ahead of the
// cone's, so the pair sums in phase with both drivers connected alike.
void placeTwoWayNetwork(TAmp& amp, const TwoWayParts& v) {
    ExampleGrid g(amp);
    g.rails();
    g.vertical(0, 0, kPartCoil, v.wooferCoil, coilResistance(v.wooferCoil));
    g.vertical(1, 0, kPartCapacitor, v.wooferCap);
    g.wireDown(2, 0);
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    g.horizontal(1, 1, kPartWire);
    g.vertical(1, 2, kPartResistor, v.zobelR);
    g.vertical(2, 2, kPartCapacitor, v.zobelC);
    g.wireDown(3, 2);
    g.vertical(0, 3, kPartCapacitor, v.domeCap);
    g.vertical(1, 3, kPartCoil, v.domeCoil, coilResistance(v.domeCoil));
    g.wireDown(2, 3);
    g.horizontal(1, 3, kPartWire);
    g.vertical(1, 4, kPartResistor, v.padSeries);
    g.horizontal(2, 4, kPartResistor, v.padShunt);
    g.wireDown(2, 5);
    g.driver(2, 4, 1, kPolarityNormal);
    g.finish();
}

} // namespace

void buildTwoWayExample(TProjekt& p, int points) {
    startExampleProject(p, 2, points);
    p.comment1.assign("Beispiel Zweiweg");
    mountTwoWayDrivers(p, woofer(), tweeter());
    placeTwoWayNetwork(p.amp[0], kTwoWayParts);
}

void buildMeasuredTwoWayExample(TProjekt& p, int points) {
    startExampleProject(p, 2, points);
    p.comment1.assign("Beispiel Zweiweg gemessen");
    TChassis low = woofer(), high = tweeter();
    for (TChassis* c : {&low, &high}) {
        addSyntheticMeasurements(*c);
        addSyntheticDirectionalResponses(*c);
        c->useFGangA = c->useFGangAP = true;
    }
    mountTwoWayDrivers(p, low, high);
    placeTwoWayNetwork(p.amp[0], kMeasuredTwoWayParts);
}

void buildActiveTwoWayExample(TProjekt& p, int points) {
    startExampleProject(p, 2, points);
    p.comment1.assign("Beispiel Zweiweg aktiv");
    p.nAmps = 2;
    mountTwoWayDrivers(p, woofer(), tweeter());
    for (int a = 0; a < 2; ++a) {
        ExampleGrid g(p.amp[a]);
        g.rails();
        g.driver(0, 0, a, kPolarityNormal);
        g.finish();
    }
    // Woofer: fourth-order Linkwitz-Riley low-pass, a first-order shelf that lifts the range
    // below the baffle step, and a bell for the dip the baffle's edges leave near 1.5 kHz.
    TFilter* low = p.amp[0].aktfilter.fil;
    low[0].typ = typOf(FilterKind::LinkwitzRileyLowPass);
    low[0].f = kActiveCrossover;
    low[0].n = 4;
    low[1].typ = typOf(FilterKind::ShelfLow1);
    low[1].f = kActiveShelfFrequency;
    low[1].a = kActiveShelfGain;
    low[2].typ = typOf(FilterKind::ParametricEq);
    low[2].f = kActiveWooferBell;
    low[2].q = kActiveWooferBellQ;
    low[2].a = kActiveWooferBellGain;
    // Tweeter: the matching high-pass, its amplifier turned down to the woofer's level, a delay
    // that moves its acoustic centre back to the woofer's (the cone's centre lies deeper) and a
    // bell that flattens its rise near 4.7 kHz.
    TFilter* high = p.amp[1].aktfilter.fil;
    high[0].typ = typOf(FilterKind::LinkwitzRileyHighPass);
    high[0].f = kActiveCrossover;
    high[0].n = 4;
    high[1].typ = typOf(FilterKind::Delay);
    high[1].t = kActiveDelay;
    high[2].typ = typOf(FilterKind::ParametricEq);
    high[2].f = kActiveTweeterBell;
    high[2].q = kActiveTweeterBellQ;
    high[2].a = kActiveTweeterBellGain;
    p.amp[1].aktfilter.pegel = kActiveTweeterGain;
}

void buildThreeWayExample(TProjekt& p, int points) {
    startExampleProject(p, 3, points);
    p.comment1.assign("Beispiel Dreiweg");
    constexpr double b = 0.26, h = 0.95; // one tall baffle, m
    mountExampleDriver(p, 0, woofer(), kEinbauBassreflex, 0.040, 38.0,
                       exampleBaffle(b, h, 0.25, 0.13));
    mountExampleDriver(p, 1, midrange(), kEinbauGeschlossen, 0.006, 0.0,
                       exampleBaffle(b, h, 0.62, 0.085));
    mountExampleDriver(p, 2, tweeter(), kEinbauIntegriert, 0.0, 0.0,
                       exampleBaffle(b, h, 0.80, 0.026));
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

    const ThreeWayParts& v = kThreeWayParts;
    ExampleGrid g(p.amp[0]);
    g.rails();
    // Woofer: second-order low-pass with a Zobel across the driver.
    g.vertical(0, 0, kPartCoil, v.wooferCoil, coilResistance(v.wooferCoil));
    g.vertical(1, 0, kPartCapacitor, v.wooferCap);
    g.wireDown(2, 0);
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    g.horizontal(1, 1, kPartWire);
    g.vertical(1, 2, kPartResistor, v.zobelR);
    g.vertical(2, 2, kPartCapacitor, v.zobelC);
    g.wireDown(3, 2);
    // Midrange: second-order high-pass, second-order low-pass, L-pad; reversed.
    g.vertical(0, 3, kPartCapacitor, v.midCap1);
    g.vertical(1, 3, kPartCoil, v.midCoil1, coilResistance(v.midCoil1));
    g.wireDown(2, 3);
    g.horizontal(1, 3, kPartCoil, v.midCoil2, coilResistance(v.midCoil2));
    g.vertical(1, 4, kPartCapacitor, v.midCap2);
    g.wireDown(2, 4);
    g.horizontal(1, 4, kPartResistor, v.midPadSeries);
    g.vertical(1, 5, kPartResistor, v.midPadShunt);
    g.wireDown(2, 5);
    g.horizontal(1, 5, kPartWire);
    g.driver(1, 6, 1, kPolarityReversed);
    // Tweeter: third-order high-pass, L-pad of series and shunt resistor; reversed.
    g.vertical(0, 7, kPartCapacitor, v.domeCap1);
    g.vertical(1, 7, kPartCoil, v.domeCoil, coilResistance(v.domeCoil));
    g.wireDown(2, 7);
    g.horizontal(1, 7, kPartCapacitor, v.domeCap2);
    g.vertical(1, 8, kPartResistor, v.domePadSeries);
    g.horizontal(2, 8, kPartResistor, v.domePadShunt);
    g.wireDown(2, 9);
    g.driver(2, 8, 2, kPolarityReversed);
    g.finish();
}

void buildSubwooferBandpassExample(TProjekt& p, int points) {
    startExampleProject(p, 1, points);
    p.comment1.assign("Beispiel Subwoofer");
    // Rear chamber 45 l at 34 Hz, front chamber 22 l at 70 Hz; the sound leaves through the front
    // vent, the driver itself radiates nothing outside.
    TSchallwand s = exampleBaffle(0.40, 0.60, 0.30, 0.10);
    s.swdr = 0.10;
    mountExampleDriver(p, 0, exampleDriver(ExampleDriver::Subwoofer25), kEinbauBandpassBiv, 0.045,
                       34.0, s);
    TEinbau& e = p.einbau[0];
    e.Vbf = 0.022;
    e.vVf = 1.0;
    e.fbf = 70.0;
    deriveAsMounted(p.chassis[0], e);
    // Active fourth-order Linkwitz-Riley low-pass at 80 Hz.
    TFilter& lp = p.amp[0].aktfilter.fil[0];
    lp.typ = typOf(FilterKind::LinkwitzRileyLowPass);
    lp.f = 80.0;
    lp.n = 4;
    ExampleGrid g(p.amp[0]);
    g.rails();
    g.driver(0, 0, 0, kPolarityNormal);
    g.finish();
}

} // namespace sonora
