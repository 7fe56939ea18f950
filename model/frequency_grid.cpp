#include "model/frequency_grid.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "model/result.h"

namespace sonora {

namespace {

// Factor of the smoothing width per decade and grid point.
constexpr double kSmoothingPointsPerStep = 7.0;

} // namespace

int clampGridPointCount(int sz) {
    return std::clamp(sz, 0, kMaxStorableGridPoints);
}

void BuildFrequencyGrid(double fMin, double fMax, int sz, double* freq) {
    const int n = clampGridPointCount(sz);
    if (n >= 1) {
        freq[0] = fMin;
    }
    if (n >= 2) {
        const double ratio = fMax / fMin;
        const double steps = n - 1;
        for (int i = 1; i < n - 1; ++i) {
            freq[i] = fMin * std::pow(ratio, i / steps);
        }
        // pow does not promise to hit the end exactly; the last point must equal fMax.
        freq[n - 1] = fMax;
    }
    freq[n] = 0.0;
}

int gridPointCount(const double* freq) {
    int n = 0;
    while (n < kResultFreqs - 1 && freq[n] > 0.0) {
        ++n;
    }
    return n;
}

void BuildFrequencyGrid(TProjekt& p) {
    p.sz = clampGridPointCount(p.sz);
    BuildFrequencyGrid(p.fMin, p.fMax, p.sz, p.freq);
}

GridSettings gridPreset(GridPreset preset) {
    int points = kGridPointsMittel;
    switch (preset) {
    case GridPreset::Grob:
        points = kGridPointsGrob;
        break;
    case GridPreset::Mittel:
        points = kGridPointsMittel;
        break;
    case GridPreset::Fein:
        points = kGridPointsFein;
        break;
    }
    return GridSettings{kDefaultGridFMin, kDefaultGridFMax, points};
}

GridSettings normaliseGridSettings(double fMin, double fMax, int points) {
    if (fMax < fMin) {
        std::swap(fMin, fMax);
    } else if (fMax == fMin) {
        fMin = kDefaultGridFMin;
        fMax = kDefaultGridFMax;
    }
    return GridSettings{fMin, fMax, std::clamp(points, kMinGridPoints, kMaxGridPoints)};
}

double gridSmoothingWidth(double fMin, double fMax, int points) {
    return kSmoothingPointsPerStep * std::log10(fMax / fMin) / points;
}

void applyGridSettings(TProjekt& p, const GridSettings& settings) {
    const GridSettings s = normaliseGridSettings(settings.fMin, settings.fMax, settings.points);
    p.fMin = s.fMin;
    p.fMax = s.fMax;
    p.sz = s.points;
    BuildFrequencyGrid(p);
    const double width = gridSmoothingWidth(s.fMin, s.fMax, s.points);
    p.glatt_amp = width;
    p.glatt_imp = width;
}

} // namespace sonora
