#include "engine/box_group_delay.h"

#include "engine/box_sum.h"
#include "model/physics.h"

#include <cmath>
#include <numbers>

namespace sonora {

void groupDelay(const Complex* h, const double* freq, int n, double* tau) {
    if (n <= 0) {
        return;
    }
    // Unwrapped phase: each step reduced to (-π, π]. Points of zero magnitude have no phase; the
    // unwrapping goes on from the last point that has one.
    double phase[kResultFreqs];
    bool has[kResultFreqs];
    n = n < kResultFreqs ? n : kResultFreqs;
    double previous = 0.0;
    bool started = false;
    for (int i = 0; i < n; ++i) {
        has[i] = h[i].re != 0.0 || h[i].im != 0.0;
        if (!has[i]) {
            phase[i] = 0.0;
            continue;
        }
        const double arg = CArg(h[i]);
        if (!started) {
            phase[i] = arg;
            started = true;
        } else {
            phase[i] = previous + std::remainder(arg - previous, kTwoPi);
        }
        previous = phase[i];
    }
    for (int i = 0; i < n; ++i) {
        tau[i] = 0.0;
        if (!has[i]) {
            continue;
        }
        const int lo = (i > 0 && has[i - 1]) ? i - 1 : i;
        const int hi = (i + 1 < n && has[i + 1]) ? i + 1 : i;
        const double dw = kTwoPi * (freq[hi] - freq[lo]);
        if (lo != hi && dw > 0.0) {
            tau[i] = -(phase[hi] - phase[lo]) / dw;
        }
    }
}

void fillGroupDelays(TResult& res, const double* freq, int n) {
    n = n < kResultFreqs ? n : kResultFreqs;
    Complex h[kResultFreqs];
    for (int d = 0; d < kMaxChassis; ++d) {
        for (int i = 0; i < n; ++i) {
            h[i] = driverOnAxis(res, d, i);
        }
        groupDelay(h, freq, n, res.fgang_glz[d]);
    }
    for (int i = 0; i < n; ++i) {
        h[i] = res.fgang_box[i][0];
    }
    groupDelay(h, freq, n, res.fgang_glz[kBoxSlot]);
}

} // namespace sonora
