// Sine and cosine together, the one kernel of every hot loop that turns path lengths into phases
// (the baffle's phasor sums, the box stage's directions and planes, the near field).
//
// Written so the compiler vectorises it: no branches, no library call, one range reduction for
// both values.
#pragma once

#include <bit>
#include <cstdint>

namespace sonora {

// Largest |phase| (rad) for which the fast reduction below is accurate: n·π/2 with |n| < 2^20 is
// subtracted exactly in three parts. Larger phases take the library's sin and cos.
inline constexpr double kFastPhaseLimit = 1.0e6;

// sin x and cos x together for |x| <= kFastPhaseLimit. Measured against std::sin and std::cos:
// the largest absolute difference is 2.2e-16 (2^-52) over 10^6 random phases in
// ±kFastPhaseLimit and over the box stage's ±2·10^4 rad in steps of 0.937 rad, that is one unit in
// the last place of a value near 1 (tests/model/sin_cos_test.cpp holds the bound).
// Reduction x = n·π/2 + r with |r| <= π/4 (π/2 split into three parts so n·part is exact), then
// the usual minimax polynomials on [-π/4, π/4], then the quadrant n mod 4 swaps and negates the
// two values by bit operations instead of branches. NaN and infinity give NaN.
inline void fastSinCos(double x, double& sinX, double& cosX) {
    constexpr double kTwoOverPi = 6.36619772367581382433e-01;
    // Adding 1.5·2^52 rounds to an integer and leaves it in the low bits of the mantissa.
    constexpr double kRoundShift = 6755399441055744.0;
    constexpr double kPiHalf1 = 1.57079632673412561417e+00; // first 33 bits of π/2
    constexpr double kPiHalf2 = 6.07710050630396597660e-11; // next 33 bits
    constexpr double kPiHalf3 = 2.02226624871116645580e-21; // the rest
    constexpr double kS1 = -1.66666666666666324348e-01;
    constexpr double kS2 = 8.33333333332248946124e-03;
    constexpr double kS3 = -1.98412698298579493134e-04;
    constexpr double kS4 = 2.75573137070700676789e-06;
    constexpr double kS5 = -2.50507602534068634195e-08;
    constexpr double kS6 = 1.58969099521155010221e-10;
    constexpr double kC1 = 4.16666666666666019037e-02;
    constexpr double kC2 = -1.38888888888741095749e-03;
    constexpr double kC3 = 2.48015872894767294178e-05;
    constexpr double kC4 = -2.75573143513906633035e-07;
    constexpr double kC5 = 2.08757232129817482790e-09;
    constexpr double kC6 = -1.13596475577881948265e-11;
    constexpr int kSignShift = 62; // moves bit 1 of the quadrant to the sign bit

    const double shifted = x * kTwoOverPi + kRoundShift;
    const double n = shifted - kRoundShift;
    const std::uint64_t quadrant = std::bit_cast<std::uint64_t>(shifted);
    const double r = ((x - n * kPiHalf1) - n * kPiHalf2) - n * kPiHalf3;
    const double z = r * r;
    const double sinR = r + r * z * (kS1 + z * (kS2 + z * (kS3 + z * (kS4 + z * (kS5 + z * kS6)))));
    const double cosR =
        1.0 - 0.5 * z + z * z * (kC1 + z * (kC2 + z * (kC3 + z * (kC4 + z * (kC5 + z * kC6)))));

    // Quadrant 0: (sin r, cos r); 1: (cos r, -sin r); 2: (-sin r, -cos r); 3: (-cos r, sin r).
    const std::uint64_t swap = std::uint64_t{0} - (quadrant & 1);
    const std::uint64_t sinSign = (quadrant & 2) << kSignShift;
    const std::uint64_t cosSign = ((quadrant + 1) & 2) << kSignShift;
    const std::uint64_t s = std::bit_cast<std::uint64_t>(sinR);
    const std::uint64_t c = std::bit_cast<std::uint64_t>(cosR);
    sinX = std::bit_cast<double>(((s & ~swap) | (c & swap)) ^ sinSign);
    cosX = std::bit_cast<double>(((c & ~swap) | (s & swap)) ^ cosSign);
}

// c[i] = cos x[i], s[i] = sin x[i] for i < n with fastSinCos, in a loop the compiler vectorises.
// The box stage's phases stay far below kFastPhaseLimit (k·path < 1e5); a non-finite x gives NaN.
// Relies on strict IEEE arithmetic (no fast-math).
void sinCosArray(const double* x, double* c, double* s, int n);

} // namespace sonora
