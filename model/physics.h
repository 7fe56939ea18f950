// The physical constants and numerical guards every stage computes with. Each has one home here,
// so that the baffle, the box stage, the near field and the views of a finished result cannot drift
// apart.
#pragma once

#include <numbers>

namespace sonora {

inline constexpr double kTwoPi = 2.0 * std::numbers::pi;
inline constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
inline constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

// Speed of sound in air the whole program assumes, m/s (about 21 °C).
inline constexpr double kSpeedOfSound = 344.0;

// A level in dB is this factor times log10 of an amplitude (pressure, voltage) ratio.
inline constexpr double kDecibelFactor = 20.0;

// Responses are pressure ratios; a magnitude of 1 is this level at 2,83 V and 1 m, dB.
inline constexpr double kLevelOfUnity = 112.0;

// Added to a magnitude before its logarithm, so that a silent point has a finite level
// (20·log10(1e-50) + 112 = -888 dB); also the level of unused driver slots.
inline constexpr double kLevelGuard = 1e-50;

} // namespace sonora
