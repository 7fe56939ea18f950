// The box stage without its run object, for the stage itself, tests and benchmarks.
#pragma once

#include "engine/box_planes.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

class TCalcThread;
class WorkerPool;

// Computes every output of the box stage over the grid of p (the limits inside, the group delays
// after the last frequency) into res, sampling the sphere at every sphereStep-th point and the
// planes at the selected angles (the others 0). Returns false at the first grid frequency where
// a non-finite value appears; what was written until then stays, later frequencies and the group
// delays are not touched.
//
// With a pool the grid rows are shared among its workers (null: the plain loop). Every value is
// the same bit for bit as without the pool as long as the grid stays finite. After a fault the
// message and everything up to the faulting frequency are the same as well, but rows after it
// that another worker had already begun may hold this run's values, not the earlier ones.
bool computeBox(const TProjekt& p, TResult& res, int sphereStep,
                const PlaneAngles& planes = PlaneAngles::all(), WorkerPool* pool = nullptr);

// The box stage of a run object with the planes at the selected angles only (the others 0):
// what an optimizer run object needs for its rating. CalcBox computes every angle. The other
// outputs, and the planes at the selected angles, are the same bit for bit either way.
void CalcBoxAtPlaneAngles(TCalcThread& calc, const PlaneAngles& planes);

} // namespace sonora
