// The near-field view: band choice, angle index, colour index, the level physics of point sources,
// the fast cell loop against a plain complex oracle, the map geometry, legend and curves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/near_field.h"
#include "analysis/near_field_curves.h"
#include "analysis/near_field_map.h"
#include "model/frequency_grid.h"

namespace sonora {
namespace {

constexpr double kSixDb = 6.020599913279624; // 20·log10 2

// A project and result with `drivers` drivers whose front response is `value` in every direction
// at every one of `points` grid frequencies from 20 Hz to 20 kHz.
struct Synthetic {
    std::unique_ptr<TProjekt> p = std::make_unique<TProjekt>();
    std::unique_ptr<TResult> res = std::make_unique<TResult>();
    Synthetic(int drivers, int points, Complex value) {
        double grid[kCurvePoints];
        BuildFrequencyGrid(20.0, 20000.0, points, grid);
        std::copy(grid, grid + points + 1, res->freq);
        res->nfreq = points;
        res->nChassis = drivers;
        for (int d = 0; d < drivers; ++d) {
            for (int i = 0; i < points; ++i) {
                for (int r = 0; r < kDirections; ++r) {
                    res->fgang_chas[d][0][i][r] = value;
                }
            }
        }
    }
};

TEST(NearFieldBand, OctaveAroundOneKilohertzCoversSevenHundredToFourteenHundred) {
    double freq[kCurvePoints];
    BuildFrequencyGrid(20.0, 20000.0, 250, freq);
    int index = 0;
    while (freq[index + 1] < 1000.0) {
        ++index;
    }
    if (1000.0 - freq[index] > freq[index + 1] - 1000.0) {
        ++index;
    }
    const double f0 = freq[index];
    const NearFieldBandRange b = selectNearFieldBand(freq, 250, index, NearFieldBand::Oktave);
    ASSERT_GT(b.count, 0);
    EXPECT_GT(freq[b.first], 707.0);
    EXPECT_LE(freq[b.first - 1], 0.7071 * f0);
    EXPECT_LT(freq[b.first + b.count - 1], 1414.0);
    EXPECT_GE(freq[b.first + b.count], 1.4142 * f0);
    int inside = 0; // every grid point strictly between 707 and 1414 Hz
    for (int i = 0; i < 250; ++i) {
        inside += freq[i] > 707.0 && freq[i] < 1414.0;
    }
    EXPECT_EQ(b.count, inside);

    EXPECT_EQ(selectNearFieldBand(freq, 250, index, NearFieldBand::Frequenz).count, 1);
    const NearFieldBandRange third = selectNearFieldBand(freq, 250, index, NearFieldBand::Terz);
    EXPECT_GT(freq[third.first], 0.8909 * f0);
    EXPECT_LT(freq[third.first + third.count - 1], 1.1225 * f0);
    EXPECT_LT(third.count, b.count);
}

TEST(NearFieldBand, StaysOnTheGridAndTakesAtMostThirtyOne) {
    double freq[kCurvePoints];
    BuildFrequencyGrid(20.0, 20000.0, 250, freq);
    // At the top end the band must not step onto the 0 terminator; at the bottom not below 0.
    const NearFieldBandRange top = selectNearFieldBand(freq, 250, 249, NearFieldBand::Oktave);
    EXPECT_EQ(top.first + top.count - 1, 249);
    EXPECT_EQ(selectNearFieldBand(freq, 250, 0, NearFieldBand::Oktave).first, 0);
    EXPECT_EQ(selectNearFieldBand(freq, 250, 250, NearFieldBand::Oktave).count, 0);
    EXPECT_EQ(selectNearFieldBand(freq, 250, -1, NearFieldBand::Oktave).count, 0);

    // 256 points over one decade: an octave would hold about 77 of them.
    BuildFrequencyGrid(100.0, 1000.0, 256, freq);
    const NearFieldBandRange dense = selectNearFieldBand(freq, 256, 128, NearFieldBand::Oktave);
    EXPECT_EQ(dense.count, kNearFieldMaxBand);
    EXPECT_EQ(dense.first, 128 - 15); // centred on the scroll-bar index
}

TEST(NearFieldGeometry, DriverOneMetreUpSeesCellAtSameHeightOnAxis) {
    Synthetic s(1, 6, {1.0, 0.0});
    s.p->Gemgeh.h = 0.9;
    s.p->schallwand[0].swvert = -0.45 + 1.0;
    s.p->schallwand[0].swstra = 0.0;
    const std::vector<NearFieldSource> src = nearFieldSources(*s.p, *s.res);
    ASSERT_EQ(src.size(), 1u);
    EXPECT_NEAR(src[0].y, 1000.0, 1e-9);
    EXPECT_EQ(nearFieldAngleIndex(3000.0 - src[0].x, 1000.0 - src[0].y), 90);
    // Below the driver the lower half-plane (index < 90), above it the upper one.
    EXPECT_EQ(nearFieldAngleIndex(1000.0, -1000.0), 45);
    EXPECT_EQ(nearFieldAngleIndex(1000.0, 1000.0), 135);
    EXPECT_EQ(nearFieldAngleIndex(0.0, 10.0), 180);
    EXPECT_EQ(nearFieldAngleIndex(0.0, 0.0), 90);

    const NearFieldDirection axis = nearFieldDirection(90);
    EXPECT_DOUBLE_EQ(axis.bgrad, std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(axis.lgrad, std::numbers::pi);
    const NearFieldDirection up = nearFieldDirection(91);
    EXPECT_DOUBLE_EQ(up.bgrad, 89.0 * std::numbers::pi / 180.0);
    EXPECT_DOUBLE_EQ(up.lgrad, 0.0);
}

TEST(NearFieldColor, StepsDownFromMaximum) {
    EXPECT_EQ(nearFieldColorIndex(110.0, 110.0, 6.0), 0);
    EXPECT_EQ(nearFieldColorIndex(110.0 - 6.5, 110.0, 6.0), 2);
    EXPECT_EQ(nearFieldColorIndex(104.0, 110.0, 6.0), 1);
    EXPECT_EQ(nearFieldColorIndex(130.0, 110.0, 6.0), 0);
    EXPECT_EQ(nearFieldColorIndex(-500.0, 110.0, 6.0), 13);
    EXPECT_EQ(nearFieldColorIndex(std::nan(""), 110.0, 6.0), 13);
    EXPECT_EQ(nearFieldColorIndex(100.0, 110.0, 0.0), 13); // no step: only the two ends
}

// One omnidirectional source of magnitude 1 at 1 m (112 dB) 2010 mm above the bottom edge.
TEST(NearFieldLevels, PointSourceFallsSixDecibelsPerDoubling) {
    constexpr int kSlots = 25;
    NearFieldCache cache(1, kSlots);
    for (int a = 0; a < kNearFieldAngles; ++a) {
        for (int k = 0; k < kSlots; ++k) {
            cache.set(0, a, k, {0.6, 0.8}); // |v| = 1, any phase
        }
    }
    std::vector<double> f(kSlots);
    for (int k = 0; k < kSlots; ++k) {
        f[k] = 700.0 * std::pow(2.0, k / 24.0);
    }
    const NearFieldLevels lv = computeNearFieldLevels(cache, {{0.0, 2010.0}}, f, 20.0);
    EXPECT_EQ(lv.columns, 666);
    EXPECT_EQ(lv.rows, 135);
    EXPECT_DOUBLE_EQ(lv.y(134), 4020.0);
    const int row = 67; // y = 2010 mm
    const int col1500 = (1500 - 60) / 30;
    EXPECT_NEAR(lv.at(col1500, row), 112.0 + 20.0 * std::log10(1000.0 / 1500.0), 1e-9);
    for (int d : {1500, 3000, 6000}) {
        const int c = (d - 60) / 30, c2 = (2 * d - 60) / 30;
        EXPECT_NEAR(lv.at(c, row) - lv.at(c2, row), kSixDb, 1e-9) << d;
    }
    // Off axis the same law: 1500 mm in front and 1980 mm down.
    EXPECT_NEAR(lv.at(col1500, 1), 112.0 + 20.0 * std::log10(1000.0 / std::hypot(1500.0, 1980.0)),
                1e-9);
    NearFieldLevels single =
        computeNearFieldLevels(cache, {{0.0, 2010.0}}, {f[0]}, 20.0); // wrong size on purpose
    // The cache has more slots than frequencies given: only the frequencies count, and N equal
    // magnitudes give the level of one.
    EXPECT_NEAR(single.at(col1500, row), lv.at(col1500, row), 1e-9);

    // Two identical coincident sources add in phase: +6.02 dB everywhere.
    NearFieldCache two(2, kSlots);
    for (int d = 0; d < 2; ++d) {
        for (int a = 0; a < kNearFieldAngles; ++a) {
            for (int k = 0; k < kSlots; ++k) {
                two.set(d, a, k, {0.6, 0.8});
            }
        }
    }
    const NearFieldLevels lv2 =
        computeNearFieldLevels(two, {{0.0, 2010.0}, {0.0, 2010.0}}, f, 20.0);
    for (int i : {0, 5000, 40000, 89909}) {
        EXPECT_NEAR(lv2.level[i] - lv.level[i], kSixDb, 1e-9) << i;
    }
}

// The fast phasor loop against std::complex on a random cache, three sources and the highest
// frequencies at the farthest cells (phases up to about 7000 rad).
TEST(NearFieldLevels, FastLoopMatchesComplexOracle) {
    constexpr int kSlots = 25;
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    NearFieldCache cache(3, kSlots);
    for (int d = 0; d < 3; ++d) {
        for (int a = 0; a < kNearFieldAngles; ++a) {
            for (int k = 0; k < kSlots; ++k) {
                cache.set(d, a, k, {u(rng), u(rng)});
            }
        }
    }
    std::vector<double> f(kSlots);
    for (int k = 0; k < kSlots; ++k) {
        f[k] = 14000.0 * std::pow(2.0, k / 24.0);
    }
    const std::vector<NearFieldSource> src = {{0.0, 250.0}, {-20.0, 700.0}, {0.0, 1050.0}};
    const NearFieldLevels lv = computeNearFieldLevels(cache, src, f, 20.0);
    double worst = 0.0;
    for (int i = 0; i < 400; ++i) {
        const int col = std::uniform_int_distribution<int>(0, lv.columns - 1)(rng);
        const int row = std::uniform_int_distribution<int>(0, lv.rows - 1)(rng);
        double energy = 0.0;
        for (int k = 0; k < kSlots; ++k) {
            std::complex<double> p = 0.0;
            for (int d = 0; d < 3; ++d) {
                const double dx = lv.x(col) - src[d].x, dy = lv.y(row) - src[d].y;
                const double r = std::hypot(dx, dy);
                const int a = std::clamp(static_cast<int>(std::lround(
                                             std::atan(dy / dx) * 180.0 / std::numbers::pi + 90.0)),
                                         0, 180);
                const Complex v = cache.value(d, a, k);
                p += std::complex<double>(v.re, v.im) * (1000.0 / r) *
                     std::exp(
                         std::complex<double>(0.0, -2.0 * std::numbers::pi * f[k] * r / 344000.0));
            }
            energy += std::norm(p);
        }
        const double expected = 20.0 * std::log10(std::sqrt(energy / kSlots)) + 112.0;
        worst = std::max(worst, std::abs(lv.at(col, row) - expected));
    }
    EXPECT_LT(worst, 1e-9);
}

TEST(NearFieldMap, CellsMarksAndLegendOnThePaintBox) {
    // 632 pixels wide: 600 for 20 m, 33.3 mm per pixel, so a cell is one pixel.
    Synthetic s(1, 6, {1.0, 0.0});
    s.p->Gemgeh.h = 0.3;
    NearFieldSettings set;
    const NearFieldMap m = buildNearFieldMap(*s.p, *s.res, 3, set, 632, 600);
    ASSERT_EQ(m.cells.size(), 666u * 135u);
    EXPECT_NEAR(m.scale, 20000.0 / 600.0, 1e-12);
    const NearFieldCell& last = m.cells[666 * 135 - 1]; // x 20010, y 4020
    EXPECT_EQ(last.rect.left, 30 + 600);
    EXPECT_EQ(last.rect.right - last.rect.left, 1);
    EXPECT_EQ(last.rect.top, 450 - static_cast<int>(std::lround((4020.0 - 15.0) / m.scale)));
    EXPECT_EQ(m.cells[0].rect.top, 450); // y = 0 lies on the line at 3/4 of the height
    EXPECT_EQ(m.margin.right, 29);
    ASSERT_EQ(m.marks.size(), 21u); // 0 … 20 m
    EXPECT_GT(m.marks[5].y2 - m.marks[5].y1, m.marks[4].y2 - m.marks[4].y1);
    EXPECT_EQ(m.marks[20].x1, 630);
    EXPECT_EQ(m.frequencyLabel, "Frequenz: 1262 Hz"); // 20·1000^(3/5) = 1261.9 Hz
    EXPECT_EQ(nearFieldFrequencyLabel(38.7879), "Frequenz: 38,79 Hz");
    // A source of 112 dB at 1 m: the cell 1.5 m in front on its height is 108.5 dB, colour 1.
    const int row = 5; // y = 150 mm = swvert + h/2
    const NearFieldCell& c = m.cells[row * 666 + (1500 - 60) / 30];
    EXPECT_NEAR(c.level, 112.0 + 20.0 * std::log10(1.0 / 1.5), 1e-9);
    EXPECT_EQ(c.color, 1);

    ASSERT_EQ(m.legend.size(), 14u);
    EXPECT_EQ(m.legend[0].text, "\xE2\x89\xA5"
                                "110");
    EXPECT_EQ(m.legend[13].text, "\xE2\x89\xA5"
                                 "32");
    EXPECT_EQ(m.legend[0].color, 0xE0E0E0u);
    EXPECT_EQ(m.legend[13].color, 0xC00000u);
    EXPECT_EQ(m.legend[0].textColor, kNearFieldBlack); // light grey
    EXPECT_EQ(m.legend[3].textColor, kNearFieldWhite); // black
}

TEST(NearFieldMap, LegendTextColourFollowsBrightness) {
    EXPECT_EQ(nearFieldLegendTextColor(0x00C800), kNearFieldWhite); // 2·200 = 400
    EXPECT_EQ(nearFieldLegendTextColor(0x00C801), kNearFieldBlack); // 401
    EXPECT_EQ(nearFieldLegendTextColor(0xC80000), kNearFieldWhite); // blue 200 only
    EXPECT_EQ(nearFieldLegendTextColor(0x00F0FF), kNearFieldBlack); // yellow
}

TEST(NearFieldCurves, DistancesColoursAndLevels) {
    EXPECT_EQ(nearFieldCurveDistances(5.0, 20.0), (std::vector<double>{5.0, 10.0, 15.0, 20.0}));
    EXPECT_EQ(nearFieldCurveDistances(0.1, 0.3).size(), 3u);
    EXPECT_TRUE(nearFieldCurveDistances(0.0, 20.0).empty());
    EXPECT_TRUE(nearFieldCurveDistances(-1.0, 20.0).empty());
    EXPECT_EQ(nearFieldCurveDistances(1e-9, 20.0).size(), size_t{kNearFieldMaxCurves});

    Synthetic s(1, 8, {1.0, 0.0});
    s.p->Gemgeh.h = 0.4;
    s.p->schallwand[0].swvert = 1.0; // 1.2 m above the bottom edge: the listening height
    NearFieldSettings set;
    const NearFieldCurves c = buildNearFieldCurves(*s.p, *s.res, set);
    EXPECT_EQ(c.title, "Chart von ....");
    ASSERT_EQ(c.curves.size(), 4u);
    // v = round((x - 1)/20·255): 51 at 5 m, 242 at 20 m (red 255 - v, blue v).
    EXPECT_EQ(c.curves.front().color, (255u - 51u) | (51u << 16));
    EXPECT_EQ(c.curves.back().color, (255u - 242u) | (242u << 16));
    ASSERT_EQ(c.curves[0].level.size(), 8u);
    EXPECT_DOUBLE_EQ(c.curves[0].freq[7], 20000.0);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(c.curves[0].level[i], 112.0 + 20.0 * std::log10(1.0 / 5.0), 1e-9);
        EXPECT_NEAR(c.curves[0].level[i] - c.curves[1].level[i], kSixDb, 1e-9);
    }
}

} // namespace
} // namespace sonora
