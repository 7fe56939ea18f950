// The directivity data and map: filling from a result, band limits, references, strips, rows,
// bands and the rectangles the window paints.
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "analysis/dir_data.h"
#include "analysis/dir_map.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

double dB(double v) {
    return 20 * std::log10(v + 1e-50);
}

// A data set on a geometric grid whose horizontal magnitude falls off away from the axis,
// by `dBPerDegree`, with a frequency-dependent on-axis level.
std::unique_ptr<TDirData> syntheticData(int n, double dBPerDegree) {
    auto d = makeDirData();
    d->valid = true;
    d->nvalues = n;
    for (int i = 0; i < n; ++i) {
        d->x[i] = 20 * std::pow(1000.0, static_cast<double>(i) / (n - 1));
        const double axis = 0.3 + 0.01 * i;
        for (int a = 0; a < kPlaneAngles; ++a) {
            const double off = std::abs(a - kAxisAngleIndex);
            d->yh[i][a] = axis * std::pow(10.0, -dBPerDegree * off / 20);
            d->yv[i][a] = 2 * d->yh[i][a];
        }
    }
    return d;
}

TEST(DirData, FillCopy2MerkAndClearMerk) {
    auto r = std::make_unique<TResult>();
    r->valid = true;
    r->nfreq = 3;
    for (int i = 0; i < 3; ++i) {
        r->freq[i] = 100.0 * (i + 1);
        for (int a = 0; a < kPlaneAngles; ++a) {
            r->fgang_box_h[i][a] = {3.0 * (i + 1), -4.0}; // |z| = 5 for i = 0
            r->fgang_box_v[i][a] = {0, -0.5 * a};
        }
    }
    TAnzOption display{};
    display.Afmin = 10;
    display.Afmax = 30000;
    TDirPlot plot;
    plot.Fill(*r, display);
    EXPECT_TRUE(plot.DirData().valid);
    EXPECT_EQ(plot.DirData().nvalues, 3);
    EXPECT_EQ(plot.DirData().x[2], 300);
    EXPECT_DOUBLE_EQ(plot.DirData().yh[0][17], 5);
    EXPECT_DOUBLE_EQ(plot.DirData().yv[1][360], 180);
    EXPECT_EQ(plot.fmin, 10);
    EXPECT_EQ(plot.fmax, 30000);
    EXPECT_FALSE(plot.MerkDirData().valid);

    plot.Copy2Merk();
    r->valid = false;
    r->fgang_box_h[0][17] = {1, 0};
    plot.Fill(*r, display);
    EXPECT_FALSE(plot.DirData().valid);
    EXPECT_TRUE(plot.MerkDirData().valid);
    EXPECT_DOUBLE_EQ(plot.MerkDirData().yh[0][17], 5); // the remembered set is a copy
    plot.ClearMerk();
    EXPECT_FALSE(plot.MerkDirData().valid);
}

TEST(DirData, BandLimitsAndCaptions) {
    const BandLimits plain = bandLimits(5, false); // "3 dB"
    EXPECT_EQ(plain.lower, -30);
    EXPECT_EQ(plain.upper, 12);
    const BandLimits shifted = bandLimits(5, true);
    EXPECT_EQ(shifted.lower, -28.5);
    EXPECT_EQ(shifted.upper, 13.5);
    EXPECT_EQ(bandLimits(0, false).lower, -5);
    EXPECT_EQ(bandLimits(11, true).upper, 27);
    EXPECT_EQ(bandWidthCaption(0), "0,5 dB");
    EXPECT_EQ(bandWidthCaption(5), "3 dB");
    EXPECT_EQ(bandWidthCaption(11), "6 dB");
    EXPECT_EQ(referenceAngleCaption(0), utf8ToLatin1("0 dB bei -90°"));
    EXPECT_EQ(referenceAngleCaption(18), utf8ToLatin1("0 dB bei 90°"));
    EXPECT_EQ(directionAngleSetCaption(kDefaultDirectionAngleSet),
              utf8ToLatin1("0, 15, 30, 45, 60, 75 und 90°"));
    EXPECT_EQ(directionAngleSet(3)[6], 180);
    EXPECT_EQ(dirMapTitle(true), "Richtcharakteritik vertikal");
    EXPECT_EQ(dirMapNote(false), utf8ToLatin1("+ = aus Hörersicht nach rechts"));
}

