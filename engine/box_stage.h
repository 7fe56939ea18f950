// The box stage without its run object, for the stage itself, tests and benchmarks.
#pragma once

#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Computes every output of the box stage over the grid of p (the limits inside, the group delays
// after the last frequency) into res, sampling the sphere at every sphereStep-th point. Returns
// false at the first grid frequency where a non-finite value appears; what was written until then
// stays, later frequencies and the group delays are not touched.
bool computeBox(const TProjekt& p, TResult& res, int sphereStep);

} // namespace sonora
