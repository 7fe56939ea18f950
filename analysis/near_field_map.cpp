// Pixel layout of the near-field map.
#include "analysis/near_field_map.h"

#include <algorithm>
#include <cmath>

#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr int kLegendDigits = 3;
constexpr int kDarkBrightness = 401;        // R + 2·G + B below this counts as a dark colour
constexpr int kShortMark = 5;               // pixels below the height-0 line
constexpr int kLongMark = 10;               // every kLongMarkEvery metres
constexpr int kLongMarkEvery = 5;           // m
constexpr int kLegendGap = 16;              // pixels between the height-0 line and the legend row
constexpr int kLegendHeight = 16;           // pixels
constexpr char kAtLeast[] = "\xE2\x89\xA5"; // "≥" in UTF-8

// The distance the map spans, m: at least its first column, at most the column limit.
double spannedDistance(double maxDistance) {
    if (std::isnan(maxDistance)) {
        maxDistance = 0.0;
    }
    return std::clamp(maxDistance, kNearFieldFirstX / 1000.0, kNearFieldDistanceLimit);
}

int zeroLine(int height) {
    return height * 3 / 4;
}

} // namespace

TColor nearFieldLegendTextColor(TColor color) {
    const int r = static_cast<int>(color & 0xFF);
    const int g = static_cast<int>((color >> 8) & 0xFF);
    const int b = static_cast<int>((color >> 16) & 0xFF);
    return r + 2 * g + b < kDarkBrightness ? kNearFieldWhite : kNearFieldBlack;
}

std::vector<NearFieldLegendEntry> nearFieldLegend(double maxSPL, double step) {
    std::vector<NearFieldLegendEntry> legend;
    for (int n = 0; n < kNearFieldColorCount; ++n) {
        const TColor c = dirBandColors()[n];
        legend.push_back({c,
                          nearFieldLegendTextColor(c),
                          kAtLeast + compactNumberText(kLegendDigits, maxSPL - n * step),
                          {}});
    }
    return legend;
}

double nearFieldScale(double maxDistance, int width) {
    const int usable = std::max(width - kNearFieldWidthReserve, 1);
    return spannedDistance(maxDistance) * 1000.0 / usable;
}

PixelRect nearFieldCellRect(double x, double y, double scale, int height) {
    const double half = kNearFieldCell / 2.0;
    const int size = static_cast<int>(std::ceil(kNearFieldCell / scale));
    const int left = kNearFieldLeft + static_cast<int>(std::lround(x / scale - half / scale));
    const int top = zeroLine(height) - static_cast<int>(std::lround(y / scale - half / scale));
    return {left, top, left + size, top + size};
}

NearFieldMap layoutNearFieldMap(const NearFieldLevels& levels, const NearFieldSettings& settings,
                                int width, int height) {
    NearFieldMap map;
    map.scale = nearFieldScale(settings.maxDistance, width);
    map.cells.reserve(levels.level.size());
    for (int row = 0; row < levels.rows; ++row) {
        for (int col = 0; col < levels.columns; ++col) {
            const double x = levels.x(col), y = levels.y(row);
            const double level = levels.at(col, row);
            map.cells.push_back({x, y, level,
                                 nearFieldColorIndex(level, settings.maxSPL, settings.step),
                                 nearFieldCellRect(x, y, map.scale, height)});
        }
    }
    map.margin = {0, 0, kNearFieldMarginWidth, std::max(height, 0)}; // right edge exclusive

    const int y0 = zeroLine(height);
    const int metres = static_cast<int>(std::floor(spannedDistance(settings.maxDistance)));
    for (int m = 0; m <= metres; ++m) {
        const int x = kNearFieldLeft + static_cast<int>(std::lround(m * 1000.0 / map.scale));
        const int length = m % kLongMarkEvery == 0 ? kLongMark : kShortMark;
        map.marks.push_back({x, y0, x, y0 + length, kNearFieldMarkColor});
    }

    map.legend = nearFieldLegend(settings.maxSPL, settings.step);
    const int entryWidth = std::max((width - kNearFieldWidthReserve) / kNearFieldColorCount, 1);
    for (int n = 0; n < kNearFieldColorCount; ++n) {
        const int left = kNearFieldLeft + n * entryWidth;
        map.legend[n].rect = {left, y0 + kLegendGap, left + entryWidth,
                              y0 + kLegendGap + kLegendHeight};
    }
    return map;
}

NearFieldMap buildNearFieldMap(const TProjekt& p, const TResult& res, int index,
                               const NearFieldSettings& settings, int width, int height) {
    const NearFieldBandRange band = selectNearFieldBand(res.freq, res.nfreq, index, settings.band);
    NearFieldLevels levels;
    if (band.count > 0) {
        const NearFieldCache cache = buildNearFieldCache(p, res, band);
        levels = computeNearFieldLevels(cache, nearFieldSources(p, res),
                                        nearFieldBandFrequencies(res, band), settings.maxDistance);
    }
    NearFieldMap map = layoutNearFieldMap(levels, settings, width, height);
    map.band = band;
    if (band.count > 0) {
        map.frequencyLabel = nearFieldFrequencyLabel(res.freq[index]);
    }
    return map;
}

} // namespace sonora
