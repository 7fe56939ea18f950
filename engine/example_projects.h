// Projects built in code from invented drivers: the bundled examples, the benchmarks and the
// end-to-end tests all start from them.
#pragma once

#include "model/records.h"

namespace sonora {

// A two-way box: woofer in a 20 l closed box, dome tweeter, second-order passive crossover at
// about 2.5 kHz on the grid (tweeter reversed), one amplifier. `points` grid points.
void buildTwoWayExample(TProjekt& p, int points = 250);

// A three-way vented box in one cabinet: woofer in a 40 l vented box tuned to 38 Hz, midrange in
// its own closed chamber, dome tweeter, a crossover of 15 parts plus wires (Zobel, band-pass,
// third-order high-pass, level pads), one amplifier.
void buildThreeWayExample(TProjekt& p, int points = 250);

// A subwoofer in a bandpass with two vents (kind 4), behind an
// active fourth-order Linkwitz-Riley low-pass at 80 Hz; the driver hangs straight on the amplifier.
void buildSubwooferBandpassExample(TProjekt& p, int points = 250);

// The invented drivers of the examples, with their data-sheet values.
enum class ExampleDriver { Woofer17, Woofer20, Midrange10, Dome25, Subwoofer25 };
TChassis exampleDriver(ExampleDriver kind);

// Adds measured-looking curves to a driver: amplitude and acoustic phase as on an infinite baffle
// ("1. Unendliche Schallwand") with an invented break-up ripple, and the impedance magnitude and
// phase, all on 120 points from 10 Hz to 40 kHz. fgang_which becomes 1; the use switches stay off.
void addSyntheticMeasurements(TChassis& c);

// Grid slots of the crossover by position: horizontal element right of node (row, column) and
// vertical element below it.
int horizontalSlot(int row, int column);
int verticalSlot(int row, int column);

} // namespace sonora
