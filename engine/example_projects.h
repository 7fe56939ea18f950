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

// Grid slots of the crossover by position: horizontal element right of node (row, column) and
// vertical element below it.
int horizontalSlot(int row, int column);
int verticalSlot(int row, int column);

} // namespace sonora
