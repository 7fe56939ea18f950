#include "acoustics/baffle_paths.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/baffle_phasor.h"
#include "acoustics/direction_set.h"
#include "model/physics.h"

namespace sonora {

namespace {

constexpr double kRingStep = 5.0;     // degrees between the rows 0..18 of SW_EDGEWEIGHT
constexpr double kWideStep = 30.0;    // degrees between the rows 18..21
constexpr int kWideRowOffset = 15;    // 120° / 30° + 15 = row 19
constexpr double kSideShare = 0.6667; // scale of the side share against its table value
// The concentrated share is given per point of a whole pass.
constexpr double kFacingScale = kEdgePointsPerPass;
// Points facing the observer: top, left, bottom, right (0°, 90°, 180°, 270° in 0.75° steps).
constexpr int kPointTop = 0;
constexpr int kPointLeft = 120;
constexpr int kPointBottom = 240;
constexpr int kPointRight = 360;
constexpr int kStartGap = 321;
constexpr int kGapDivisor = 3;
constexpr int kFirstInPlane = 22; // directions 22..29 lie in the baffle plane
constexpr int kLastInPlane = 29;

// Row of SW_EDGEWEIGHT for a polar angle θ (degrees).
int weightRow(double theta) {
    int e = static_cast<int>(std::lround(std::abs(theta) / kRingStep));
    if (e > kFiveDegreeRows - 1) {
        e = static_cast<int>(std::lround(std::abs(theta) / kWideStep)) + kWideRowOffset;
    }
    return std::min(e, kEdgeWeightRows - 1);
}

void updateMaxAbs(PathList& list) {
    double m = 0.0;
    for (int i = 0; i < list.count; ++i) {
        m = std::max(m, std::abs(list.s[i]));
    }
    list.maxAbsS = m;
}

} // namespace

void BuildPathList(PathList& list, const EdgePoint* points, int n, const BaffleTuning& tuning) {
    const auto& table = tuning.SW_EDGEWEIGHT;
    if (n >= kFirstInPlane && n <= kLastInPlane) {
        list.count = 0;
        list.maxAbsS = 0.0;
        list.w[0] = kEndMark;
        return;
    }
    const DirectionAngle angle = DirectionAngles(n);
    if (n == 0) {
        for (int i = 0; i < kEdgePoints; ++i) {
            const EdgePoint& p = points[i];
            // Two-character labels are the outer points.
            const int g = p.label[1] != '\0' ? kGroupOuter : kGroupInner;
            list.s[i] = p.r - p.z;
            list.w[i] =
                p.w * (table[0][g][kCoefBase] + table[0][g][kCoefSide] + table[0][g][kCoefFacing]);
        }
    } else {
        const bool vertical = angle.A == 0.0;
        const double theta = vertical ? angle.B : angle.A;
        const double cosT = std::cos(theta * kRadiansPerDegree);
        const double sinT = std::sin(theta * kRadiansPerDegree);
        const int e = weightRow(theta);
        for (int i = 0; i < kEdgePoints; ++i) {
            const EdgePoint& p = points[i];
            const int g = i < kEdgePointsPerPass ? kGroupOuter : kGroupInner;
            const double lateral = vertical ? p.y : p.x;
            list.s[i] = p.r - p.z * cosT - lateral * sinT;
            // The side share grows towards the edge on the observer's side.
            double q;
            if (vertical) {
                q = theta >= 0.0 ? 1.0 + std::cos(p.phi) : 1.0 - std::cos(p.phi);
            } else {
                q = theta >= 0.0 ? 1.0 - std::sin(p.phi) : 1.0 + std::sin(p.phi);
            }
            list.w[i] =
                p.w * table[e][g][kCoefBase] + kSideShare * p.w * table[e][g][kCoefSide] * q * q;
        }
        // The concentrated share of the outer point uses group 0 and that of the inner point
        // group 1: the table values were fitted for exactly this assignment.
        int facing;
        if (vertical) {
            facing = theta >= 0.0 ? kPointTop : kPointBottom;
        } else {
            facing = theta >= 0.0 ? kPointRight : kPointLeft;
        }
        const int inner = facing + kEdgePointsPerPass;
        list.w[facing] += points[facing].w * table[e][kGroupInner][kCoefFacing] * kFacingScale;
        list.w[inner] += points[inner].w * table[e][kGroupOuter][kCoefFacing] * kFacingScale;
    }
    list.count = kEdgePoints;
    sortPathList(list);
    updateMaxAbs(list);
}

void sortPathListByPasses(PathList& list) {
    const int count = list.count;
    int gap = kStartGap;
    for (;;) {
        bool swapped = false;
        for (int i = 0; i + gap < count; ++i) {
            if (list.s[i] < list.s[i + gap]) {
                std::swap(list.s[i], list.s[i + gap]);
                std::swap(list.w[i], list.w[i + gap]);
                swapped = true;
            }
        }
        if (!swapped) {
            if (gap == 1) {
                return;
            }
            gap = gap / kGapDivisor + 1;
        }
    }
}

// Passes at one gap until none swaps sort every chain i, i + gap, i + 2·gap, ... by swapping only
// strictly unordered neighbours: that is a stable sort of each chain. So each gap is done with a
// stable insertion sort of the chains, which gives exactly the order of the passes with fewer
// moves. NaN is no ordering for that: such lists (already doomed to a non-finite result) take the
// passes.
void sortPathList(PathList& list) {
    const int count = list.count;
    for (int i = 0; i < count; ++i) {
        if (std::isnan(list.s[i])) {
            sortPathListByPasses(list);
            return;
        }
    }
    double* s = list.s;
    double* w = list.w;
    int gap = kStartGap;
    for (;;) {
        for (int i = gap; i < count; ++i) {
            const double si = s[i], wi = w[i];
            int j = i;
            for (; j >= gap && s[j - gap] < si; j -= gap) {
                s[j] = s[j - gap];
                w[j] = w[j - gap];
            }
            s[j] = si;
            w[j] = wi;
        }
        if (gap == 1) {
            return;
        }
        gap = gap / kGapDivisor + 1;
    }
}

void MergePathList(PathList& list, double lambda, const BaffleTuning& tuning) {
    const double epsilon = tuning.mergeFraction * lambda;
    double* s = list.s;
    double* w = list.w;
    const int end = list.count;
    const auto ended = [&](int j) { return j >= end || w[j] <= kEndMarkLimit; };
    int i = 0, j = 0;
    double maxAbs = 0.0;
    for (;;) {
        while (j < end && w[j] == 0.0) {
            ++j; // sources of switched-off edges carry nothing
        }
        if (ended(j)) {
            break;
        }
        double sNew, wNew;
        if (!ended(j + 1) && std::abs(s[j] - s[j + 1]) < epsilon) {
            const double f = w[j] / (w[j] + w[j + 1]);
            sNew = f * s[j] + (1.0 - f) * s[j + 1];
            wNew = w[j] + w[j + 1];
            j += 2;
        } else {
            sNew = s[j];
            wNew = w[j];
            j += 1;
        }
        s[i] = sNew;
        w[i] = wNew;
        maxAbs = std::max(maxAbs, std::abs(sNew));
        ++i;
    }
    list.count = i;
    list.maxAbsS = maxAbs;
    if (i < kEdgePoints) {
        w[i] = kEndMark;
    }
}

Complex SumEdges(const PathList& list, double lambda) {
    const double k = 2.0 * std::numbers::pi / lambda;
    return phasorSum(list.s, list.w, list.count, k, list.maxAbsS);
}

} // namespace sonora
