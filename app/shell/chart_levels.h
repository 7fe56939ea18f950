// Conversions of results into what the charts plot: levels, phases in degrees, the summed
// planes of a driver, and the angle sets of the direction charts.
#pragma once

#include <array>
#include <string>

#include "analysis/dir_data.h"
#include "model/complex.h"
#include "model/physics.h"
#include "model/result.h"

namespace sonora {

inline constexpr double kLogGuard = kLevelGuard; // keeps the logarithm of a zero response finite

// 20 · log10(|h| + 1e-50) + 112 dB; a zero response gives about -888 dB.
double responseLevel(const Complex& h);
// The same for a linear magnitude ratio.
double magnitudeLevel(double magnitude);
// The energy response: 20 · log10(|front| / (bmass + 1e-10) + 1e-50) + 112 dB.
double energyLevel(const Complex& front, double bmass);
// The phase of h in degrees, -180 .. 180.
double phaseDegrees(const Complex& h);

// The angle set of the direction charts ("F-Gang Richtungen", sets and captions in
// acoustics/dir_data.h): the front and six angles, degrees; a bad set gives the default.
inline constexpr int kDirectionCurves = kAnglesPerSet;
std::array<int, kDirectionCurves> directionAngles(int set);

enum class DirectionSide { Up, Down, Left, Right };
// The box response towards `side` at `angleDeg` (0 .. 180) and grid index i, from the plane
// results in 1° steps (horizontal + = right as the listener sees it, vertical + = up).
Complex directionResponse(const TResult& r, DirectionSide side, int angleDeg, int i);

// Counts of a result bounded to its arrays, so that a damaged or empty record draws nothing
// instead of reading past the end.
int boundedFreqs(const TResult& r);
int boundedAmps(const TResult& r);
int boundedChassis(const TResult& r);

} // namespace sonora
