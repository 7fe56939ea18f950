// Projects built in code from invented drivers: the bundled examples, the benchmarks and the
// end-to-end tests all start from them.
#pragma once

#include <cstdint>

#include "model/crossover_grid.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// A two-way closed box: woofer in a 20 l box, dome tweeter, one amplifier and a passive
// crossover at about 2 kHz on the grid: woofer low-pass that holds the baffle step down and a
// Zobel, tweeter high-pass with an L-pad down to the woofer's level. `points` grid points.
void buildTwoWayExample(TProjekt& p, int points = 250);

// A three-way vented box in one cabinet: woofer in a 40 l vented box tuned to 38 Hz, midrange in
// its own closed chamber, dome tweeter, one amplifier and a passive crossover with a Zobel on the
// woofer, a band-pass for the midrange and level pads for midrange and tweeter.
void buildThreeWayExample(TProjekt& p, int points = 250);

// A subwoofer in a bandpass with two vents (kind 4), behind an
// active fourth-order Linkwitz-Riley low-pass at 80 Hz; the driver hangs straight on the amplifier.
void buildSubwooferBandpassExample(TProjekt& p, int points = 250);

// An active two-way: the woofer of the two-way in the same closed box on amplifier 1, the dome on
// amplifier 2, fourth-order Linkwitz-Riley filters, a shelf for the baffle step, the tweeter's
// level by its amplifier's gain and a delay for the offset of the acoustic centres. No passive
// parts.
void buildActiveTwoWayExample(TProjekt& p, int points = 250);

// A two-way whose drivers carry measured-looking responses (addSyntheticMeasurements), used for
// amplitude and phase, and directional responses at 5° steps from which the directivity is
// computed; passive crossover of the same kind as the two-way.
void buildMeasuredTwoWayExample(TProjekt& p, int points = 250);

// The invented drivers of the examples, with their data-sheet values.
enum class ExampleDriver { Woofer17, Woofer20, Midrange10, Dome25, Subwoofer25 };
TChassis exampleDriver(ExampleDriver kind);

// Adds measured-looking curves to a driver: amplitude and acoustic phase as on an infinite baffle
// ("1. Unendliche Schallwand") with an invented break-up ripple, and the impedance magnitude and
// phase, all on 120 points from 10 Hz to 40 kHz. fgang_which becomes 1; the use switches stay off.
void addSyntheticMeasurements(TChassis& c);

// Adds directional responses to a driver with measured curves (addSyntheticMeasurements first):
// the piston's off-axis loss at 0°, 15°, ... 90° on the measured frequencies, relative to the
// axis. RichtSimu becomes 1, so the directivity comes from these curves.
void addSyntheticDirectionalResponses(TChassis& c);

// Highest minus lowest on-axis level of the box between fLow and fHigh (Hz) in a computed result,
// dB; 0 when no grid point lies in the range.
double onAxisSpread(const TResult& r, double fLow, double fHigh);

// Multiplies every capacitor and coil of every amplifier's crossover by `factor` and marks every
// resistor, capacitor and coil for the optimizer: a design detuned for the optimizer to repair.
void detuneAndMarkNetwork(TProjekt& p, double factor);

// Grid slots of the crossover by position: horizontal element right of node (row, column) and
// vertical element below it.
int horizontalSlot(int row, int column);
int verticalSlot(int row, int column);

// ---- Building blocks of the example designs (test fixtures build their own designs with them) --

inline constexpr std::int16_t kPolarityNormal = -1;  // "Polung negativ" not ticked
inline constexpr std::int16_t kPolarityReversed = 1; // "Polung negativ" ticked

// A project with `nChassis` drivers, one amplifier and `points` grid points, all else default.
void startExampleProject(TProjekt& p, int nChassis, int points);

// Baffle of width b and height h (m) shared by the drivers, edges on, no bevels; the driver centre
// at height a above the bottom, centred horizontally; outlet diameter d. The outlet positions are
// given relative to the baffle centre.
TSchallwand exampleBaffle(double b, double h, double a, double d);

// Puts driver c into slot n with its mounting (kind, volume m³, tuning Hz) and baffle, and derives
// its losses and model values.
void mountExampleDriver(TProjekt& p, int n, const TChassis& c, std::int32_t typ, double vb,
                        double fb, const TSchallwand& s);

// Places parts on the crossover grid of one amplifier by node position. Row 0 is the hot rail,
// the bottom row the ground rail; branches hang between them. Construction empties the grid.
class ExampleGrid {
public:
    static constexpr int kGroundRow = kGridRows - 1;    // the ground rail
    static constexpr int kAmpColumn = kGridColumns - 1; // the amplifier's column

    explicit ExampleGrid(TAmp& amp);

    TPart& horizontal(int row, int column, PartTyp typ, double value = 0, double rvalue = 0);
    TPart& vertical(int row, int column, PartTyp typ, double value = 0, double rvalue = 0);
    // Wires from node (row, column) straight down to the ground rail.
    void wireDown(int row, int column);
    // The amplifier between the hot rail and ground, and both rails wired across the grid.
    void rails();
    // Driver `chassis` below node (row, column), wired down to ground.
    TPart& driver(int row, int column, int chassis, std::int16_t polarity);
    // Numbers the nodes; call after the last part.
    void finish();

private:
    TPart& place(int slot, PartTyp typ, double value, double rvalue);
    TPart (&w_)[kPartSlots];
};

} // namespace sonora
