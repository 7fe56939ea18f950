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

// Projection (m) of an outlet at (depth, vertical, horizontal) onto direction r of the 90-direction
// table, by the index formula of the 30° rings: v = ((r + 3) mod 4) + 1 picks the half-plane
// (1: +B, 2: -A, 3: -B, 4: +A) and θ = ((r + 3) div 4)·30° the polar angle. For r = 0 this is the
// depth. Directions 22..89 (oblique and 5° directions) get the same formula although it yields
// angles that do not belong to them (180° and more); the box responses there carry that phase.
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
