// Directivity of the driver's own membrane at 30°, 60° and 90° off axis.
//
// A piston with a rim share that radiates like two rings.
#pragma once

#include <array>

namespace sonora {

// Shape constants of one membrane form. They belong to one call (several runs compute baffles at
// the same time), never to shared state.
struct MembraneShape {
    double X;            // share of the rim rings
    double Y, Z;         // scales of the two rings against the radius
    double radiusFactor; // effective radius over the outlet radius
};

// 0 "Kalotte" (dome); every other value (1 "Konus", 2 "Waveguide", unknown) the piston-like cone.
MembraneShape membraneShape(int membranform);

inline constexpr int kMembraneStrips = 100; // N strips per radius

// The membrane model of one outlet. The integration points depend only on the outlet, so they are
// set up once; directivity() is then one weighted cosine sum per angle and frequency.
class MembraneModel {
public:
    // swd: outlet diameter, m (expected >= 0 and finite; anything else gives non-finite values).
    MembraneModel(double swd, int membranform);

    // V at 30°, 60°, 90° off axis for wavenumber k (rad/m): 1 on axis at low frequencies.
    std::array<double, 3> directivity(double k) const;

    const MembraneShape& shape() const { return shape_; }

private:
    static constexpr int kPistonPoints = 2 * kMembraneStrips - 1;
    static constexpr int kRingPoints = 2 * kMembraneStrips;
    struct Ring {
        std::array<double, kRingPoints> position; // mid point of each segment, m
        std::array<double, kRingPoints> weight;   // segment length over the ring's half length
        double maxAbs;                            // m
    };
    static Ring makeRing(double radius, double scale);

    MembraneShape shape_;
    double radius_;                                  // m
    std::array<double, kPistonPoints> pistonX_;      // strip positions, m
    std::array<double, kPistonPoints> pistonWeight_; // Simpson weight · chord / area
    Ring ringY_, ringZ_;
};

} // namespace sonora
