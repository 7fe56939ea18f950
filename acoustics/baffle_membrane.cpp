#include "acoustics/baffle_membrane.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/baffle_phasor.h"

namespace sonora {

namespace {

constexpr double kDomeX = 0.25;
constexpr double kDomeY = 1.2;
constexpr double kDomeZ = 1.4;
constexpr double kDomeRadiusFactor = 1.2;
constexpr double kConeX = 0.0001;
constexpr double kDiameterGuard = 1e-10; // m, keeps a zero outlet finite
constexpr double kRadiusGuard = 1e-100;  // m
constexpr double kChordGuard = 1e-50;    // m², keeps the ring end points off sqrt(0)
// Simpson weights of the piston integral for odd and even strips (the chord is counted twice).
constexpr double kSimpsonOdd = 8.0 / 3.0;
constexpr double kSimpsonEven = 4.0 / 3.0;
constexpr double kSinAngle[3] = {0.5, 0.86602540378443864676, 1.0}; // sin 30°, 60°, 90°

} // namespace

MembraneShape membraneShape(int membranform) {
    if (membranform == 0) {
        return {kDomeX, kDomeY, kDomeZ, kDomeRadiusFactor};
    }
    return {kConeX, 1.0, 1.0, 1.0};
}

MembraneModel::Ring MembraneModel::makeRing(double radius, double scale) {
    constexpr int n = kMembraneStrips;
    Ring ring{};
    // Points of the half circle of radius radius·scale; negative rounding below the root is 0.
    const auto point = [&](int m, double& u, double& v) {
        const double x = m * radius / n - radius;
        u = scale * x;
        v = scale * std::sqrt(std::max(radius * radius - x * x, 0.0) + kChordGuard);
    };
    double maxAbs = 0.0;
    double u0, v0;
    point(0, u0, v0);
    for (int m = 1; m <= kRingPoints; ++m) {
        double u1, v1;
        point(m, u1, v1);
        const double length = std::hypot(u1 - u0, v1 - v0);
        ring.position[m - 1] = (u0 + u1) / 2.0;
        ring.weight[m - 1] = length / (std::numbers::pi * radius * scale);
        maxAbs = std::max(maxAbs, std::abs(ring.position[m - 1]));
        u0 = u1;
        v0 = v1;
    }
    ring.maxAbs = maxAbs;
    return ring;
}

MembraneModel::MembraneModel(double swd, int membranform) : shape_(membraneShape(membranform)) {
    constexpr int n = kMembraneStrips;
    radius_ = (swd + kDiameterGuard) / 2.0 * shape_.radiusFactor + kRadiusGuard;
    const double r = radius_;
    for (int m = 1; m <= kPistonPoints; ++m) {
        const double x = m * r / n - r;
        const double simpson = m % 2 == 1 ? kSimpsonOdd : kSimpsonEven;
        pistonX_[m - 1] = x;
        pistonWeight_[m - 1] = std::sqrt(std::max(r * r - x * x, 0.0)) * simpson * (r / n) /
                               (std::numbers::pi * r * r);
    }
    ringY_ = makeRing(r, shape_.Y);
    ringZ_ = makeRing(r, shape_.Z);
}

std::array<double, 3> MembraneModel::directivity(double k) const {
    std::array<double, 3> v{};
    for (int m = 0; m < 3; ++m) {
        const double ks = k * kSinAngle[m];
        const double piston =
            cosineSum(pistonX_.data(), pistonWeight_.data(), kPistonPoints, ks, radius_);
        const double ringY =
            cosineSum(ringY_.position.data(), ringY_.weight.data(), kRingPoints, ks, ringY_.maxAbs);
        const double ringZ =
            cosineSum(ringZ_.position.data(), ringZ_.weight.data(), kRingPoints, ks, ringZ_.maxAbs);
        v[m] = (1.0 - shape_.X) * piston + shape_.X / 2.0 * ringY + shape_.X / 2.0 * ringZ;
    }
    return v;
}

} // namespace sonora
