// Directions of the box stage: path phase against the direction geometry, the sine/cosine pairs,
// and the interpolation of the 90-direction table (exact on the table, continuous between).
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "acoustics/direction_set.h"
#include "engine/box_interpolate.h"
#include "engine/box_phase.h"
#include "model/result.h"

namespace sonora {
namespace {

using std::numbers::pi;
constexpr double kDeg = pi / 180.0;

// Unit vector (right, up, forwards) of table direction r < 22 from its angles: a horizontal
// angle A points to (sin A, 0, cos A), a vertical angle B to (0, sin B, cos B).
void unitVector(int r, double& x, double& y, double& z) {
    const DirectionAngle a = DirectionAngles(r);
    if (a.A != 0.0) {
        x = std::sin(a.A * kDeg), y = 0.0, z = std::cos(a.A * kDeg);
    } else {
        x = 0.0, y = std::sin(a.B * kDeg), z = std::cos(a.B * kDeg);
    }
}

// (bgrad, lgrad) of table direction r: rings by polar angle and half-plane, the oblique
// directions in the baffle plane at the azimuth of (sin A, sin B).
void tableDirection(int r, double& bgrad, double& lgrad) {
    const DirectionAngle a = DirectionAngles(r);
    if (r >= 22 && r <= 29) {
        bgrad = 0.0;
        lgrad = std::atan2(-std::sin(a.A * kDeg), std::sin(a.B * kDeg));
        return;
    }
    double x, y, z;
    unitVector(r, x, y, z);
    if (r >= 30) { // 5° directions, same half-plane rule as the rings
        const double theta = std::max(std::abs(a.A), std::abs(a.B)) * kDeg;
        x = (a.A != 0.0) ? std::copysign(std::sin(theta), a.A) : 0.0;
        y = (a.B != 0.0) ? std::copysign(std::sin(theta), a.B) : 0.0;
        z = std::cos(theta);
    }
    bgrad = std::asin(std::clamp(z, -1.0, 1.0));
    if (r == 0 || r == 21) {
        bgrad = r == 0 ? pi / 2.0 : -pi / 2.0;
    }
    lgrad = std::atan2(-x, y); // 0 towards +B, π/2 towards -A
    if (lgrad < 0.0) {
        lgrad += 2.0 * pi;
    }
}

std::vector<Complex> randomRow(unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<Complex> row(kDirections);
    for (auto& v : row) {
        v = Complex{u(gen), u(gen)};
    }
    return row;
}

Complex at(const std::vector<Complex>& row, double bgrad, double lgrad, bool fine) {
    return applyWeights(row.data(), directionWeights(bgrad, lgrad, fine));
}

double dist(const Complex& a, const Complex& b) {
    return std::hypot(a.re - b.re, a.im - b.im);
}

TEST(BoxDirectionPhase, IsTheWaveNumberTimesTheProjectionOnTheRings) {
    const double f = 1234.5, depth = 0.07, vertical = -0.31, horizontal = 0.12;
    const double k = 2.0 * pi * f / 344.0;
    EXPECT_DOUBLE_EQ(DirectionPhase(0, f, depth, vertical, horizontal), -k * depth);
    EXPECT_DOUBLE_EQ(DirectionPhase(0, f, depth, 0.0, 0.0), -k * depth); // only depth counts
    for (int r = 1; r <= 21; ++r) {
        double x, y, z;
        unitVector(r, x, y, z);
        const double expected = -k * (horizontal * x + vertical * y + depth * z);
        EXPECT_NEAR(DirectionPhase(r, f, depth, vertical, horizontal), expected, 1e-12)
            << "direction " << r;
    }
    // A source nearer the listener leads: CRotate by the phase advances it.
    Complex lead;
    CRotate(Complex{1.0, 0.0}, DirectionPhase(0, f, 0.1, 0.0, 0.0), lead);
    EXPECT_GT(lead.im, 0.0);
}

// One direction as each user of the projection names it: table direction r, a signed angle in a
// plane, and (bgrad, lgrad) of a sphere sample.
struct SharedDirection {
    int r;
    int plane;       // 0 horizontal, 1 vertical
    double angleDeg; // signed, > 0 towards +A or +B
    double bgradDeg, lgradDeg;
};
constexpr SharedDirection kShared[] = {
    {0, 0, 0.0, 90.0, 0.0},     {0, 1, 0.0, 90.0, 123.0},      {1, 1, 30.0, 60.0, 0.0},
    {3, 1, -30.0, 60.0, 180.0}, {4, 0, 30.0, 60.0, 270.0},     {6, 0, -60.0, 30.0, 90.0},
    {9, 1, 90.0, 0.0, 0.0},     {19, 1, -150.0, -60.0, 180.0},
};

TEST(BoxDirectionPhase, TablePlanesAndSphereProjectAnOutletAlike) {
    std::mt19937 gen(42);
    std::uniform_real_distribution<double> u(-0.6, 0.6);
    for (const SharedDirection& d : kShared) {
        const Direction table = directionOfIndex(d.r);
        const Direction plane = planeDirection(d.plane, d.angleDeg * kDeg);
        const Direction sphere = sphereDirection(d.bgradDeg * kDeg, d.lgradDeg * kDeg);
        double x, y, z; // independent: from the table's angles
        unitVector(d.r, x, y, z);
        for (int trial = 0; trial < 50; ++trial) {
            const OutletPosition o{u(gen), u(gen), u(gen)};
            const double expected = o.horizontal * x + o.vertical * y + o.depth * z;
            const double viaTable = outletProjection(o, table);
            EXPECT_NEAR(viaTable, expected, 1e-15) << "direction " << d.r;
            EXPECT_NEAR(outletProjection(o, plane), expected, 1e-15) << "direction " << d.r;
            EXPECT_NEAR(outletProjection(o, sphere), expected, 1e-15) << "direction " << d.r;
            // The table's callers go through the same function.
            EXPECT_EQ(directionProjection(d.r, o.depth, o.vertical, o.horizontal), viaTable);
        }
    }
}

// The table and the planes once had their own two-term forms, depth·cos θ ± lateral·sin θ; the
// shared three-term form must give the same doubles, with outlets on an axis (zeros) included.
TEST(BoxDirectionPhase, SharedProjectionKeepsTheTwoTermFormsBitForBit) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-0.6, 0.6);
    std::uniform_int_distribution<int> zero(0, 3);
    for (int trial = 0; trial < 200; ++trial) {
        // A quarter of the coordinates exactly 0, as for a driver on the baffle centre.
        const double h = zero(gen) == 0 ? 0.0 : u(gen);
        const double v = zero(gen) == 0 ? 0.0 : u(gen);
        const double depth = zero(gen) == 0 ? 0.0 : u(gen);
        const OutletPosition o{h, v, depth};
        for (int r = 0; r < kDirections; ++r) {
            const int half = (r + 3) % 4;
            const double theta = ((r + 3) / 4) * 30.0 * kDeg;
            const double c = std::cos(theta), s = std::sin(theta);
            const double twoTerm = half == 0   ? depth * c + v * s
                                   : half == 1 ? depth * c - h * s
                                   : half == 2 ? depth * c - v * s
                                               : depth * c + h * s;
            ASSERT_EQ(outletProjection(o, directionOfIndex(r)), twoTerm) << r;
        }
        for (int n = 0; n < kPlaneAngles; ++n) {
            const double a = (n - 180) * kDeg;
            ASSERT_EQ(outletProjection(o, planeDirection(0, a)),
                      depth * std::cos(a) + h * std::sin(a))
                << n;
            ASSERT_EQ(outletProjection(o, planeDirection(1, a)),
                      depth * std::cos(a) + v * std::sin(a))
                << n;
        }
    }
}

