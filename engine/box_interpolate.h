// A driver's response in an arbitrary direction, interpolated from the 90-direction table
// (Interpolate_FGang_Chas).
#pragma once

#include "model/complex.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

class TCalcThread;

// Weight of the 30° ring inside the cap around the axis in the directivity integration
// (bEFGmode): (√0.75 − 0.25)·4/3 ≈ 0.821 instead of 1.
inline constexpr double kCapRingWeight = (0.86602540378443864676 - 0.25) * 4.0 / 3.0;

// Up to four table directions and their weights; the response in the direction is
// Σ weight[k]·row[index[k]] over k < count.
struct DirectionWeights {
    static constexpr int kMax = 4; // two rings, two azimuth neighbours on each
    int count = 0;
    int index[kMax] = {};
    double weight[kMax] = {};
};

// Interpolation weights for the direction (bgrad, lgrad), radians: bgrad is the angle above the
// baffle plane (π/2 the axis, -π/2 straight back), lgrad the angle around the axis (0 towards +B,
// π/2 towards -A, π towards -B, 3π/2 towards +A; any value, taken modulo 2π).
//
// Between two neighbouring rings the weights are linear in the polar angle, on each ring linear
// in the azimuth between its two neighbouring table directions. The rings are the axis
// (direction 0), 30° and 60° (1..8), 90° (9..12 with the oblique directions 22..29), 120° and
// 150° (13..20) and straight back (21). The oblique directions lie in the baffle plane, between
// the half-planes at 30° steps of azimuth (that is where the turn tables of the baffle model put
// them: (A, B) stands for the unit vector (sin A, sin B, 0)); so the 90° ring has twelve
// directions and the sectors next to it interpolate in 30° steps of azimuth on that ring.
//
// fiveDegreeRings (a driver side with measured directivity, see usesFiveDegreeRings) uses, in
// front of the baffle (bgrad > 0), the rings at every 5° (directions 30..89 through
// fivedegreeGroup, with the 30° and 60° rings at 30° and 60°); its 90° ring is the same twelve-
// direction ring, so the response stays continuous across the baffle plane.
//
// bEFGmode (directivity integration) gives the 30° ring the weight kCapRingWeight inside the
// cap between the axis and 30°; the cap then no longer meets the ring continuously, which the
// energy sum of the integration tolerates and the planes (bEFGmode clear) never see.
//
// Angles within 1e-9 of a ring spacing or an azimuth step of a table direction are taken as
// that direction, so a tabulated direction returns its value exactly. Non-finite angles give
// count 0 (a response of 0).
DirectionWeights directionWeights(double bgrad, double lgrad, bool fiveDegreeRings, bool bEFGmode);

// True when side s of driver d is interpolated on the 5° rings: measured directivity
// (RichtSimu set and nRicht > 3), radiating to the front (direction 0), diaphragm side.
bool usesFiveDegreeRings(const TProjekt& p, int d, int s);

// Σ weight·row[index] over the entries of w; row holds the 90 directions of one response.
inline Complex applyWeights(const Complex* row, const DirectionWeights& w) {
    Complex sum{0.0, 0.0};
    for (int k = 0; k < w.count; ++k) {
        const Complex& v = row[w.index[k]];
        sum.re += w.weight[k] * v.re;
        sum.im += w.weight[k] * v.im;
    }
    return sum;
}

// fgang_chas of driver d, side s at grid index i in the direction (bgrad, lgrad). Indexes outside
// the record give 0.
Complex Interpolate_FGang_Chas(const TProjekt& p, const TResult& res, int i, int d, int s,
                               double bgrad, double lgrad, bool bEFGmode = false);
Complex Interpolate_FGang_Chas(const TCalcThread& calc, int i, int d, int s, double bgrad,
                               double lgrad, bool bEFGmode = false);

} // namespace sonora
