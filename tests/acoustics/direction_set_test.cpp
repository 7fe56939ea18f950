#include "acoustics/direction_set.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sonora {
namespace {

// Polar angle of a direction from the axis, degrees.
double polar(DirectionAngle d) {
    return std::abs(d.A) + std::abs(d.B);
}

TEST(DirectionSet, RingsAndHalfPlanes) {
    EXPECT_EQ(DirectionAngles(0).A, 0);
    EXPECT_EQ(DirectionAngles(0).B, 0);
    EXPECT_EQ(DirectionAngles(1).B, 30);
    EXPECT_EQ(DirectionAngles(2).A, -30);
    EXPECT_EQ(DirectionAngles(3).B, -30);
    EXPECT_EQ(DirectionAngles(4).A, 30);
    EXPECT_EQ(DirectionAngles(12).A, 90);
    EXPECT_EQ(DirectionAngles(20).A, 150);
    EXPECT_EQ(DirectionAngles(21).B, 180);
    EXPECT_EQ(DirectionAngles(22).A, -30);
    EXPECT_EQ(DirectionAngles(22).B, 60);
    EXPECT_EQ(DirectionAngles(29).A, 30);
    EXPECT_EQ(DirectionAngles(30).B, 5);
    EXPECT_EQ(DirectionAngles(49).A, 25);
    EXPECT_EQ(DirectionAngles(50).B, 35);
    EXPECT_EQ(DirectionAngles(89).A, 85);
    EXPECT_EQ(DirectionAngles(90).A, 0); // out of range: the axis
}

TEST(DirectionSet, FiveDegreeGroupsMatchTheirAngles) {
    for (int j = 1; j <= 18; ++j) {
        const int first = fivedegreeGroup(j);
        for (int q = 0; q < kHalfPlanes; ++q) {
            const DirectionAngle d = DirectionAngles(first + q);
            EXPECT_DOUBLE_EQ(polar(d), 5.0 * j) << "j=" << j << " q=" << q;
            // Same half-plane order as the 30° rings.
            const DirectionAngle ring = DirectionAngles(1 + q);
            EXPECT_EQ(d.A * ring.A >= 0 && d.B * ring.B >= 0, true);
            EXPECT_EQ(d.A == 0, ring.A == 0);
        }
    }
    EXPECT_EQ(fivedegreeGroup(0), 0);
    EXPECT_EQ(fivedegreeGroup(19), 0);
}

} // namespace
} // namespace sonora
