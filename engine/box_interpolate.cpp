#include "engine/box_interpolate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/direction_set.h"
#include "engine/calc_thread.h"

namespace sonora {

namespace {

using std::numbers::pi;

constexpr double kSnap = 1e-9;              // in ring spacings or azimuth steps
constexpr double kQuarterTurn = pi / 2.0;   // azimuth step of a four-direction ring, rad
constexpr double kTwelfthTurn = pi / 6.0;   // azimuth step of the 90° ring, rad
constexpr double kWideRingStep = pi / 6.0;  // 30° between the rings of the table, rad
constexpr double kFineRingStep = pi / 36.0; // 5° between the measured rings, rad
constexpr int kWideIntervals = 6;           // axis, 30°, ..., 150°, back
constexpr int kFineIntervals = 18;          // axis, 5°, ..., 90°
constexpr int kMinMeasuredDirections = 4;   // nRicht > 3: enough measured angles

constexpr int kAxis = 0;
constexpr int kBack = 21;
// The 90° ring in azimuth order, 30° apart: +B, the two obliques towards -A, -A, ...
constexpr int kBaffleRing[12] = {9, 22, 23, 10, 24, 25, 11, 26, 27, 12, 28, 29};

// A ring of the table: one direction (a pole), four (one per half-plane, base + q) or the twelve
// of the 90° ring.
struct Ring {
    int points;
    int base;
};

Ring wideRing(int j) {
    if (j == 0) {
        return {1, kAxis};
    }
    if (j == kWideIntervals) {
        return {1, kBack};
    }
    if (j == kWideIntervals / 2) {
        return {12, 0};
    }
    // 30° ring: 1..4, 60°: 5..8, 120°: 13..16, 150°: 17..20.
    return {kHalfPlanes, 1 + kHalfPlanes * (j - 1)};
}

Ring fineRing(int j) {
    if (j == 0) {
        return {1, kAxis};
    }
    if (j == kFineIntervals) {
        return {12, 0};
    }
    return {kHalfPlanes, fivedegreeGroup(j)};
}

// Position x (in steps) split into an integer part below `intervals` and a fraction in [0, 1];
// values within kSnap of an integer are taken as that integer.
void splitSteps(double x, int intervals, int& j, double& t) {
    const double nearest = std::round(x);
    if (std::abs(x - nearest) < kSnap) {
        x = nearest;
    }
    x = std::clamp(x, 0.0, static_cast<double>(intervals));
    j = std::min(static_cast<int>(std::floor(x)), intervals - 1);
    t = x - j;
}

void add(DirectionWeights& w, int index, double weight) {
    if (weight != 0.0) {
        w.index[w.count] = index;
        w.weight[w.count] = weight;
        ++w.count;
    }
}

// Adds the ring's two azimuth neighbours of psi (rad, in [0, 2π)) with the total weight.
void addRing(DirectionWeights& w, Ring ring, double psi, double weight) {
    if (ring.points == 1) {
        add(w, ring.base, weight);
        return;
    }
    const double step = ring.points == kHalfPlanes ? kQuarterTurn : kTwelfthTurn;
    int m = 0;
    double u = 0.0;
    splitSteps(psi / step, ring.points, m, u);
    const int next = (m + 1) % ring.points;
    if (ring.points == kHalfPlanes) {
        add(w, ring.base + m, weight * (1.0 - u));
        add(w, ring.base + next, weight * u);
    } else {
        add(w, kBaffleRing[m], weight * (1.0 - u));
        add(w, kBaffleRing[next], weight * u);
    }
}

} // namespace

DirectionWeights directionWeights(double bgrad, double lgrad, bool fiveDegreeRings) {
    DirectionWeights w;
    if (!std::isfinite(bgrad) || !std::isfinite(lgrad)) {
        return w;
    }
    const double theta = std::clamp(pi / 2.0 - bgrad, 0.0, pi); // polar angle from the axis
    double psi = std::fmod(lgrad, 2.0 * pi);
    if (psi < 0.0) {
        psi += 2.0 * pi;
    }
    if (psi >= 2.0 * pi) {
        psi = 0.0; // a tiny negative lgrad rounds up to a full turn
    }

    const bool fine = fiveDegreeRings && bgrad > 0.0;
    const int intervals = fine ? kFineIntervals : kWideIntervals;
    int j = 0;
    double t = 0.0;
    splitSteps(theta / (fine ? kFineRingStep : kWideRingStep), intervals, j, t);
    const Ring inner = fine ? fineRing(j) : wideRing(j);
    const Ring outer = fine ? fineRing(j + 1) : wideRing(j + 1);
    addRing(w, inner, psi, 1.0 - t);
    addRing(w, outer, psi, t);
    return w;
}

bool usesFiveDegreeRings(const TProjekt& p, int d, int s) {
    if (d < 0 || d >= kMaxChassis || s != 0) {
        return false;
    }
    const TRicht& richt = p.chassis[d].Richt;
    return richt.RichtSimu != 0 && richt.nRicht >= kMinMeasuredDirections &&
           p.schallwand[d].direction == 0;
}

Complex Interpolate_FGang_Chas(const TProjekt& p, const TResult& res, int i, int d, int s,
                               double bgrad, double lgrad) {
    if (i < 0 || i >= kResultFreqs || d < 0 || d >= kMaxChassis || s < 0 || s >= kSides) {
        return Complex{0.0, 0.0};
    }
    const DirectionWeights w = directionWeights(bgrad, lgrad, usesFiveDegreeRings(p, d, s));
    return applyWeights(res.fgang_chas[d][s][i], w);
}

Complex Interpolate_FGang_Chas(const TCalcThread& calc, int i, int d, int s, double bgrad,
                               double lgrad) {
    return Interpolate_FGang_Chas(*calc.aktProjekt, *calc.Res, i, d, s, bgrad, lgrad);
}

} // namespace sonora
