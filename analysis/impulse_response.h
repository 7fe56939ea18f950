// Impulse and step response of a complex frequency response given on the calculation's
// logarithmic grid: carried onto a uniform grid, extended below and faded above the grid, and
// transformed back to time.
#pragma once

#include <string>
#include <vector>

#include "model/complex.h"

namespace sonora {

struct ImpulseSettings {
    double sampleRate = 48000; // Hz; half of it must lie above the grid's highest frequency
    int length = 65536;        // samples of the transform, even, 16 … 2^22
    // Time shown before t = 0, s (rounded to whole samples, less than half the length): the band
    // limit above the grid spreads every impulse a little both ways in time, and the step response
    // reaches its level only with the part before t = 0.
    double preRoll = 1e-3;
};

// How the response was carried into time; shown and exported with it.
struct ImpulseResponse {
    double sampleRate = 0; // Hz
    int length = 0;        // samples
    int zeroSample = 0; // index of t = 0: sample m stands for t = (m − zeroSample) / sampleRate
    // Below lowestFrequency the level follows the slope of the grid's lowest octave (dB per
    // octave, never falling towards low frequencies: a rising slope is held flat) and the phase
    // the group delay of that octave.
    double lowestFrequency = 0; // Hz
    double lowSlope = 0;        // dB per octave
    // From fadeStart to fadeEnd (half the sample rate) the response is faded out by the falling
    // half of a Hann window (cos²), its level held and its phase continued with the group delay
    // of the grid's highest step.
    double fadeStart = 0;        // Hz
    double fadeEnd = 0;          // Hz
    std::vector<double> impulse; // per sample; the samples add up to the response at 0 Hz
    std::vector<double> step;    // running sum of the impulse from the first sample
};

// Between two grid points the level (dB) is interpolated linearly in log frequency and the phase
// linearly in frequency, the phase unwrapped on the way so that each step continues the group
// delay of the step before (a grid too coarse for the phase of a long delay then still finds
// the right turn). `freq` holds n ≥ 2 rising frequencies > 0, `response` the complex values.
// False with a German message (UTF-8) for a grid, response or settings it cannot use.
bool computeImpulseResponse(const double* freq, const Complex* response, int n,
                            const ImpulseSettings& settings, ImpulseResponse& out,
                            std::string& error);

} // namespace sonora
