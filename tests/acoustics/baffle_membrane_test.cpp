#include "acoustics/baffle_membrane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "acoustics/baffle_driver_table.h"
#include "tests/acoustics/baffle_test_support.h"

namespace sonora {
namespace {

using baffle_test::Cx;
using baffle_test::cx;
using baffle_test::piston;

constexpr double kSin[3] = {0.5, 0.86602540378443864676, 1.0}; // 30°, 60°, 90°

// A cone is practically a rigid piston: V = 2·J1(x)/x with x = k·R·sin θ, over several lobes.
TEST(BaffleMembrane, ConeIsAPiston) {
    const double swd = 0.13; // m
    const MembraneModel cone(swd, 1);
    const double radius = swd / 2.0;
    for (double k = 0.1; k < 600.0; k *= 1.17) { // up to x = 39
        const auto v = cone.directivity(k);
        for (int m = 0; m < 3; ++m) {
            EXPECT_NEAR(v[m], piston(k * radius * kSin[m]), 1e-3) << k << " " << m;
        }
    }
}

// A dome: three quarters piston of 1.2 times the radius, one eighth each a ring of 1.2 and 1.4
// times that radius (a ring radiates J0).
TEST(BaffleMembrane, DomeIsPistonPlusRings) {
    const double swd = 0.025;
    const MembraneModel dome(swd, 0);
    const double radius = 1.2 * swd / 2.0;
    for (double k = 0.1; k < 1500.0; k *= 1.2) { // up to x = 13.5 (the outer ring at 19)
        const auto v = dome.directivity(k);
        for (int m = 0; m < 3; ++m) {
            const double x = k * radius * kSin[m];
            const double expected = 0.75 * piston(x) + 0.125 * std::cyl_bessel_j(0.0, 1.2 * x) +
                                    0.125 * std::cyl_bessel_j(0.0, 1.4 * x);
            EXPECT_NEAR(v[m], expected, 1e-3) << k << " " << m;
        }
    }
}

TEST(BaffleMembrane, ShapesOfTheMembraneForms) {
    const MembraneShape dome = membraneShape(0);
    EXPECT_EQ(dome.X, 0.25);
    EXPECT_EQ(dome.Y, 1.2);
    EXPECT_EQ(dome.Z, 1.4);
    EXPECT_EQ(dome.radiusFactor, 1.2);
    for (int form : {1, 2, -1, 99}) {
        const MembraneShape cone = membraneShape(form);
        EXPECT_EQ(cone.X, 0.0001);
        EXPECT_EQ(cone.Y, 1.0);
        EXPECT_EQ(cone.Z, 1.0);
        EXPECT_EQ(cone.radiusFactor, 1.0);
    }
    // A zero outlet radiates evenly and stays finite. (The Simpson sum of the chords falls short
    // of the area by about 1e-4: that is the low-frequency value of every outlet.)
    const MembraneModel point(0.0, 0);
    const auto v = point.directivity(365.0);
    const auto v0 = point.directivity(0.0);
    for (int m = 0; m < 3; ++m) {
        EXPECT_NEAR(v[m], v0[m], 1e-12);
        EXPECT_NEAR(v[m], 1.0, 2e-4);
    }
}

// The table: the cone's acoustic centre 0.12·d behind the front delays the axis by 0.12·d·k and a
// ring at θ by cos θ·0.12·d·k; the dome's axis is 1; 13..29 carry nothing; 30..89 lie on the
// straight line between the neighbouring 30° values.
TEST(BaffleMembrane, DriverTable) {
    const double swd = 0.1, lambda = 0.2; // m
    const double k = 2.0 * std::numbers::pi / lambda;
    for (int form : {0, 1}) {
        const MembraneModel model(swd, form);
        DriverTable t{};
        membraneTable(model, swd, form, lambda, t);
        const auto v = model.directivity(k);
        const double delay = 0.12 * (swd + 1e-10) * k;
        if (form == 0) {
            EXPECT_EQ(cx(t.D[0]), Cx(1.0, 0.0));
        } else {
            EXPECT_NEAR(std::abs(cx(t.D[0]) - std::polar(1.0, -delay * 3.14159 / std::numbers::pi)),
                        0.0, 1e-15);
        }
        const double cosRing[3] = {std::sqrt(0.75), 0.5, 0.0};
        for (int m = 0; m < 3; ++m) {
            for (int q = 0; q < 4; ++q) {
                EXPECT_NEAR(
                    std::abs(cx(t.D[1 + 4 * m + q]) - std::polar(v[m], -cosRing[m] * delay)), 0.0,
                    1e-12);
            }
        }
        EXPECT_EQ(cx(t.D90), Cx(v[2], 0.0));
        for (int n = 13; n <= 29; ++n) {
            EXPECT_EQ(cx(t.D[n]), Cx(1e-100, 0.0)) << n;
        }
        // 10° in half-plane 2 (B = -10): two thirds axis, one third the 30° value.
        EXPECT_NEAR(std::abs(cx(t.D[30 + 4 + 2]) - (2.0 / 3.0 * cx(t.D[0]) + cx(t.D[3]) / 3.0)),
                    0.0, 1e-15);
        // 85° in half-plane 3: one sixth the 60° value, five sixths the 90° value.
        EXPECT_NEAR(std::abs(cx(t.D[86 + 3]) - (cx(t.D[8]) / 6.0 + 5.0 / 6.0 * cx(t.D[12]))), 0.0,
                    1e-15);
    }
}

} // namespace
} // namespace sonora