TEST(BoxInterpolation, ReturnsTheTableValueOnEveryTableDirection) {
    const std::vector<Complex> row = randomRow(7);
    for (int r = 0; r <= 29; ++r) {
        double b, l;
        tableDirection(r, b, l);
        const Complex v = at(row, b, l, false);
        EXPECT_EQ(v.re, row[r].re) << "direction " << r;
        EXPECT_EQ(v.im, row[r].im) << "direction " << r;
        // The same direction one full turn of lgrad further.
        const Complex w = at(row, b, l + 2.0 * pi, false);
        EXPECT_EQ(w.re, row[r].re) << "direction " << r;
    }
    // The 5° rings of measured directivity, in front of the baffle: 1..20 (30°, 60°) and 30..89.
    for (int r = 1; r <= 89; ++r) {
        if ((r >= 9 && r <= 29)) {
            continue; // 90° and behind: the 30° rings apply, tested above
        }
        double b, l;
        tableDirection(r, b, l);
        const Complex v = at(row, b, l, true);
        EXPECT_EQ(v.re, row[r].re) << "direction " << r;
        EXPECT_EQ(v.im, row[r].im) << "direction " << r;
    }
    // The axis whatever the azimuth; straight back likewise.
    for (double l : {0.3, 2.0, 5.9, -1.0}) {
        EXPECT_EQ(at(row, pi / 2.0, l, false).re, row[0].re);
        EXPECT_EQ(at(row, -pi / 2.0, l, true).im, row[21].im);
    }
}

