#include "app/shell/chart_levels.h"
#include "model/physics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sonora {

namespace {

constexpr double kDirectivityGuard = 1e-10; // keeps the energy response finite for bmass = 0
constexpr double kDegreesPerHalfTurn = 180.0;

int boundedSet(int set) {
    return set >= 0 && set < kDirectionAngleSets ? set : kDefaultDirectionAngleSet;
}

} // namespace

double magnitudeLevel(double magnitude) {
    return kDecibelFactor * std::log10(magnitude + kLogGuard) + kLevelOfUnity;
}

double responseLevel(const Complex& h) {
    return magnitudeLevel(CAbs(h));
}

double energyLevel(const Complex& front, double bmass) {
    return magnitudeLevel(CAbs(front) / (bmass + kDirectivityGuard));
}

double phaseDegrees(const Complex& h) {
    return std::atan2(h.im, h.re) * kDegreesPerHalfTurn / std::numbers::pi;
}

std::array<int, kDirectionCurves> directionAngles(int set) {
    return directionAngleSet(boundedSet(set));
}

Complex directionResponse(const TResult& r, DirectionSide side, int angleDeg, int i) {
    const int angle = std::clamp(angleDeg, 0, kAxisAngleIndex);
    switch (side) {
    case DirectionSide::Up:
        return r.fgang_box_v[i][kAxisAngleIndex + angle];
    case DirectionSide::Down:
        return r.fgang_box_v[i][kAxisAngleIndex - angle];
    case DirectionSide::Right:
        return r.fgang_box_h[i][kAxisAngleIndex + angle];
    case DirectionSide::Left:
        break;
    }
    return r.fgang_box_h[i][kAxisAngleIndex - angle];
}

int boundedFreqs(const TResult& r) {
    return std::clamp(r.nfreq, 0, kResultFreqs - 1);
}
int boundedAmps(const TResult& r) {
    return std::clamp(r.nAmps, 0, kMaxAmps);
}
int boundedChassis(const TResult& r) {
    return std::clamp(r.nChassis, 0, kMaxChassis);
}

} // namespace sonora
