#include "analysis/dir_map.h"

#include <algorithm>
#include <cmath>

#include "model/physics.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr int kLegendDigits = 5; // significant digits of the legend labels
constexpr int kLastAngleIndex = kPlaneAngles - 1;
constexpr double kHalfRange = 180;   // degrees covered by the ±90° map
constexpr double kFullRange = 360;   // degrees covered by the ±180° map
constexpr double kRange90Start = 90; // angle index of −90°

} // namespace

int frequencyPixel(double f, double fmin, double fmax, int left, int right) {
    if (!(f > fmin) || !(fmax > fmin)) {
        return left;
    }
    if (f >= fmax) {
        return right;
    }
    const double share = std::log10(f / fmin) / std::log10(fmax / fmin);
    return left + static_cast<int>(std::lround(share * (right - left)));
}

StripColumns stripColumns(const TDirData& d, int i, double fmin, double fmax, int left, int right) {
    const int n = std::clamp<int>(d.nvalues, 0, kResultFreqs - 1);
    if (i < 0 || i >= n) {
        return {};
    }
    const double lo = i > 0 ? (d.x[i - 1] + d.x[i]) / 2 : d.x[i];
    const double hi = i + 1 < n ? (d.x[i] + d.x[i + 1]) / 2 : d.x[i];
    return {frequencyPixel(lo, fmin, fmax, left, right),
            frequencyPixel(hi, fmin, fmax, left, right)};
}

RowAngle rowAngle(int r, int R, bool range90) {
    const double share = R > 0 ? static_cast<double>(r) / R : 0.0;
    const double u = range90 ? share * kHalfRange + kRange90Start : share * kFullRange;
    RowAngle a;
    a.t = std::clamp(static_cast<int>(std::floor(u)), 0, kLastAngleIndex);
    a.q = u - a.t;
    a.t1 = std::min(a.t + 1, kLastAngleIndex);
    return a;
}

double rowValue(const TDirData& d, int i, const RowAngle& row) {
    return (1 - row.q) * d.y[i][row.t] + row.q * d.y[i][row.t1];
}

int bandIndex(double level, const BandLimits& limits) {
    const double n = std::floor((limits.upper - level) * kDirBands / (limits.upper - limits.lower));
    if (std::isnan(n)) {
        return kDirBands - 1;
    }
    return static_cast<int>(std::clamp(n, 0.0, static_cast<double>(kDirBands - 1)));
}

std::vector<LegendEntry> dirLegend(const BandLimits& limits) {
    std::vector<LegendEntry> legend;
    for (int j = 0; j < kDirBands; ++j) {
        const double label =
            static_cast<double>(j) / kDirBands * (limits.upper - limits.lower) + limits.lower;
        const int band = kDirBands - 1 - j;
        legend.push_back({compactNumberText(kLegendDigits, label), band, dirBandColors()[band]});
    }
    return legend;
}

std::vector<DirMapRect> dirMapRects(const TDirData& d, double fmin, double fmax,
                                    const BandLimits& limits, bool range90, const PixelRect& plot) {
    std::vector<DirMapRect> rects;
    const int R = plot.bottom - plot.top;
    if (R < 0) {
        return rects;
    }
    // The row mapping is the same in every strip.
    std::vector<RowAngle> rows(static_cast<std::size_t>(R) + 1);
    for (int r = 0; r <= R; ++r) {
        rows[r] = rowAngle(r, R, range90);
    }
    const int n = std::clamp<int>(d.nvalues, 0, kResultFreqs - 1);
    for (int i = 0; i < n; ++i) {
        const StripColumns s = stripColumns(d, i, fmin, fmax, plot.left, plot.right);
        if (s.last <= s.first) {
            continue;
        }
        int runStart = 0;
        int runBand = -1;
        auto close = [&](int lastRow) {
            const int band = runBand;
            rects.push_back({{s.first, plot.bottom - lastRow, s.last, plot.bottom - runStart + 1},
                             band,
                             dirBandColors()[band]});
        };
        for (int r = 0; r <= R; ++r) {
            const double level = 20 * std::log10(rowValue(d, i, rows[r]) + kLevelGuard);
            const int band = bandIndex(level, limits);
            if (band != runBand) {
                if (runBand >= 0) {
                    close(r - 1);
                }
                runStart = r;
                runBand = band;
            }
        }
        close(R);
    }
    return rects;
}

DirMapPicture paintDirMap(TDirPlot& plot, const DirViewOptions& o, const PixelRect& area) {
    DirMapPicture pic;
    pic.title = dirMapTitle(o.vertical);
    pic.note = dirMapNote(o.vertical);
    pic.axisTitle = dirMapAxisTitle();
    pic.limits = bandLimits(o.bandWidthItem, o.noJumpAtZero);
    pic.angleMin = o.range90 ? -90 : -180;
    pic.angleMax = -pic.angleMin;
    pic.legend = dirLegend(pic.limits);
    TDirData& d = plot.DirData();
    if (!d.valid) {
        return pic;
    }
    computeMapValues(d, o.vertical, dirReference(o), referenceAngleIndex(o));
    pic.rects = dirMapRects(d, plot.fmin, plot.fmax, pic.limits, o.range90, area);
    return pic;
}

} // namespace sonora