TEST(DirData, FixedAndPerFrequencyReference) {
    auto d = syntheticData(5, 0.1);
    DirViewOptions o;
    o.fixedReference = true;
    o.fixedLevel = "92,0";
    EXPECT_DOUBLE_EQ(dirReference(o), 0.1); // 92 dB = 112 dB − 20 dB
    computeMapValues(*d, false, dirReference(o), referenceAngleIndex(o));
    EXPECT_NEAR(d->y[3][100], d->yh[3][100] * 10, 1e-12);

    o = DirViewOptions{};
    o.vertical = true;
    EXPECT_EQ(dirReference(o), 0);
    EXPECT_EQ(referenceAngleIndex(o), 180);
    o.referenceAngleItem = 12; // 30°
    EXPECT_EQ(referenceAngleIndex(o), 210);
    computeMapValues(*d, true, 0, referenceAngleIndex(o));
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(dB(d->y[i][210]), 0, 1e-9);
        EXPECT_NEAR(dB(d->y[i][180]), 3, 1e-9); // 30° at 0.1 dB/degree
    }
}

TEST(DirMap, BandsAndLegend) {
    const BandLimits b = bandLimits(5, false);
    EXPECT_EQ(bandIndex(12.0001, b), 0);
    EXPECT_EQ(bandIndex(500, b), 0);
    EXPECT_EQ(bandIndex(12, b), 0);
    EXPECT_EQ(bandIndex(8.999, b), 1);
    EXPECT_EQ(bandIndex(-26.999, b), 12);
    EXPECT_EQ(bandIndex(-27.001, b), 13);
    EXPECT_EQ(bandIndex(-1000, b), 13);
    EXPECT_EQ(bandIndex(-HUGE_VAL, b), 13);
    EXPECT_EQ(bandIndex(std::nan(""), b), 13);

    const std::vector<LegendEntry> legend = dirLegend(bandLimits(5, true));
    ASSERT_EQ(legend.size(), 14u);
    EXPECT_EQ(legend[0].text, "-28,5");
    EXPECT_EQ(legend[0].band, 13);
    EXPECT_EQ(legend[0].color, 0xC00000u);
    EXPECT_EQ(legend[13].text, "10,5");
    EXPECT_EQ(legend[13].color, 0xE0E0E0u);
    // Each label is the lower limit of its band.
    for (const LegendEntry& e : legend) {
        const double lower = std::stod(latin1ToUtf8(e.text).replace(e.text.find(','), 1, "."));
        EXPECT_EQ(bandIndex(lower + 1e-9, bandLimits(5, true)), e.band);
    }
}

TEST(DirMap, StripsTileTheAxis) {
    auto d = syntheticData(40, 0.1);
    EXPECT_EQ(frequencyPixel(20, 20, 20000, 50, 650), 50);
    EXPECT_EQ(frequencyPixel(5, 20, 20000, 50, 650), 50);
    EXPECT_EQ(frequencyPixel(std::sqrt(20.0 * 20000), 20, 20000, 50, 650), 350);
    EXPECT_EQ(frequencyPixel(30000, 20, 20000, 50, 650), 650);
    int expected = frequencyPixel(d->x[0], 20, 20000, 50, 650);
    for (int i = 0; i < 40; ++i) {
        const StripColumns s = stripColumns(*d, i, 20, 20000, 50, 650);
        EXPECT_EQ(s.first, expected) << i; // no gap, no overlap
        EXPECT_GE(s.last, s.first);
        expected = s.last;
    }
    EXPECT_EQ(expected, frequencyPixel(d->x[39], 20, 20000, 50, 650));
}

