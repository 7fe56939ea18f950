// The plane directions the rating reads, and the run objects' stages that compute only those.
#pragma once

#include <atomic>

#include "engine/box_planes.h"
#include "engine/box_stage.h"
#include "engine/calc_thread.h"
#include "optimizer/rating.h"

namespace sonora {

// Angle index in fgang_box_h and fgang_box_v of weighted direction k (0 .. 18, the angle
// 5·(k - 9) degrees): where planeGrade reads the weight horweight[k] or vertweight[k].
int weightDirectionAngle(int k);

// The plane angles BewerteErgebnisse reads with these parameters: in each plane the weighted
// directions whose weight is > 0. It reads no other angle of fgang_box_h and fgang_box_v.
PlaneAngles ratedPlaneAngles(const TBewertungsparameter& bewPara);

// The engine's stages for the optimizer's run objects: the box stage computes the planes only at
// `angles` (every angle until set). The three run objects share one instance, so they always
// select the same angles and results exchanged between them stay consistent. Written only while
// every object using it is idle.
class RatedPlaneStages : public CalcStages {
public:
    PlaneAngles angles = PlaneAngles::all();
    // The result last completed with every angle (by CalcBox), until a box stage of this kind
    // runs on it again. Results move between the objects whole, so the address names one.
    std::atomic<const TResult*> complete{nullptr};

    void box(TCalcThread& calc) override {
        const TResult* res = calc.Res.get();
        complete.compare_exchange_strong(res, nullptr);
        CalcBoxAtPlaneAngles(calc, angles);
    }
};

} // namespace sonora
