#include "engine/example_projects.h"

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

TChassis woofer() {
    TChassis c;
    initDefaultChassis(c);
    setName(c, "Beispiel TT 17");
    c.fs = 38.0;
    c.qes = 0.38;
    c.qms = 3.1;
    c.vas = 0.048;
    c.Rdc = 5.8;
    c.Le = 0.45e-3;
    c.Le2 = 0.4e-3;
    c.Re2 = 9.0;
    c.Le3 = 1e-6;
    c.Re3 = 1e-6;
    c.Sd = 0.0133;
    c.xlin = 0.005;
    c.Pmax = 80.0;
    c.ZNenn = 8.0;
    c.membranform = 1;
    c.fgang_which = 5;
    return c;
}

TChassis midrange() {
    TChassis c;
    initDefaultChassis(c);
    setName(c, "Beispiel MT 10");
    c.fs = 75.0;
    c.qes = 0.5;
    c.qms = 2.8;
    c.vas = 0.006;
    c.Rdc = 6.2;
    c.Le = 0.25e-3;
    c.Le2 = 0.2e-3;
    c.Re2 = 8.0;
    c.Le3 = 1e-6;
    c.Re3 = 1e-6;
    c.Sd = 0.0055;
    c.xlin = 0.002;
    c.Pmax = 40.0;
    c.ZNenn = 8.0;
    c.membranform = 1;
    c.fgang_which = 5;
    return c;
}

TChassis tweeter() {
    TChassis c;
    initDefaultChassis(c);
    setName(c, "Beispiel HT 25");
    c.fs = 900.0;
    c.qes = 1.1;
    c.qms = 2.4;
    c.vas = 0.00008;
    c.Rdc = 4.7;
    c.Le = 0.04e-3;
    c.Le2 = 1e-6;
    c.Re2 = 1e-6;
    c.Le3 = 1e-6;
    c.Re3 = 1e-6;
    c.Sd = 0.00085;
    c.xlin = 0.0003;
    c.Pmax = 20.0;
    c.ZNenn = 6.0;
    c.membranform = 0;
    c.HintenGeschlossen = true;
    c.fgang_which = 5;
    return c;
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

} // namespace sonora
