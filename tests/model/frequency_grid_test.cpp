// The frequency grid and the grid-settings rule of the project properties.
#include "model/frequency_grid.h"

#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "model/result.h"

namespace sonora {
namespace {

// A freq array with a recognisable fill, so untouched entries show.
constexpr double kFill = -7.0;

std::vector<double> filledArray() {
    return std::vector<double>(kCurvePoints, kFill);
}

TEST(FrequencyGrid, SixPointsFrom20HzTo20kHz) {
    std::vector<double> freq = filledArray();
    BuildFrequencyGrid(20.0, 20000.0, 6, freq.data());
    const double expected[] = {20.0, 79.62, 316.98, 1261.9, 5023.8, 20000.0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(freq[i], expected[i], expected[i] * 5e-5) << "point " << i;
    }
    EXPECT_EQ(freq[0], 20.0);
    EXPECT_EQ(freq[5], 20000.0);
    EXPECT_EQ(freq[6], 0.0);
    EXPECT_EQ(freq[7], kFill);
}

TEST(FrequencyGrid, GeometricWithExactEndsAndTerminator) {
    // fMin and fMax chosen so pow would not land on fMax exactly.
    const double fMin = 17.3, fMax = 19876.1;
    for (int sz : {2, 7, 84, 126, 250, 256}) {
        std::vector<double> freq = filledArray();
        BuildFrequencyGrid(fMin, fMax, sz, freq.data());
        EXPECT_EQ(freq[0], fMin) << sz;
        EXPECT_EQ(freq[sz - 1], fMax) << sz;
        EXPECT_EQ(freq[sz], 0.0) << sz;
        EXPECT_EQ(freq[sz + 1], kFill) << sz;
        const double step = std::pow(fMax / fMin, 1.0 / (sz - 1));
        for (int i = 1; i < sz; ++i) {
            EXPECT_GT(freq[i], freq[i - 1]);
            EXPECT_NEAR(freq[i] / freq[i - 1], step, 1e-12) << sz << " point " << i;
        }
    }
}

TEST(FrequencyGrid, HostilePointCountsStayInsideTheArray) {
    // The array is exactly 601 long; ASan reports any write past it.
    auto freq = std::make_unique<double[]>(kCurvePoints);

    BuildFrequencyGrid(20.0, 20000.0, 100000, freq.get());
    EXPECT_EQ(freq[0], 20.0);
    EXPECT_EQ(freq[599], 20000.0);
    EXPECT_EQ(freq[600], 0.0);

    BuildFrequencyGrid(20.0, 20000.0, 601, freq.get());
    EXPECT_EQ(freq[599], 20000.0);
    EXPECT_EQ(freq[600], 0.0);

    BuildFrequencyGrid(20.0, 20000.0, 1, freq.get());
    EXPECT_EQ(freq[0], 20.0);
    EXPECT_EQ(freq[1], 0.0);

    for (int sz : {0, -1, -100000}) {
        freq[0] = kFill;
        BuildFrequencyGrid(20.0, 20000.0, sz, freq.get());
        EXPECT_EQ(freq[0], 0.0) << sz;
    }

    EXPECT_EQ(clampGridPointCount(-5), 0);
    EXPECT_EQ(clampGridPointCount(256), 256);
    EXPECT_EQ(clampGridPointCount(600), 600);
    EXPECT_EQ(clampGridPointCount(601), 600);
}

TEST(FrequencyGrid, PointCountEndsAtTheFirstEntryNotAboveZeroAndAtWhatAResultHolds) {
    std::vector<double> freq(kCurvePoints, 0.0);
    EXPECT_EQ(gridPointCount(freq.data()), 0);
    BuildFrequencyGrid(20, 20000, 250, freq.data());
    EXPECT_EQ(gridPointCount(freq.data()), 250);
    freq[7] = std::nan("");
    EXPECT_EQ(gridPointCount(freq.data()), 7);
    freq[7] = -1;
    EXPECT_EQ(gridPointCount(freq.data()), 7);
    BuildFrequencyGrid(20, 20000, 600, freq.data()); // more than a result row holds
    EXPECT_EQ(gridPointCount(freq.data()), kResultFreqs - 1);
}

TEST(FrequencyGrid, ProjectGridUsesItsFieldsAndKeepsSzConsistent) {
    auto p = std::make_unique<TProjekt>();
    p->fMin = 20.0;
    p->fMax = 20000.0;
    p->sz = 256;
    BuildFrequencyGrid(*p);
    int count = 0;
    while (p->freq[count] > 0.0) {
        ++count;
    }
    EXPECT_EQ(count, 256);
    EXPECT_EQ(p->freq[0], 20.0);
    EXPECT_EQ(p->freq[255], 20000.0);

    p->sz = 5000;
    BuildFrequencyGrid(*p);
    EXPECT_EQ(p->sz, 600);
    EXPECT_EQ(p->freq[600], 0.0);
}

TEST(GridSettings, SwapEqualAndClamp) {
    GridSettings s = normaliseGridSettings(5000.0, 50.0, 100);
    EXPECT_EQ(s.fMin, 50.0);
    EXPECT_EQ(s.fMax, 5000.0);
    EXPECT_EQ(s.points, 100);

    s = normaliseGridSettings(100.0, 100.0, 100);
    EXPECT_EQ(s.fMin, 20.0);
    EXPECT_EQ(s.fMax, 20000.0);

    EXPECT_EQ(normaliseGridSettings(20.0, 20000.0, 5).points, 6);
    EXPECT_EQ(normaliseGridSettings(20.0, 20000.0, -3).points, 6);
    EXPECT_EQ(normaliseGridSettings(20.0, 20000.0, 6).points, 6);
    EXPECT_EQ(normaliseGridSettings(20.0, 20000.0, 256).points, 256);
    EXPECT_EQ(normaliseGridSettings(20.0, 20000.0, 300).points, 256);

    // Normalising again changes nothing.
    const GridSettings again = normaliseGridSettings(s.fMin, s.fMax, s.points);
    EXPECT_EQ(again.fMin, s.fMin);
    EXPECT_EQ(again.fMax, s.fMax);
    EXPECT_EQ(again.points, s.points);
}

TEST(GridSettings, PresetsSpanTheAudioBand) {
    const struct {
        GridPreset preset;
        int points;
    } cases[] = {{GridPreset::Grob, 84}, {GridPreset::Mittel, 126}, {GridPreset::Fein, 250}};
    for (const auto& c : cases) {
        const GridSettings s = gridPreset(c.preset);
        EXPECT_EQ(s.fMin, 20.0);
        EXPECT_EQ(s.fMax, 20000.0);
        EXPECT_EQ(s.points, c.points);
    }
}

TEST(GridSettings, ApplyingRebuildsTheGridAndSetsBothSmoothingWidths) {
    auto p = std::make_unique<TProjekt>();
    applyGridSettings(*p, GridSettings{100.0, 100.0, 300});
    EXPECT_EQ(p->fMin, 20.0);
    EXPECT_EQ(p->fMax, 20000.0);
    EXPECT_EQ(p->sz, 256);
    EXPECT_EQ(p->freq[0], 20.0);
    EXPECT_EQ(p->freq[255], 20000.0);
    EXPECT_EQ(p->freq[256], 0.0);
    // 7 * 3 decades / 256 points
    EXPECT_DOUBLE_EQ(p->glatt_amp, 21.0 / 256.0);
    EXPECT_DOUBLE_EQ(p->glatt_imp, 21.0 / 256.0);

    applyGridSettings(*p, GridSettings{1000.0, 10.0, 84});
    EXPECT_EQ(p->fMin, 10.0);
    EXPECT_EQ(p->fMax, 1000.0);
    EXPECT_EQ(p->sz, 84);
    EXPECT_EQ(p->freq[83], 1000.0);
    EXPECT_EQ(p->freq[84], 0.0);
    EXPECT_DOUBLE_EQ(p->glatt_amp, 14.0 / 84.0);
    EXPECT_DOUBLE_EQ(p->glatt_imp, 14.0 / 84.0);
}

} // namespace
} // namespace sonora
