// The first designs of the bundled two-way and three-way examples, kept as fixtures: tests whose
// expected values were worked out by hand from these part values (closed-form dividers, golden
// export lines, crossing frequencies) build them instead of the current examples.
#pragma once

#include "engine/example_projects.h"

namespace sonora::test {

// Woofer in a 20 l closed box, dome tweeter, second-order passive crossover at about 2.5 kHz:
// woofer coil 0.72 mH (0.3 Ohm) and shunt capacitor 5.6 uF, tweeter series capacitor 7.5 uF and
// shunt coil 0.54 mH (0.25 Ohm), tweeter reversed. No level pad: the tweeter plays about 10 dB
// louder than the woofer.
inline void buildFirstTwoWayDesign(TProjekt& p, int points = 250) {
    startExampleProject(p, 2, points);
    p.comment1.assign("Beispiel Zweiweg");
    constexpr double b = 0.22, h = 0.36; // baffle, m
    mountExampleDriver(p, 0, exampleDriver(ExampleDriver::Woofer17), kEinbauGeschlossen, 0.020, 0.0,
                       exampleBaffle(b, h, 0.13, 0.13));
    mountExampleDriver(p, 1, exampleDriver(ExampleDriver::Dome25), kEinbauIntegriert, 0.0, 0.0,
                       exampleBaffle(b, h, 0.29, 0.026));
    ExampleGrid g(p.amp[0]);
    g.rails();
    g.vertical(0, 0, kPartCoil, 0.72e-3, 0.3);
    g.vertical(1, 0, kPartCapacitor, 5.6e-6);
    g.wireDown(2, 0);
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    g.vertical(0, 3, kPartCapacitor, 7.5e-6);
    g.vertical(1, 3, kPartCoil, 0.54e-3, 0.25);
    g.wireDown(2, 3);
    g.horizontal(1, 3, kPartWire);
    g.driver(1, 4, 1, kPolarityReversed);
    g.finish();
}

// Woofer in a 40 l vented box at 38 Hz, midrange in a 6 l closed chamber, dome tweeter, one shared
// cabinet with 15 mm bevels; crossover of 15 parts: woofer low-pass at about 400 Hz with a Zobel,
// midrange band-pass 400 Hz .. 3 kHz with a pad, tweeter third-order high-pass with a pad.
inline void buildFirstThreeWayDesign(TProjekt& p, int points = 250) {
    startExampleProject(p, 3, points);
    p.comment1.assign("Beispiel Dreiweg");
    constexpr double b = 0.26, h = 0.95; // one tall baffle, m
    mountExampleDriver(p, 0, exampleDriver(ExampleDriver::Woofer17), kEinbauBassreflex, 0.040, 38.0,
                       exampleBaffle(b, h, 0.25, 0.13));
    mountExampleDriver(p, 1, exampleDriver(ExampleDriver::Midrange10), kEinbauGeschlossen, 0.006,
                       0.0, exampleBaffle(b, h, 0.62, 0.085));
    mountExampleDriver(p, 2, exampleDriver(ExampleDriver::Dome25), kEinbauIntegriert, 0.0, 0.0,
                       exampleBaffle(b, h, 0.80, 0.026));
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
    p.schallwand[0].swdr = 0.05;
    p.schallwand[0].swvertr = p.schallwand[0].swvert - 0.17;
    ExampleGrid g(p.amp[0]);
    g.rails();
    g.vertical(0, 0, kPartCoil, 3.3e-3, 0.45);
    g.vertical(1, 0, kPartCapacitor, 47e-6);
    g.wireDown(2, 0);
    g.horizontal(1, 0, kPartWire);
    g.driver(1, 1, 0, kPolarityNormal);
    g.horizontal(1, 1, kPartWire);
    g.vertical(1, 2, kPartResistor, 6.8);
    g.vertical(2, 2, kPartCapacitor, 15e-6);
    g.wireDown(3, 2);
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

} // namespace sonora::test
