#include "engine/box_phase.h"

#include <cmath>
#include <numbers>

namespace sonora {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0; // rad per degree
constexpr double kRingStep = 30.0;                   // degrees between the rings of the table
constexpr int kRingHalfPlanes = 4;                   // +B, -A, -B, +A

// Adding and subtracting 1.5·2^52 rounds a double below 2^51 to the nearest integer, in vector
// registers and without a library call.
constexpr double kRoundMagic = 6755399441055744.0;
constexpr double kTwoOverPi = 0.63661977236758134308;
// π/2 in three parts (Cody-Waite): j·kPio2a and j·kPio2b are exact for the j that occur, so the
// reduced argument keeps its accuracy.
constexpr double kPio2a = 2.0 * 7.85398125648498535156E-1;
constexpr double kPio2b = 2.0 * 3.77489470793079817668E-8;
constexpr double kPio2c = 2.0 * 2.69515142907905952645E-15;
// Minimax polynomials of sin and cos on [-π/4, π/4] (Cephes), highest power first.
constexpr double kSin[6] = {1.58962301576546568060E-10, -2.50507477628578072866E-8,
                            2.75573136213857245213E-6,  -1.98412698295895385996E-4,
                            8.33333333332211858878E-3,  -1.66666666666666307295E-1};
constexpr double kCos[6] = {-1.13585365213876817300E-11, 2.08757008419747316778E-9,
                            -2.75573141792967388112E-7,  2.48015872888517045348E-5,
                            -1.38888888888730564116E-3,  4.16666666666665929218E-2};

inline double roundToInteger(double x) {
    return (x + kRoundMagic) - kRoundMagic;
}

} // namespace

double directionProjection(int r, double depth, double vertical, double horizontal) {
    const int v = ((r + 3) % kRingHalfPlanes) + 1;
    const double theta = ((r + 3) / kRingHalfPlanes) * kRingStep * kDegree;
    const double c = std::cos(theta), s = std::sin(theta);
    switch (v) {
    case 1:
        return depth * c + vertical * s;
    case 2:
        return depth * c - horizontal * s;
    case 3:
        return depth * c - vertical * s;
    default:
        return depth * c + horizontal * s;
    }
}

double DirectionPhase(int r, double f, double depth, double vertical, double horizontal) {
    return phasePerMetre(f) * directionProjection(r, depth, vertical, horizontal);
}

void sinCosArray(const double* __restrict x, double* __restrict c, double* __restrict s, int n) {
    for (int i = 0; i < n; ++i) {
        const double xi = x[i];
        // Quadrant j (nearest multiple of π/2) and the reduced argument r in [-π/4, π/4].
        const double j = roundToInteger(xi * kTwoOverPi);
        const double r = ((xi - j * kPio2a) - j * kPio2b) - j * kPio2c;
        const double z = r * r;
        const double sr =
            r + r * z *
                    (((((kSin[0] * z + kSin[1]) * z + kSin[2]) * z + kSin[3]) * z + kSin[4]) * z +
                     kSin[5]);
        const double cr =
            1.0 - 0.5 * z +
            z * z *
                (((((kCos[0] * z + kCos[1]) * z + kCos[2]) * z + kCos[3]) * z + kCos[4]) * z +
                 kCos[5]);
        // j mod 4 as two bits, in doubles: odd swaps sine and cosine, the bits set the signs
        // (quadrant 0: s, c; 1: c, -s; 2: -s, -c; 3: -c, s).
        const double half = roundToInteger(j * 0.5 - 0.25);                 // floor(j/2)
        const double odd = j - 2.0 * half;                                  // 0 or 1
        const double high = half - 2.0 * roundToInteger(half * 0.5 - 0.25); // floor(j/2) mod 2
        const double sinSign = 1.0 - 2.0 * high;
        const double cosSign = 1.0 - 2.0 * (high + odd - 2.0 * high * odd); // high xor odd
        // Selection by weights 0 and 1 is exact and keeps the loop free of branches.
        s[i] = sinSign * (sr * (1.0 - odd) + cr * odd);
        c[i] = cosSign * (cr * (1.0 - odd) + sr * odd);
    }
}

} // namespace sonora
