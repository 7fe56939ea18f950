// The optimizer thread's calls into the main thread. Each call blocks the optimizer thread until it
// returns; a GUI forwards them to its own thread with a blocking queued call, tests answer
// directly.
#pragma once

#include "model/records.h"
#include "model/result.h"
#include "optimizer/rating.h"

namespace sonora {

class OptiHost {
public:
    virtual ~OptiHost() = default;
    // The rating parameters as the optimizer window shows them now (HoleAlleBewPara); the thread
    // hands a copy to each of its run objects.
    virtual TBewertungsparameter HoleAlleBewPara() = 0;
    // Progress bar: pbtag permille of its width; a negative value clears it.
    virtual void UpdatePercentage(int pbtag) = 0;
    // The grades and result of the best design so far (run object 0), valid during the call.
    virtual void Noten2Memo(const TBewertungen& grades, const TResult& res) = 0;
    // Lets the user (or the chosen series) settle the value of the part being fixed.
    virtual void Choosefixpart(TPart& fixpart) = 0;
    // The run ended by itself (not by a stop request).
    virtual void ShowOptimizeReady() = 0;
};

} // namespace sonora
