// "Frequenzgänge  auf gleicher Höhe": frequency responses at several distances at one listening
// height in front of the shared cabinet.
#pragma once

#include <string>
#include <vector>

#include "analysis/near_field.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Title of the chart window of the curves (ASCII).
extern const char* const kNearFieldCurvesTitle; // "Chart von ...."

// More distances than this are not drawn (a tiny step would otherwise ask for millions).
inline constexpr int kNearFieldMaxCurves = 100;

struct NearFieldCurve {
    double distance;           // m from the front plane
    TColor color;              // red at the first distance, blue at the last
    std::vector<double> freq;  // grid frequencies, Hz
    std::vector<double> level; // dB
};

struct NearFieldCurves {
    std::string title;
    std::vector<NearFieldCurve> curves;
};

// Distances s, 2s, … while not beyond maxDistance (m, a rounding error of 1e-9 relative is
// forgiven so 0.1 m steps reach 0.3 m); none for a step that is not positive.
std::vector<double> nearFieldCurveDistances(double step, double maxDistance);

// Colour of the curve at `distance` m: v = round((distance - 1)/maxDistance·255), red 255 - v,
// blue v; the curves thus turn from reddish near the box to bluish far away.
TColor nearFieldCurveColor(double distance, double maxDistance);

// Level at every grid frequency f (below res.nfreq) at distance `distance` m and the settings'
// listening height: p = Σ_d R_d·(1/r_d)·e^(-j·2π·f·r_d/344) with dx = distance - swstra,
// dz = (height - h/2) - swvert, r = sqrt(dx² + dz²), φ = atan(dz/dx) + π/2 and R_d the driver's
// front-sound response at bgrad φ, lgrad π for φ <= π/2, else at bgrad π - φ, lgrad 0; the level is
// 20·log10|p| + 112 (a silent point takes the level of 1e-50).
NearFieldCurve nearFieldCurveAt(const TProjekt& p, const TResult& res, double distance,
                                double listeningHeight);

// All curves of the command with the settings' listening height and distance step.
NearFieldCurves buildNearFieldCurves(const TProjekt& p, const TResult& res,
                                     const NearFieldSettings& settings);

} // namespace sonora
