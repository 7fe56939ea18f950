#include "model/interpolate.h"

#include <cmath>

#include "model/records.h"

namespace sonora {

namespace {

// Last index a curve array may hold.
constexpr int kLastCurveIndex = kCurvePoints - 1;

// Rounded pi and 2 pi of the phase unwrapping. The rounded values are part of the program's
// behaviour (a pair 3.0 / -3.0 meets in the middle at 3.1416), so they are not std::numbers::pi.
constexpr double kWrapPi = 3.1416;
constexpr double kWrapTwoPi = 6.2832;

// Shape constants of the smoothing weight A^3 / ((A^2 + a) (A^2 + b)), A = 1 at the window centre
// falling to 0 at its edge.
constexpr double kWeightShapeA = 0.25;
constexpr double kWeightShapeB = 0.4;

// Where x falls in the data: k is the first index >= 1 with x <= f[k] or f[k] <= 0. beyond is set
// when x lies past the data (f[k] <= 0); the last data point is then k - 1. Without a terminator in
// the array the search ends at index 600 as the last data point and k is reported as 601, one past
// the array, which is never read.
struct Segment {
    int k;
    bool beyond;
};

Segment findSegment(const double* f, double x) {
    for (int k = 1; k <= kLastCurveIndex; ++k) {
        if (f[k] <= 0.0) {
            return Segment{k, true};
        }
        if (x <= f[k]) {
            return Segment{k, false};
        }
    }
    return Segment{kCurvePoints, true};
}

// Linear in frequency through the points (f0, y0) and (f1, y1), evaluated at x; f0 != f1.
double lineThrough(double f0, double y0, double f1, double y1, double x) {
    return y0 + (x - f0) / (f1 - f0) * (y1 - y0);
}

// Value between k - 1 and k of a segment inside the data; the left value where both share a
// frequency.
double interpolateInside(const double* f, const double* y, int k, double x) {
    if (f[k] != f[k - 1]) {
        return lineThrough(f[k - 1], y[k - 1], f[k], y[k], x);
    }
    return y[k - 1];
}

} // namespace

double InterpolateSmoothed(const double* f, const double* y, double x, double width) {
    if (f[0] > x) {
        return y[0];
    }
    const Segment s = findSegment(f, x);
    double result = s.beyond ? y[s.k - 1] : interpolateInside(f, y, s.k, x);
    if (width > 0.0) {
        // x >= f[0] here, so x > 0 whenever the loop body runs.
        double sumW = 0.0;
        double sumWy = 0.0;
        for (int l = 0; l <= kLastCurveIndex && f[l] > 0.0; ++l) {
            const double u = std::fabs(f[l] - x) / x;
            if (u < width) {
                const double a = (width - u) / width;
                const double a2 = a * a;
                const double w = a2 * a / ((a2 + kWeightShapeA) * (a2 + kWeightShapeB));
                sumW += w;
                sumWy += w * y[l];
            } else if (f[l] > x) {
                // Frequencies ascend, so every later point lies even further above the window.
                break;
            }
        }
        if (sumW > 0.0) {
            result = sumWy / sumW;
        }
    }
    return result;
}

double InterpolatePhase(const double* f, const double* phi, double x) {
    if (f[0] > x) {
        return phi[0];
    }
    const Segment s = findSegment(f, x);
    const int k = s.k;
    if (s.beyond || f[k] == f[k - 1]) {
        return phi[k - 1];
    }
    double a = phi[k - 1];
    double b = phi[k];
    if (a * b >= 0.0 || std::fabs(a - b) <= kWrapPi) {
        return lineThrough(f[k - 1], a, f[k], b, x);
    }
    // The pair straddles the wrap: lift the negative value by one turn and fold the result back.
    if (a < 0.0) {
        a += kWrapTwoPi;
    } else {
        b += kWrapTwoPi;
    }
    double result = lineThrough(f[k - 1], a, f[k], b, x);
    if (result > kWrapPi) {
        result -= kWrapTwoPi;
    }
    return result;
}

double InterpolateExtrapolate(const double* f, const double* y, double x) {
    if (f[0] > x) {
        // A second point is needed for the line; a one-point curve (f[1] is the terminator) gives
        // its only value.
        if (f[1] > 0.0 && f[0] != f[1]) {
            return lineThrough(f[0], y[0], f[1], y[1], x);
        }
        return y[0];
    }
    const Segment s = findSegment(f, x);
    const int k = s.k;
    if (s.beyond) {
        if (k >= 2 && f[k - 1] != f[k - 2]) {
            // Continue the last segment, measured from the last point.
            return y[k - 1] + (x - f[k - 1]) / (f[k - 1] - f[k - 2]) * (y[k - 1] - y[k - 2]);
        }
        return y[k - 1];
    }
    return interpolateInside(f, y, k, x);
}

} // namespace sonora
