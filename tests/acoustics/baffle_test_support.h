// Helpers shared by the baffle model tests: grids, baffles and a heap-held response.
#pragma once

#include <cmath>
#include <complex>
#include <memory>
#include <string>
#include <vector>

#include "acoustics/baffle.h"
#include "model/frequency_grid.h"
#include "model/records.h"

namespace sonora::baffle_test {

using Cx = std::complex<double>;

inline Cx cx(const Complex& z) {
    return {z.re, z.im};
}

struct Response {
    BaffleResponse rows;
};

inline std::unique_ptr<Response> makeResponse() {
    return std::make_unique<Response>();
}

// A geometric grid of `points` from fMin to fMax (Hz) with its terminator, 601 entries.
inline std::vector<double> grid(double fMin, double fMax, int points) {
    std::vector<double> f(kCurvePoints, 0.0);
    BuildFrequencyGrid(fMin, fMax, points, f.data());
    return f;
}

// The 0.2 × 0.3 m baffle with the driver centred, no bevels, all edges on (m).
inline TSchallwand centredBaffle(double swd = 0.1) {
    TSchallwand sw{};
    sw.beugl = sw.beugr = sw.beugo = sw.beugu = true;
    sw.swb = 0.2;
    sw.swh = 0.3;
    sw.swc = 0.1;
    sw.swa = 0.15;
    sw.swd = swd;
    return sw;
}

// A bevelled, off-centre baffle (m).
inline TSchallwand bevelledBaffle() {
    TSchallwand sw{};
    sw.beugl = sw.beugr = sw.beugo = sw.beugu = true;
    sw.swb = 0.25;
    sw.swh = 0.40;
    sw.swc = 0.11;
    sw.swa = 0.26;
    sw.swd = 0.1;
    sw.swe = 0.01;
    sw.swf = 0.02;
    sw.swg = 0.015;
    sw.swi = 0.012;
    return sw;
}

inline void setEdges(TSchallwand& sw, bool on) {
    sw.beugl = sw.beugr = sw.beugo = sw.beugu = on;
}

// Runs CalcBaffle on a fresh driver record of the given membrane form.
inline std::string run(Response& out, const TSchallwand& sw, const std::vector<double>& f,
                       int membranform = 1, const TChassis* chassis = nullptr) {
    auto ch = std::make_unique<TChassis>();
    if (chassis != nullptr) {
        *ch = *chassis;
    }
    std::string text;
    CalcBaffle(out.rows, sw, *ch, text, kBaffleGridCount, f.data(), membranform);
    return text;
}

inline bool allFinite(const Response& r) {
    for (const auto& row : r.rows) {
        for (const Complex& z : row) {
            if (!std::isfinite(z.re) || !std::isfinite(z.im)) {
                return false;
            }
        }
    }
    return true;
}

inline bool allTiny(const Response& r) {
    for (const auto& row : r.rows) {
        for (const Complex& z : row) {
            if (z.re != kTinyResponse.re || z.im != kTinyResponse.im) {
                return false;
            }
        }
    }
    return true;
}

// Piston directivity 2·J1(x)/x.
inline double piston(double x) {
    return x < 1e-12 ? 1.0 : 2.0 * std::cyl_bessel_j(1.0, x) / x;
}

} // namespace sonora::baffle_test
