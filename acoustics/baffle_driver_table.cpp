#include "acoustics/baffle_driver_table.h"

#include <cmath>
#include <numbers>

#include "acoustics/direction_set.h"
#include "model/interpolate.h"
#include "model/physics.h"

namespace sonora {

namespace {

// The acoustic centre of a cone lies 0.12 outlet diameters behind the front.
constexpr double kConeDepth = 0.12;
constexpr double kConePi = 3.14159;                                 // rounded π of the axis delay
constexpr double kDiameterGuard = 1e-10;                            // m
constexpr double kCosAngle[3] = {0.86602540378443864676, 0.5, 0.0}; // cos 30°, 60°, 90°
constexpr int kMinMeasured = 4;
constexpr int kFullMeasured = 19;
constexpr int kFirstBehind = 13;
constexpr int kLastInPlane = 29;
constexpr int kFirstFiveDegree = 30;
constexpr int kFiveDegreeRingsPerBlock = 5; // 5°..25°, 35°..55°, 65°..85°
constexpr int kBlockDirections = kFiveDegreeRingsPerBlock * kHalfPlanes;
constexpr double kRingAngle = 30.0; // degrees between the rings 1..12
constexpr double kFiveDegrees = 5.0;
// Slot of the measured response at 30°, 60°, 90° (5° per slot).
constexpr int kSlotPerRing = 6;

void fillNoSound(DriverTable& t) {
    for (int n = kFirstBehind; n <= kLastInPlane; ++n) {
        t.D[n] = kNoSound;
    }
}

} // namespace

bool usesMeasuredDirectivity(const TChassis& chassis, int direction) {
    return chassis.Richt.RichtSimu != 0 && chassis.Richt.nRicht >= kMinMeasured && direction == 0;
}

void membraneTable(const MembraneModel& model, double swd, int membranform, double lambda,
                   DriverTable& t) {
    const double d = swd + kDiameterGuard;
    const double k = 2.0 * std::numbers::pi / lambda;
    const std::array<double, 3> v = model.directivity(k);
    t.D[0] = Complex{1.0, 0.0};
    if (membranform != 0) {
        CRotate(Complex{1.0, 0.0}, kConeDepth * d * 2.0 * kConePi / lambda, t.D[0]);
    }
    for (int m = 0; m < 3; ++m) {
        Complex ring;
        CRotate(Complex{v[m], 0.0}, kCosAngle[m] * kConeDepth * d * 2.0 * std::numbers::pi / lambda,
                ring);
        for (int q = 0; q < kHalfPlanes; ++q) {
            t.D[1 + kHalfPlanes * m + q] = ring;
        }
    }
    t.D90 = Complex{v[2], 0.0};
    fillNoSound(t);
    interpolateFiveDegreeRings(t);
}

void measuredTable(const TRicht& richt, double f, double width, DriverTable& t) {
    const auto slot = [&](int j) {
        const double level = InterpolateSmoothed(richt.fgangf, richt.fgangau[j], f, width);
        Complex h;
        CPolar(InterpolatePhase(richt.fgangf, richt.fgangpu[j], f),
               std::pow(10.0, (level - kLevelOfUnity) / 20.0), h);
        return h;
    };
    const Complex h0 = slot(0);
    const auto relative = [&](int j) {
        Complex r;
        CDiv(slot(j), h0, r);
        return r;
    };
    t.D[0] = Complex{1.0, 0.0};
    for (int m = 0; m < 3; ++m) {
        const Complex ring = relative(kSlotPerRing * (m + 1));
        for (int q = 0; q < kHalfPlanes; ++q) {
            t.D[1 + kHalfPlanes * m + q] = ring;
        }
    }
    t.D90 = t.D[9];
    fillNoSound(t);
    if (richt.nRicht != kFullMeasured) {
        interpolateFiveDegreeRings(t);
        return;
    }
    // Slots 1..5, 7..11, 13..17 are the 5° rings between the 30° steps.
    for (int block = 0; block < 3; ++block) {
        for (int k = 0; k < kFiveDegreeRingsPerBlock; ++k) {
            const Complex h = relative(kSlotPerRing * block + k + 1);
            for (int q = 0; q < kHalfPlanes; ++q) {
                t.D[kFirstFiveDegree + kBlockDirections * block + kHalfPlanes * k + q] = h;
            }
        }
    }
}

void interpolateFiveDegreeRings(DriverTable& t) {
    for (int block = 0; block < 3; ++block) {
        for (int k = 0; k < kFiveDegreeRingsPerBlock; ++k) {
            // Share of the outer ring: 5° of 30° per step.
            const double share = kFiveDegrees * (k + 1) / kRingAngle;
            for (int q = 0; q < kHalfPlanes; ++q) {
                const Complex& inner = block == 0 ? t.D[0] : t.D[1 + kHalfPlanes * (block - 1) + q];
                const Complex& outer = t.D[1 + kHalfPlanes * block + q];
                Complex& target =
                    t.D[kFirstFiveDegree + kBlockDirections * block + kHalfPlanes * k + q];
                target.re = (1.0 - share) * inner.re + share * outer.re;
                target.im = (1.0 - share) * inner.im + share * outer.im;
            }
        }
    }
}

} // namespace sonora
