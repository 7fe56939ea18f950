#include "acoustics/baffle_phasor.h"

#include <cmath>

namespace sonora {

namespace {

// Independent partial sums: a floating-point sum in one accumulator cannot be vectorised without
// reordering it, these lanes can (and the order stays the same on every run).
constexpr int kLanes = 8;

bool fastPathFits(double k, double maxAbsS) {
    return std::abs(k) * maxAbsS <= kFastPhaseLimit;
}

} // namespace

Complex phasorSum(const double* s, const double* w, int count, double k, double maxAbsS) {
    double sumCos = 0.0, sumSin = 0.0;
    int i = 0;
    if (fastPathFits(k, maxAbsS)) {
        double laneCos[kLanes] = {};
        double laneSin[kLanes] = {};
        for (; i + kLanes <= count; i += kLanes) {
            for (int l = 0; l < kLanes; ++l) {
                double sn, cs;
                fastSinCos(k * s[i + l], sn, cs);
                laneCos[l] += w[i + l] * cs;
                laneSin[l] += w[i + l] * sn;
            }
        }
        for (; i < count; ++i) {
            double sn, cs;
            fastSinCos(k * s[i], sn, cs);
            laneCos[0] += w[i] * cs;
            laneSin[0] += w[i] * sn;
        }
        for (int l = 0; l < kLanes; ++l) {
            sumCos += laneCos[l];
            sumSin += laneSin[l];
        }
    } else {
        for (; i < count; ++i) {
            const double phase = k * s[i];
            sumCos += w[i] * std::cos(phase);
            sumSin += w[i] * std::sin(phase);
        }
    }
    return Complex{sumCos, -sumSin};
}

double cosineSum(const double* s, const double* w, int count, double k, double maxAbsS) {
    double sum = 0.0;
    int i = 0;
    if (fastPathFits(k, maxAbsS)) {
        double lane[kLanes] = {};
        for (; i + kLanes <= count; i += kLanes) {
            for (int l = 0; l < kLanes; ++l) {
                double sn, cs;
                fastSinCos(k * s[i + l], sn, cs);
                lane[l] += w[i + l] * cs;
            }
        }
        for (; i < count; ++i) {
            double sn, cs;
            fastSinCos(k * s[i], sn, cs);
            lane[0] += w[i] * cs;
        }
        for (int l = 0; l < kLanes; ++l) {
            sum += lane[l];
        }
    } else {
        for (; i < count; ++i) {
            sum += w[i] * std::cos(k * s[i]);
        }
    }
    return sum;
}

} // namespace sonora
