// Path phase of a driver's outlet position towards an observation direction, and the sine/cosine
// pairs the box stage rotates its responses with.
#pragma once

#include "model/complex.h"
#include "model/physics.h"
#include "model/sin_cos.h" // sinCosArray, the pairs for rotateByPair

namespace sonora {

// k' = -2π·f/344 (1/m): the phase per metre of path towards the listener is k'·(projection).
inline double phasePerMetre(double f) {
    return -kTwoPi * f / kSpeedOfSound;
}

// Outlet position of a driver's side (diaphragm or vent), m, relative to the baffle centre.
struct OutletPosition {
    double horizontal; // towards +A
    double vertical;   // towards +B
    double depth;      // towards the listener on axis
};

// A direction from the box as a unit vector: right (towards +A), up (towards +B) and forwards
// (along the axis, towards the listener).
struct Direction {
    double right;
    double up;
    double forwards;
};

// Projection (m) of an outlet onto direction e: how much nearer a listener in that direction the
// outlet is than the baffle centre. The one formula for every direction the box stage radiates
// into (the 90-direction table, the planes and the sphere samples), so they cannot disagree.
// A direction component of exactly 0 still adds a signed zero, which can turn a projection of -0
// into +0; the phases only go through fastSinCos, whose sine of either zero is +0.
inline double outletProjection(const OutletPosition& o, const Direction& e) {
    return o.horizontal * e.right + o.vertical * e.up + o.depth * e.forwards;
}

// Direction r of the 90-direction table by the index formula of the 30° rings:
// v = ((r + 3) mod 4) + 1 picks the half-plane (1: +B, 2: -A, 3: -B, 4: +A) and
// θ = ((r + 3) div 4)·30° the polar angle. r = 0 is the axis. Directions 22..89 (oblique and 5°
// directions) get the same formula although it yields angles that do not belong to them (180°
// and more); the box responses there carry that phase.
Direction directionOfIndex(int r);

// The direction at the signed angle θ (rad) from the axis in the horizontal plane (plane 0, θ > 0
// towards +A) or the vertical plane (plane 1, θ > 0 towards +B).
Direction planeDirection(int plane, double angle);

// The direction at bgrad (rad, π/2 on axis, 0 in the baffle plane) and lgrad (rad, 0 towards
// +B, π/2 towards -A), the angles of directionWeights.
Direction sphereDirection(double bgrad, double lgrad);

// Projection (m) of an outlet at (depth, vertical, horizontal) onto table direction r:
// outletProjection onto directionOfIndex(r). For r = 0 this is the depth.
double directionProjection(int r, double depth, double vertical, double horizontal);

// Path phase (rad) of an outlet at (depth, vertical, horizontal) towards direction r at f (Hz):
// phasePerMetre(f)·directionProjection(...). A source nearer the listener gets a more negative
// value, so CRotate by it advances its phase.
double DirectionPhase(int r, double f, double depth, double vertical, double horizontal);

// r = a·e^(-jx) given c = cos x and s = sin x: CRotate with the pair computed beforehand.
inline void rotateByPair(const Complex& a, double c, double s, Complex& r) {
    const Complex y = a;
    r.re = c * y.re + s * y.im;
    r.im = c * y.im - s * y.re;
}

} // namespace sonora