TEST(DirMap, RowsMapToAngles) {
    // ±90°: the bottom row is −90° (index 90), the top row +90° (index 270).
    EXPECT_EQ(rowAngle(0, 200, true).t, 90);
    EXPECT_EQ(rowAngle(200, 200, true).t, 270);
    EXPECT_EQ(rowAngle(200, 200, true).q, 0);
    EXPECT_EQ(rowAngle(100, 200, true).t, 180);
    // ±180°: the top row is index 360, its neighbour held at 360.
    const RowAngle top = rowAngle(300, 300, false);
    EXPECT_EQ(top.t, 360);
    EXPECT_EQ(top.t1, 360);
    const RowAngle half = rowAngle(1, 720, false); // u = 0.5
    EXPECT_EQ(half.t, 0);
    EXPECT_EQ(half.t1, 1);
    EXPECT_DOUBLE_EQ(half.q, 0.5);
    auto d = syntheticData(3, 1);
    for (int a = 0; a < kPlaneAngles; ++a) {
        d->y[1][a] = a;
    }
    EXPECT_DOUBLE_EQ(rowValue(*d, 1, half), 0.5);
    EXPECT_NEAR(rowValue(*d, 1, rowAngle(7, 20, true)), 153, 1e-9);
    EXPECT_NEAR(rowValue(*d, 1, rowAngle(1, 3, false)), 120, 1e-9);
}

TEST(DirMap, RectanglesCoverEveryRowOnceWithMergedBands) {
    auto d = syntheticData(30, 0.25);
    TDirPlot plot;
    std::memcpy(static_cast<void*>(&plot.DirData()), d.get(), sizeof(TDirData));
    plot.fmin = 20;
    plot.fmax = 20000;
    DirViewOptions o; // per-frequency reference at 0°, "3 dB", no jump at 0 dB
    const PixelRect area{40, 10, 440, 370}; // R = 360: one row per degree
    const DirMapPicture pic = paintDirMap(plot, o, area);
    EXPECT_EQ(pic.title, "Richtcharakteritik horizontal");
    EXPECT_EQ(pic.angleMin, -180);
    ASSERT_FALSE(pic.rects.empty());

    // Per strip: the rectangles tile the rows 10 … 370 without overlap, and neighbouring
    // rectangles differ in band (else they would have been merged).
    std::map<int, std::vector<DirMapRect>> strips;
    for (const DirMapRect& r : pic.rects) {
        strips[r.rect.left].push_back(r);
        EXPECT_EQ(r.color, dirBandColors()[r.band]);
    }
    for (auto& [left, rs] : strips) {
        int rows = 0;
        int bottom = area.bottom + 1;
        for (std::size_t k = 0; k < rs.size(); ++k) {
            EXPECT_EQ(rs[k].rect.bottom, bottom) << left;
            bottom = rs[k].rect.top;
            rows += rs[k].rect.bottom - rs[k].rect.top;
            if (k > 0) {
                EXPECT_NE(rs[k].band, rs[k - 1].band);
            }
        }
        EXPECT_EQ(rows, 361);
        // The axis row (index 180, pixel 190) has 0 dB: band 4 with the half-band shift.
        for (const DirMapRect& r : rs) {
            if (r.rect.top <= 190 && 190 < r.rect.bottom) {
                EXPECT_EQ(r.band, 4) << left;
            }
        }
        // 0.25 dB/degree: straight back is −45 dB, below the lowest limit.
        EXPECT_EQ(rs.front().band, 13);
        EXPECT_EQ(rs.back().band, 13);
    }
    EXPECT_GT(strips.size(), 20u);

    plot.DirData().valid = false;
    EXPECT_TRUE(paintDirMap(plot, o, area).rects.empty());
    EXPECT_EQ(paintDirMap(plot, o, area).legend.size(), 14u);
}

} // namespace
} // namespace sonora
