// The grade of a whole design as the optimizer sees it: computed on an optimizer run object with
// the window's default rating controls and rated by BewerteErgebnisse.
#pragma once

#include <chrono>

#include <gtest/gtest.h>

#include "engine/calc_thread.h"
#include "optimizer/rating.h"
#include "optimizer/rating_params.h"

namespace sonora::testing {

inline TBewertungsparameter defaultParameters(const TProjekt& p) {
    return HoleAlleBewPara(RatingSliders{}, fgangWeightsFromSliders(WeightSliders{}),
                           InitArbeitsfreqs({}, p), p.nChassis);
}

inline TBewertungen designGrades(const TProjekt& p) {
    TCalcThread::Options o;
    o.isOptimizeThread = true;
    o.lowerPriority = false;
    TCalcThread calc(o);
    const TBewertungsparameter para = defaultParameters(p);
    TBewertungen grades{};
    calc.rating = [&](TCalcThread& c) { BewerteErgebnisse(*c.Res, *c.aktProjekt, para, grades); };
    calc.requestCalcNew(p);
    EXPECT_TRUE(calc.waitUntilIdle(std::chrono::seconds(120)));
    return grades;
}

} // namespace sonora::testing
