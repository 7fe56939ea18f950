// Comparison curves of the frequency-response chart: low-pass and high-pass magnitude of eight
// textbook crossover filters over the project's grid.
#pragma once

#include <string>

#include "model/complex.h"
#include "model/records.h"

namespace sonora {

// Points a comparison curve holds.
inline constexpr int kComparisonPoints = 257;

struct CurvePoint {
    double f;     // Hz
    double level; // dB
};

// One comparison curve of the chart, drawn only when valid.
struct ComparisonCurve {
    bool valid = false;
    int count = 0; // points in use, 0 .. kComparisonPoints
    CurvePoint points[kComparisonPoints] = {};
};

// In the order of the filter-type list; LinkwitzRiley2 is the default.
enum class FilterType {
    LinkwitzRiley2,
    LinkwitzRiley4,
    LinkwitzRiley8,
    FirstOrder,
    Butterworth2,
    Bessel2,
    Butterworth3,
    Butterworth4,
};
inline constexpr int kFilterTypeCount = 8;

// The list text of a type, e.g. "Butterworth 2.  Ordnung" (with two blanks, as listed).
std::string filterTypeName(FilterType type);

// Defaults of the entry fields.
inline constexpr double kDefaultComparisonFc = 2000.0;  // Hz, "Trennfrequenz [Hz]"
inline constexpr double kDefaultComparisonLevel = 86.3; // dB, "Pegel [dB]"

// Transfer of both branches at x = f / fc. The high-pass keeps its textbook polarity
// (second-order section -x² / (1 - x² + j d x)), so a Linkwitz-Riley 2nd-order pair sums flat
// only with one branch reversed.
struct FilterPair {
    Complex lowPass;
    Complex highPass;
};
FilterPair comparisonFilter(FilterType type, double x);

// Fills curve 1 with (f, 20 log10 |LP| + level) and curve 2 with the high-pass for every grid
// frequency f of `freq` (the project's grid, read while f > 0, at most kCurvePoints values) and
// marks both valid. A curve keeps the first kComparisonPoints frequencies; count is the number of
// frequencies used. fc must be > 0 and fc and level finite, otherwise both curves are cleared
// and false is returned.
bool comparisonCurvesByFilter(const double (&freq)[kCurvePoints], double fc, double level,
                              FilterType type, ComparisonCurve& lowCurve,
                              ComparisonCurve& highCurve);

// Back to an empty, invalid curve ("keine Vergleichskurven anzeigen").
void clearComparisonCurve(ComparisonCurve& curve);

} // namespace sonora
