// The driver's own directivity in the 90 directions at one frequency.
//
// From the membrane model, or from the driver's measured directional responses.
#pragma once

#include <array>

#include "acoustics/baffle_membrane.h"
#include "model/complex.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Entry of directions the driver does not radiate into (behind and in the baffle plane).
inline constexpr Complex kNoSound{1e-100, 0.0};

struct DriverTable {
    std::array<Complex, kDirections> D; // relative to the driver's own on-axis output
    Complex D90;                        // the 90° value the edge sources are fed with
};

// True when the measured directional responses are used: RichtSimu set, at least four of them,
// and the driver radiating to the front.
bool usesMeasuredDirectivity(const TChassis& chassis, int direction);

// Membrane model at wavelength lambda (m): axis, the 30°/60°/90° rings of all four half-planes,
// kNoSound for 13..29, and the 5° rings 30..89 interpolated.
void membraneTable(const MembraneModel& model, double swd, int membranform, double lambda,
                   DriverTable& table);

// Measured responses at frequency f (Hz) with the smoothing width of the grid: slots 6, 12, 18
// (30°, 60°, 90°) over slot 0; the 5° rings from slots 1..5, 7..11, 13..17 when all 19 slots are
// present, else interpolated.
void measuredTable(const TRicht& richt, double f, double width, DriverTable& table);

// Directions 30..89 linear in angle between the axis and the 30°, 60°, 90° values of the same
// half-plane.
void interpolateFiveDegreeRings(DriverTable& table);

} // namespace sonora