TEST(BoxInterpolation, IsLinearBetweenRingsAndAcrossAzimuth) {
    const std::vector<Complex> row = randomRow(11);
    // Half way between the 60° and the 90° ring in the +B half-plane.
    Complex v = at(row, pi / 2.0 - 75.0 * kDeg, 0.0, false);
    EXPECT_NEAR(v.re, 0.5 * (row[5].re + row[9].re), 1e-14);
    // 60° ring, a third of the way from +B (5) towards -A (6).
    v = at(row, pi / 6.0, pi / 6.0, false);
    EXPECT_NEAR(v.im, (2.0 * row[5].im + row[6].im) / 3.0, 1e-14);
    // Baffle plane between +B (9) and the first oblique direction (22), 15° of azimuth.
    v = at(row, 0.0, 15.0 * kDeg, false);
    EXPECT_NEAR(v.re, 0.5 * (row[9].re + row[22].re), 1e-14);
    // 135°: between the 120° ring (13) and the 150° ring (17) behind the baffle, +B.
    v = at(row, pi / 2.0 - 135.0 * kDeg, 0.0, false);
    EXPECT_NEAR(v.re, 0.5 * (row[13].re + row[17].re), 1e-14);
    // Inside the cap around the axis the 30° ring enters with its plain linear weight, so the field
    // meets the ring continuously from both sides (the directivity integration uses these too).
    v = at(row, pi / 2.0 - 15.0 * kDeg, 0.0, false);
    EXPECT_NEAR(v.re, 0.5 * (row[0].re + row[1].re), 1e-14);
    for (double l : {0.0, 0.3, 2.0}) {
        const Complex inside = at(row, pi / 3.0 + 1e-7, l, false);
        const Complex outside = at(row, pi / 3.0 - 1e-7, l, false);
        EXPECT_LT(dist(inside, outside), 1e-5) << l;
    }
    // Measured rings: 7.5° towards -B lies half way between the 5° (30 + 2) and the 10° ring
    // (34 + 2); 2.5° half way between the axis and the 5° ring.
    v = at(row, pi / 2.0 - 7.5 * kDeg, pi, true);
    EXPECT_NEAR(v.re, 0.5 * (row[32].re + row[36].re), 1e-14);
    v = at(row, pi / 2.0 - 2.5 * kDeg, pi, true);
    EXPECT_NEAR(v.im, 0.5 * (row[0].im + row[32].im), 1e-14);
}

