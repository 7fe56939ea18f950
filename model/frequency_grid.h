// The logarithmic frequency grid every calculation runs on, and the rule for the grid settings.
#pragma once

#include "model/records.h"

namespace sonora {

// Grid the project properties fall back to when fMin equals fMax, and that the presets use, Hz.
inline constexpr double kDefaultGridFMin = 20.0;
inline constexpr double kDefaultGridFMax = 20000.0;

// Point counts of the three preset buttons of the project properties.
inline constexpr int kGridPointsGrob = 84;
inline constexpr int kGridPointsMittel = 126;
inline constexpr int kGridPointsFein = 250;

// Highest point count the 601-entry freq array can hold together with its 0 terminator.
inline constexpr int kMaxStorableGridPoints = kCurvePoints - 1;

// Clamps a point count to what BuildFrequencyGrid writes: 0 ... 600. This is only a guard against
// damaged input; the project properties keep sz within kMinGridPoints ... kMaxGridPoints.
int clampGridPointCount(int sz);

// Fills freq[0 .. sz-1] geometrically from fMin to fMax (freq[0] is exactly fMin, freq[sz-1]
// exactly fMax) and writes the terminator freq[sz] = 0. freq must hold kCurvePoints entries.
// sz is clamped with clampGridPointCount, so nothing beyond freq[600] is touched: sz <= 0 gives an
// empty grid (freq[0] = 0), sz = 1 the single point fMin, sz > 600 the 600-point grid. fMin and
// fMax are expected positive and finite (Hz); the grid-settings rule below ensures that for user
// input.
void BuildFrequencyGrid(double fMin, double fMax, int sz, double* freq);

// Points of a grid a calculation runs on: the entries before the first that is not > 0 (a NaN ends
// the grid too), at most kResultFreqs - 1, what a result row holds besides its terminator.
int gridPointCount(const double* freq);

// Rebuilds p.freq from p.fMin, p.fMax and p.sz. p.sz is replaced by its clamped value so that it
// always equals the number of points in p.freq.
void BuildFrequencyGrid(TProjekt& p);

// Frequency range and point count as entered in the project properties.
struct GridSettings {
    double fMin; // Hz
    double fMax; // Hz
    int points;
};

enum class GridPreset { Grob, Mittel, Fein };

// The settings a preset button fills in: 20 Hz ... 20 kHz with 84, 126 or 250 points.
GridSettings gridPreset(GridPreset preset);

// The rule for entered grid settings: fMax < fMin are swapped, equal values become 20 Hz ... 20
// kHz, the point count is limited to kMinGridPoints ... kMaxGridPoints. Idempotent.
GridSettings normaliseGridSettings(double fMin, double fMax, int points);

// Relative smoothing width that suits a grid: 7 * log10(fMax/fMin) / points, i.e. about seven
// times the spacing of neighbouring grid points in decades.
double gridSmoothingWidth(double fMin, double fMax, int points);

// Applies entered grid settings to the project: normalises them, stores fMin, fMax and sz, rebuilds
// the grid and sets glatt_amp and glatt_imp to gridSmoothingWidth. Undo and recalculation are the
// caller's business.
void applyGridSettings(TProjekt& p, const GridSettings& settings);

} // namespace sonora
