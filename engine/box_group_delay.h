// Group delay of the drivers' and the box's on-axis responses (fgang_glz).
#pragma once

#include "model/complex.h"
#include "model/result.h"

namespace sonora {

// tau[i] = -dφ/dω (s) of the response h over the grid freq[0..n-1] (Hz, rising), from the
// unwrapped phase by central differences, one-sided at the ends and next to points of zero
// magnitude. tau is 0 where |h| is 0, where no neighbour has a phase, and for n = 1. Phase steps
// between neighbouring points are taken as the smallest equivalent angle, so the grid must be fine
// enough that the true step stays below π.
void groupDelay(const Complex* h, const double* freq, int n, double* tau);

// fgang_glz for n grid points: slots 0..31 from each driver's on-axis fgang_chassis (diaphragm
// plus vent), slot 32 from fgang_box[..][0].
void fillGroupDelays(TResult& res, const double* freq, int n);

} // namespace sonora
