// A driver's response in an arbitrary direction, interpolated from the 90-direction table
// (Interpolate_FGang_Chas).
#pragma once

#include "model/complex.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

class TCalcThread;

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
// The directivity integration and the planes use the same weights. A weight of
// (√0.75 − 0.25)·4/3 ≈ 0.821 on the 30° ring was once given to the integration; applied inside the
// cap between the axis and 30° only (reading A) it makes a −1.7 dB step at 30°, applied on both
// sides of the ring (B) it keeps the field continuous but lifts everything. Directivity index
// (dB) by the integration of the box stage (771 samples) over the 30° rings, against closed forms:
//
//   field (table on the 30° rings)        exact    A       B       without weight
//   omnidirectional                        0.00    0.06    0.19    0.00
//   cardioid (1 + cos θ)/2                 4.77    4.99    5.32    4.82
//   dipole |cos θ|                         4.77    5.13    5.39    4.97
//   piston in a baffle, ka = 0.1           3.02    2.43    2.65    2.32
//                       ka = 1             3.73    3.20    3.45    3.08
//                       ka = 3             9.16    9.25    9.74    8.94
//                       ka = 5            14.02   14.75   15.07   14.35
//
// The piston's low-ka shortfall comes from the linear step between the 90° and the 120° ring
// that every reading shares; the weight only offsets it by lifting every field, the omnidirectional
// one included. So no ring carries a weight of its own: the field is continuous everywhere.
//
// Angles within 1e-9 of a ring spacing or an azimuth step of a table direction are taken as
// that direction, so a tabulated direction returns its value exactly. Non-finite angles give
// count 0 (a response of 0).
DirectionWeights directionWeights(double bgrad, double lgrad, bool fiveDegreeRings);

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

// applyWeights for weights kept four to a direction in flat arrays (unused entries weight 0 at
// index 0), without the loop: the form the hot loops of the planes and the sphere use. The same
// sum as applyWeights, term by term in the same order.
inline Complex applyFourWeights(const Complex* row, const int* index, const double* weight) {
    static_assert(DirectionWeights::kMax == 4);
    Complex sum;
    sum.re = weight[0] * row[index[0]].re + weight[1] * row[index[1]].re +
             weight[2] * row[index[2]].re + weight[3] * row[index[3]].re;
    sum.im = weight[0] * row[index[0]].im + weight[1] * row[index[1]].im +
             weight[2] * row[index[2]].im + weight[3] * row[index[3]].im;
    return sum;
}

// fgang_chas of driver d, side s at grid index i in the direction (bgrad, lgrad). Indexes outside
// the record give 0.
Complex Interpolate_FGang_Chas(const TProjekt& p, const TResult& res, int i, int d, int s,
                               double bgrad, double lgrad);
Complex Interpolate_FGang_Chas(const TCalcThread& calc, int i, int d, int s, double bgrad,
                               double lgrad);

} // namespace sonora
