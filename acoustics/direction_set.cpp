#include "acoustics/direction_set.h"

namespace sonora {

namespace {

// Oblique directions 22..29 as (A, B), degrees.
constexpr DirectionAngle kOblique[8] = {{-30, 60},  {-60, 30},  {-120, -30}, {-150, -60},
                                        {150, -60}, {120, -30}, {60, 30},    {30, 60}};

// Polar angle 5·j° → first direction of its group of four.
constexpr int kFiveDegreeGroups[19] = {0,  30, 34, 38, 42, 46, 1,  50, 54, 58,
                                       62, 66, 5,  70, 74, 78, 82, 86, 9};

// A ring direction at polar angle theta (degrees) in half-plane q.
DirectionAngle ringDirection(double theta, int q) {
    switch (q) {
    case 0:
        return {0, theta};
    case 1:
        return {-theta, 0};
    case 2:
        return {0, -theta};
    default:
        return {theta, 0};
    }
}

} // namespace

DirectionAngle DirectionAngles(int n) {
    if (n >= 1 && n <= 20) {
        return ringDirection(30.0 * ((n + 3) / kHalfPlanes), (n - 1) % kHalfPlanes);
    }
    if (n == 21) {
        return {0, 180};
    }
    if (n >= 22 && n <= 29) {
        return kOblique[n - 22];
    }
    if (n >= 30 && n <= 89) {
        // Three blocks of five 5° rings: 5..25°, 35..55°, 65..85°.
        const int block = (n - 30) / 20;
        const int k = ((n - 30) % 20) / kHalfPlanes;
        const double theta = 5.0 * (k + 1) + 30.0 * block;
        return ringDirection(theta, (n - 30) % kHalfPlanes);
    }
    return {};
}

int fivedegreeGroup(int j) {
    if (j < 0 || j > 18) {
        return 0;
    }
    return kFiveDegreeGroups[j];
}

} // namespace sonora
