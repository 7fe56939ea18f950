// The box stage without its run object, for the stage itself, tests and benchmarks.
#pragma once

#include "model/records.h"
#include "model/result.h"

namespace sonora {

class WorkerPool;

// Computes every output of the box stage over the grid of p (the limits inside, the group delays
// after the last frequency) into res, sampling the sphere at every sphereStep-th point. Returns
// false at the first grid frequency where a non-finite value appears; what was written until then
// stays, later frequencies and the group delays are not touched.
bool computeBox(const TProjekt& p, TResult& res, int sphereStep);

// The same with the grid rows shared among the workers of `pool` (null: the plain loop). Every
// value is the same bit for bit as without the pool as long as the grid stays finite. After a
// fault the message and everything up to the faulting frequency are the same as well, but rows
// after it that another worker had already begun may hold this run's values, not the earlier ones.
bool computeBox(const TProjekt& p, TResult& res, int sphereStep, WorkerPool* pool);

} // namespace sonora
