// Edge sources of the baffle model: points on the outer and inner edge of the bevels.
//
// One point per 0.75° ray from the driver centre on each edge.
#pragma once

#include <array>

#include "acoustics/baffle_tuning.h"
#include "model/records.h"

namespace sonora {

inline constexpr int kEdgePointCapacity = 1000;
inline constexpr int kEdgePointsPerPass = 480; // 360° in steps of 0.75°
inline constexpr int kEdgePoints = 2 * kEdgePointsPerPass;

// Coordinates: origin at the driver centre on the front face, x to the right, y upwards, z forwards
// out of the baffle; lengths in m.
struct EdgePoint {
    double x, y, z;
    double r; // path from the driver centre along the surface to the point, m
    double phi; // angle of the ray that produced the point, rad: 0 up, π/2 left, π down, 3π/2 right
    double w;                  // base weight; 0 where the edge's diffraction is switched off
    std::array<char, 3> label; // "oo", "ll", "uu", "rr" outer points; "o", "l", "u", "r" inner
};

// Points 0..479 are outer points (where the bevel meets the cabinet side), 480..959 inner points
// (where it meets the flat front). Writes at most `capacity` points and returns how many it wrote
// (960 when capacity allows). The geometry is expected checked (positive baffle, driver inside).
int BuildEdgePoints(EdgePoint* points, int capacity, const TSchallwand& sw,
                    const BaffleTuning& tuning);

} // namespace sonora
