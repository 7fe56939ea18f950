#include "engine/box_phase.h"
#include "model/physics.h"

#include <cmath>
#include <numbers>

namespace sonora {

namespace {

constexpr double kRingStep = 30.0; // degrees between the rings of the table
constexpr int kRingHalfPlanes = 4; // +B, -A, -B, +A

} // namespace

double directionProjection(int r, double depth, double vertical, double horizontal) {
    const int v = ((r + 3) % kRingHalfPlanes) + 1;
    const double theta = ((r + 3) / kRingHalfPlanes) * kRingStep * kRadiansPerDegree;
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

} // namespace sonora
