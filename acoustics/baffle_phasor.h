// Phasor sums of the baffle model: the sum of w·e^(-j·k·s) over many sources.
//
// Written so the compiler vectorises it: no branches, the shared sine-cosine kernel, fixed partial
// sums.
#pragma once

#include "model/complex.h"
#include "model/sin_cos.h"

namespace sonora {

// Σ w[i]·e^(-j·k·s[i]) for i < count, that is (Σ w·cos ks, -Σ w·sin ks). maxAbsS bounds |s[i]|;
// when k·maxAbsS exceeds kFastPhaseLimit (or is not finite) the library functions are used. The
// summation order is fixed, so equal inputs give bit-identical sums on every thread.
Complex phasorSum(const double* s, const double* w, int count, double k, double maxAbsS);

// Σ w[i]·cos(k·s[i]) for i < count; maxAbsS as for phasorSum.
double cosineSum(const double* s, const double* w, int count, double k, double maxAbsS);

} // namespace sonora
