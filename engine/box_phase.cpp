#include "engine/box_phase.h"
#include "model/physics.h"

#include <cmath>
#include <numbers>

namespace sonora {

namespace {

constexpr double kRingStep = 30.0; // degrees between the rings of the table
constexpr int kRingHalfPlanes = 4; // +B, -A, -B, +A

} // namespace

Direction directionOfIndex(int r) {
    const int v = ((r + 3) % kRingHalfPlanes) + 1;
    const double theta = ((r + 3) / kRingHalfPlanes) * kRingStep * kRadiansPerDegree;
    const double c = std::cos(theta), s = std::sin(theta);
    switch (v) {
    case 1:
        return {0.0, s, c};
    case 2:
        return {-s, 0.0, c};
    case 3:
        return {0.0, -s, c};
    default:
        return {s, 0.0, c};
    }
}

Direction planeDirection(int plane, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return plane == 0 ? Direction{s, 0.0, c} : Direction{0.0, s, c};
}

Direction sphereDirection(double bgrad, double lgrad) {
    return {-std::sin(lgrad) * std::cos(bgrad), std::cos(lgrad) * std::cos(bgrad), std::sin(bgrad)};
}

double directionProjection(int r, double depth, double vertical, double horizontal) {
    return outletProjection({horizontal, vertical, depth}, directionOfIndex(r));
}

double DirectionPhase(int r, double f, double depth, double vertical, double horizontal) {
    return phasePerMetre(f) * directionProjection(r, depth, vertical, horizontal);
}

} // namespace sonora
