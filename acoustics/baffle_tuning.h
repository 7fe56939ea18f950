// Tuning values of the baffle edge model and their start values.
//
// Merge width, edge weights and the angle-dependent coefficient table SW_EDGEWEIGHT.
#pragma once

namespace sonora {

// Rows of SW_EDGEWEIGHT: 0..18 are 0°, 5°, ..., 90°; 19, 20, 21 are 120°, 150°, 180°.
inline constexpr int kEdgeWeightRows = 22;
inline constexpr int kFiveDegreeRows = 19; // rows 0..18
// Groups: inner points of the bevel, outer points, and an unused "behind" group (all zero).
inline constexpr int kEdgeGroups = 3;
inline constexpr int kGroupInner = 0; // "innen"
inline constexpr int kGroupOuter = 1; // "außen"
// Coefficients: base share, share growing towards the observer's side, concentrated share of the
// point that faces the observer.
inline constexpr int kEdgeCoefficients = 3;
inline constexpr int kCoefBase = 0;
inline constexpr int kCoefSide = 1;
inline constexpr int kCoefFacing = 2;

struct BaffleTuning {
    double mergeFraction;   // path lengths closer than this share of the wavelength are merged
    double outerEdgeWeight; // total base weight of the outer points (each gets 1/960 of it)
    double innerEdgeWeight; // total base weight of the inner points
    double SW_EDGEWEIGHT[kEdgeWeightRows][kEdgeGroups][kEdgeCoefficients];
};

// The start values, fitted to measurements of real baffles.
extern const BaffleTuning kStartBaffleTuning;

// The values in use: a copy, taken under a lock, so a run reads one consistent set even while the
// developer tool of the edge-weight table changes them.
BaffleTuning baffleTuning();

// Replaces the values in use (developer tool); thread-safe. Runs already started keep the copy they
// took.
void setBaffleTuning(const BaffleTuning& tuning);

} // namespace sonora
