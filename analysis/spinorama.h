// The spinorama of a finished result: on axis, listening window, early reflections and their five
// groups, sound power, the predicted in-room response and the two directivity indices, all built
// from the horizontal and vertical planes of the box, plus the preference rating computed from
// them.
#pragma once

#include <cstdint>
#include <type_traits>

#include "analysis/preference_rating.h"
#include "model/complex.h"
#include "model/result.h"

namespace sonora {

// The curves, in the order the tables and charts show them. Levels are dB with 112 dB for a
// pressure of magnitude 1; the two directivity indices are level differences (dB, no offset).
enum class SpinCurve : std::uint8_t {
    OnAxis,
    ListeningWindow,
    EarlyReflections,
    SoundPower,
    InRoom,       // predicted in-room response
    EarlyDi,      // listening window minus early reflections
    SoundPowerDi, // listening window minus sound power
    Floor,        // the five groups of the early reflections
    Ceiling,
    FrontWall,
    SideWalls,
    RearWall,
};
inline constexpr int kSpinCurves = 12;
inline constexpr int kSpinMainCurves = 7; // OnAxis .. SoundPowerDi
inline constexpr int kSpinGroups = 5;     // Floor .. RearWall
inline constexpr int kSpinFirstGroup = static_cast<int>(SpinCurve::Floor);

// German caption of a curve (Latin-1): "Achse", "Hörfenster", ..., "Rückwand".
const char* spinCurveCaption(SpinCurve curve);
// True for the two directivity indices, which are differences and belong on their own axis.
bool spinCurveIsDi(SpinCurve curve);

// All curves at one frequency, indexed by SpinCurve.
struct SpinLevels {
    double level[kSpinCurves];
};

// The curves at one frequency from the two planes of that frequency: `horizontal` and `vertical`
// hold kPlaneAngles complex pressures each, index = angle + 180° in 1° steps (the layout of
// fgang_box_h and fgang_box_v, see spinorama.cpp for the sign of the angles).
SpinLevels spinLevelsAt(const Complex* horizontal, const Complex* vertical);

// Weight of a sound-power point that stands `degrees` away from the axis (0 … 180; beyond 90° it
// is folded to 180° − a). Only the multiples of 10° are sound-power points; other angles give 0.
double soundPowerWeight(int degrees);
// Solid angle (sr) of the spherical rectangle bounded by the great circles at ±x in both planes,
// x in radians, 0 ≤ x ≤ π/2.
double spinSquareArea(double x);

// Everything shown and exported: the curves per grid point and the rating made from them.
struct Spinorama {
    std::int32_t nfreq;                      // grid points used (0 … 256)
    double freq[kResultFreqs];               // Hz, as in the result
    double curve[kSpinCurves][kResultFreqs]; // dB per grid point, indexed by SpinCurve
    PreferenceRating rating;
};
static_assert(std::is_trivially_copyable_v<Spinorama>, "a flat record, copied whole");

// The spinorama of `nfreq` grid points of two plane arrays laid out as fgang_box_h/fgang_box_v.
// nfreq is limited to 0 … kResultFreqs − 1.
void computeSpinorama(const double* freq, int nfreq, const Complex (*horizontal)[kPlaneAngles],
                      const Complex (*vertical)[kPlaneAngles], Spinorama& out);

// The spinorama of a finished result (its grid, fgang_box_h and fgang_box_v).
void computeSpinorama(const TResult& result, Spinorama& out);

} // namespace sonora
