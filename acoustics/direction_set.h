// The 90 observation directions of the baffle model, in their fixed order.
//
// Index 0 is the axis; 1..20 the 30° rings (30°..150°) in four half-planes; 21 straight back;
// 22..29 oblique directions; 30..89 the 5° rings between the 30° rings. Every per-driver and box
// result with a direction index uses this order.
#pragma once

namespace sonora {

// Horizontal angle A and vertical angle B of a direction, degrees. A direction lies in the
// horizontal plane when B = 0, in the vertical plane when A = 0 (the axis has both 0).
struct DirectionAngle {
    double A = 0;
    double B = 0;
};

// Angles of direction n (0..89); any other n gives the axis.
DirectionAngle DirectionAngles(int n);

// Half-plane order within a group of four: B = +θ, A = −θ, B = −θ, A = +θ.
inline constexpr int kHalfPlanes = 4;

// First index of the group of four directions at polar angle 5·j degrees, j = 0..18 (j = 0, the
// axis, has no group and maps to 0). Add the half-plane (0..3) to get the direction.
int fivedegreeGroup(int j);

} // namespace sonora
