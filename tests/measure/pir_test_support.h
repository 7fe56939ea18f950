// Impulse responses for the ".pir" tests: a biquad low-pass with its closed-form response, and
// a builder of ".pir" bytes that does not use the program's writer.
#pragma once

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "measure/pir_file.h"

namespace sonora::measure_test {

// A second-order low-pass made by the bilinear transform (the usual audio biquad).
struct LowPassBiquad {
    double b0, b1, b2, a1, a2;

    LowPassBiquad(double f0, double q, double rate) {
        const double w0 = 2.0 * std::numbers::pi * f0 / rate;
        const double alpha = std::sin(w0) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        b0 = (1.0 - std::cos(w0)) / 2.0 / a0;
        b1 = (1.0 - std::cos(w0)) / a0;
        b2 = b0;
        a1 = -2.0 * std::cos(w0) / a0;
        a2 = (1.0 - alpha) / a0;
    }

    // H(e^{j w}) at frequency f, from the coefficients.
    std::complex<double> response(double f, double rate) const {
        const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * f / rate);
        return (b0 + b1 * z1 + b2 * z1 * z1) / (1.0 + a1 * z1 + a2 * z1 * z1);
    }

    // The impulse response, starting at sample `onset`, `len` samples in all.
    std::vector<float> impulse(int len, int onset) const {
        std::vector<float> h(static_cast<std::size_t>(len), 0.0f);
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (int n = onset; n < len; ++n) {
            const double x = n == onset ? 1.0 : 0.0;
            const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            h[static_cast<std::size_t>(n)] = static_cast<float>(y);
        }
        return h;
    }
};

// A Tpir holding `samples` at `rate` Hz with the given input sensitivity.
inline Tpir pirOf(const std::vector<float>& samples, int rate, float devicesens = 1.0f) {
    Tpir pir;
    std::memcpy(pir.pirHeader.filesignature, "PIR", 4);
    pir.pirHeader.samplerate = rate;
    pir.pirHeader.fskHz = static_cast<float>(rate / 1000.0);
    pir.pirHeader.len = static_cast<std::int32_t>(samples.size());
    pir.pirHeader.devicesens = devicesens;
    pir.pirData = samples;
    return pir;
}

} // namespace sonora::measure_test