// Small steps give small changes: along meridians and parallels through every ring, quadrant and
// oblique sector, across the baffle plane and close to both poles, in both ring modes.
TEST(BoxInterpolation, IsContinuousEverywhere) {
    const std::vector<Complex> row = randomRow(23);
    constexpr double kStep = 2e-3; // rad; a jump between random table values is far larger
    // Largest slope: neighbours differ by at most 2·√2 over a 5° spacing.
    const double bound = 2.0 * std::sqrt(2.0) / (5.0 * kDeg) * kStep * 1.01;
    for (bool fine : {false, true}) {
        for (double l : {0.0, 15.0 * kDeg, 45.0 * kDeg, 1.6, 4.0, 6.2}) {
            Complex last = at(row, pi / 2.0, l, fine);
            for (double b = pi / 2.0 - kStep; b >= -pi / 2.0; b -= kStep) {
                const Complex v = at(row, b, l, fine);
                ASSERT_LE(dist(v, last), bound)
                    << "fine " << fine << " lgrad " << l << " bgrad " << b;
                last = v;
            }
        }
        for (double b : {1.5, pi / 3.0, 0.3, 1e-6, 0.0, -1e-6, -0.5, -1.4}) {
            Complex last = at(row, b, -kStep, fine);
            for (double l = 0.0; l <= 2.0 * pi + 2.0 * kStep; l += kStep) {
                const Complex v = at(row, b, l, fine);
                ASSERT_LE(dist(v, last), bound)
                    << "fine " << fine << " bgrad " << b << " lgrad " << l;
                last = v;
            }
        }
    }
    // Close to the poles every azimuth gives nearly the pole's value.
    for (double l = 0.0; l < 2.0 * pi; l += 0.1) {
        EXPECT_LT(dist(at(row, pi / 2.0 - 1e-7, l, false), row[0]), 1e-5);
        EXPECT_LT(dist(at(row, pi / 2.0 - 1e-7, l, true), row[0]), 1e-5);
        EXPECT_LT(dist(at(row, -pi / 2.0 + 1e-7, l, false), row[21]), 1e-5);
    }
}

TEST(BoxInterpolation, HostileAnglesGiveNothing) {
    const std::vector<Complex> row = randomRow(5);
    EXPECT_EQ(directionWeights(std::nan(""), 0.0, false).count, 0);
    EXPECT_EQ(directionWeights(0.0, INFINITY, true).count, 0);
    // Beyond the poles the angle is held at the pole.
    EXPECT_EQ(at(row, 7.0, 1.0, false).re, row[0].re);
    EXPECT_EQ(at(row, -7.0, 1.0, false).re, row[21].re);
    // The weights always sum to 1 outside the integration mode.
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> u(-10.0, 10.0);
    for (int k = 0; k < 1000; ++k) {
        const DirectionWeights w = directionWeights(u(gen), u(gen), k % 2 == 0);
        double sum = 0.0;
        for (int j = 0; j < w.count; ++j) {
            ASSERT_GE(w.index[j], 0);
            ASSERT_LT(w.index[j], kDirections);
            sum += w.weight[j];
        }
        ASSERT_NEAR(sum, 1.0, 1e-12);
    }
}

TEST(BoxInterpolation, ReadsTheDriversResultAndChoosesTheRingsByItsDirectivity) {
    auto p = std::make_unique<TProjekt>();
    std::unique_ptr<TResult> res(new TResult); // only the rows set below are read
    const std::vector<Complex> row = randomRow(31);
    for (int r = 0; r < kDirections; ++r) {
        res->fgang_chas[3][0][5][r] = row[r];
        res->fgang_chas[3][1][5][r] = row[(r + 7) % kDirections];
    }
    const double b = pi / 2.0 - 12.5 * kDeg, l = 0.7;
    Complex v = Interpolate_FGang_Chas(*p, *res, 5, 3, 0, b, l);
    EXPECT_EQ(v.re, at(row, b, l, false).re);
    p->chassis[3].Richt.RichtSimu = 1;
    p->chassis[3].Richt.nRicht = 19;
    EXPECT_TRUE(usesFiveDegreeRings(*p, 3, 0));
    EXPECT_FALSE(usesFiveDegreeRings(*p, 3, 1)); // the vent has no measured directivity
    v = Interpolate_FGang_Chas(*p, *res, 5, 3, 0, b, l);
    EXPECT_EQ(v.re, at(row, b, l, true).re);
    EXPECT_NE(v.re, at(row, b, l, false).re);
    p->chassis[3].Richt.nRicht = 3; // too few measured angles
    EXPECT_FALSE(usesFiveDegreeRings(*p, 3, 0));
    p->chassis[3].Richt.nRicht = 19;
    p->schallwand[3].direction = 4; // turned upwards: the measured rings do not apply
    EXPECT_FALSE(usesFiveDegreeRings(*p, 3, 0));
    EXPECT_EQ(Interpolate_FGang_Chas(*p, *res, 300, 3, 0, b, l).re, 0.0);
    EXPECT_EQ(Interpolate_FGang_Chas(*p, *res, 5, 32, 0, b, l).re, 0.0);
}

} // namespace
} // namespace sonora
