#include "acoustics/baffle_edges.h"

#include <cmath>

namespace sonora {

namespace {

// Ray step: 4π/960 = 0.75°, in the program's rounding of 4π.
constexpr double kRayStep = 12.5663708 / kEdgePoints;
// Quarter turns as the corner tests use them, rad.
constexpr double kQuarter = 1.5707963;
constexpr double kHalf = 3.1415926;
constexpr double kThreeQuarters = 4.7123889;
// Upper ray limits of the five loops, rad: they end a loop whose corner test does not end it
// before the tangent passes its pole.
constexpr double kTopLimit = 1.57;
constexpr double kLeftLimit = 3.14;
constexpr double kBottomLimit = 4.71;
constexpr double kRightLimit = 6.28;
constexpr double kTurnLimit = 6.2831852;
// Extra length of the way over a 45° bevel of width g: (√2 − 1)·g.
constexpr double kBevelExtra = 0.41421356;
// Offsets that keep a driver exactly on an edge away from a division by zero, m.
constexpr double kOffsetA = 2e-10;
constexpr double kOffsetH = 1e-10;
constexpr double kOffsetB = 2e-10;
constexpr double kOffsetC = 1e-10;

// One rectangle (outer or inner outline) as seen from the driver centre.
struct Outline {
    double top;                                          // distance to the top edge, m
    double left;                                         // distance to the left edge, m
    double bottom;                                       // distance to the bottom edge, m
    double right;                                        // distance to the right edge, m
    double bevelTop, bevelLeft, bevelBottom, bevelRight; // bevel widths (outer points only), m
    bool outer;
};

// One pass of five loops around the outline; writes up to kEdgePointsPerPass points.
int tracePass(const Outline& o, const TSchallwand& sw, double weight, EdgePoint* out, int room) {
    const int limit = room < kEdgePointsPerPass ? room : kEdgePointsPerPass;
    int count = 0;
    double phi = 0.0;
    const auto emit = [&](double x, double y, double bevel, bool on, char side) {
        EdgePoint& p = out[count++];
        p.x = x;
        p.y = y;
        p.z = o.outer ? -bevel : 0.0;
        p.r = std::sqrt(x * x + y * y) + (o.outer ? kBevelExtra * bevel : 0.0);
        p.phi = phi;
        p.w = on ? weight : 0.0;
        p.label = {side, o.outer ? side : '\0', '\0'};
        phi += kRayStep;
    };
    const auto top = [&] { emit(-std::tan(phi) * o.top, o.top, o.bevelTop, sw.beugo, 'o'); };
    while (count < limit && std::tan(phi) < o.left / o.top && phi < kTopLimit) {
        top();
    }
    while (count < limit && std::tan(phi - kQuarter) < o.bottom / o.left && phi < kLeftLimit) {
        emit(-o.left, -o.left * std::tan(phi - kQuarter), o.bevelLeft, sw.beugl, 'l');
    }
    while (count < limit && std::tan(phi - kHalf) < o.right / o.bottom && phi < kBottomLimit) {
        emit(o.bottom * std::tan(phi - kHalf), -o.bottom, o.bevelBottom, sw.beugu, 'u');
    }
    while (count < limit && std::tan(phi - kThreeQuarters) < o.top / o.right && phi < kRightLimit) {
        emit(o.right, o.right * std::tan(phi - kThreeQuarters), o.bevelRight, sw.beugr, 'r');
    }
    while (count < limit && phi < kTurnLimit) {
        top();
    }
    return count;
}

} // namespace

int BuildEdgePoints(EdgePoint* points, int capacity, const TSchallwand& sw,
                    const BaffleTuning& tuning) {
    const double a = sw.swa + kOffsetA;
    const double h = sw.swh + kOffsetH;
    const double b = sw.swb + kOffsetB;
    const double c = sw.swc + kOffsetC;
    const double top = h - a;
    const double right = b - c;
    const Outline outer{top, c, a, right, sw.swg, sw.swe, sw.swi, sw.swf, true};
    const Outline inner{top - sw.swg, c - sw.swe, a - sw.swi, right - sw.swf, 0, 0, 0, 0, false};
    int count = tracePass(outer, sw, tuning.outerEdgeWeight / kEdgePoints, points, capacity);
    count += tracePass(inner, sw, tuning.innerEdgeWeight / kEdgePoints, points + count,
                       capacity - count);
    return count;
}

} // namespace sonora
