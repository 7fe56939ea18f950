// Rating of a calculated design: the parameters the optimizer window sets, the direction weights
// and the grades. All grades are penalties; the optimizer minimises the total grade Note.
#pragma once

#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Directions per plane in the weights: -45° .. +45° in 5° steps.
inline constexpr int kWeightDirections = 19;

// Weights 0..100 of the horizontal and vertical directions -45°, -40°, ..., +45° (index k + 9 for
// the angle 5·k degrees). The rating only tests a weight for > 0.
struct TFgangWeights {
    double horweight[19];
    double vertweight[19];
};
static_assert(sizeof(TFgangWeights::horweight) == kWeightDirections * sizeof(double));

struct TBewertungsparameter {
    std::int32_t vgAmpTyp;      // 0 transistor amplifier, 1 tube amplifier
    double vgMinImpedanz;       // lowest impedance the amplifier may see, Ohm
    double vgWMaxPegel;         // weight of the maximum level
    double vgBasspegel;         // bass taste, linear
    double vgSHTPegel;          // treble taste, linear
    double vgWFgAchse;          // weight of the directional frequency responses
    double vgWFgEnergie;        // weight of the energy frequency response
    double vgMindBM;            // weight of the minimum directivity
    double vgWAB;               // weight of the working ranges
    double vgFmin[kMaxChassis]; // per driver: lower limit of its working range, Hz
    double vgFmax[kMaxChassis]; // per driver: upper limit of its working range, Hz
    double vgPeg[kMaxChassis];  // per driver: permitted relative level at the limits, linear
    TFgangWeights vgfgWeight;
    double vgEqCircuit[4]; // reserved
};

struct TBewertungen {
    double Note_I, Note_I1, Note_I2, Note_W, Note_P, Note_P1, Note_P2, Note_F, Note_Fh, Note_Fv,
        Note_B, Note_T, Note_Ph, Note_BM, Note_AB, Note, Note_F1, Note_F2, Note_F5, avgPegel,
        minUelmax;
};

// The curves the grades weigh and compare with; f in Hz, all dimensionless. One function per
// formula so that the rating and its tests use the same one.

// Target curve T(f) of the response grades for the bass taste `bass` and the treble taste
// `treble` (both linear, 1 = neutral). Never below kRatingTiny, so it can always divide.
double ratingTargetCurve(double f, double bass, double treble);
// Weight W(f) of the mean level: band-limits to about 100 Hz .. 20 kHz.
double ratingLevelWeight(double f);
// Weight wd(f) of the directional and energy responses: about 200 Hz .. 8 kHz.
double ratingDirectionWeight(double f);
// Weight wb(f) of the bass region: about 30 Hz .. 200 Hz.
double ratingBassWeight(double f);

// Guard of the rating against division by zero and for a target curve that would vanish.
inline constexpr double kRatingTiny = 1e-20;

// BewerteErgebnisse: every grade of `bewertungen` from a finished run's result and project.
// The run object's method calls this with its own Res, aktProjekt, BewPara and Bewertungen.
// Reads only res and aktProjekt, writes every field of `bewertungen` except Note_B, Note_T and
// minUelmax (and Note_I1, Note_I2 only for a tube amplifier). Never fails: for any counts and for
// all-zero responses every grade is finite. The parameters come from the optimizer window's
// controls through HoleAlleBewPara (optimizer/rating_params.h).
void BewerteErgebnisse(const TResult& res, const TProjekt& aktProjekt,
                       const TBewertungsparameter& bewPara, TBewertungen& bewertungen);

} // namespace sonora
