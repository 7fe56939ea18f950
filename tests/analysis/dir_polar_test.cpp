// The polar plots: clock positions of both charts, radii, the points' angle indices and pixels.
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/polar_plot.h"

namespace sonora {
namespace {

TEST(PolarPlot, ClockPositionsOfBothCharts) {
    // Horizontal: the axis at the top, +90° (point 90) to the right, straight back at the bottom.
    EXPECT_EQ(horizontalClockPosition(0), 0);
    EXPECT_EQ(horizontalClockPosition(90), 3);
    EXPECT_EQ(horizontalClockPosition(180), 6);
    EXPECT_EQ(horizontalClockPosition(360), 12);
    // Vertical: the axis to the right, +90° (up) at the top, −90° at the bottom, back to the left.
    EXPECT_EQ(verticalClockPosition(0), 3);
    EXPECT_EQ(verticalClockPosition(90), 0);
    EXPECT_EQ(verticalClockPosition(180), 9);
    EXPECT_EQ(verticalClockPosition(270), 6);
    EXPECT_EQ(verticalClockPosition(360), 3);
    for (int i = 0; i <= 360; ++i) {
        EXPECT_GE(verticalClockPosition(i), 0);
        EXPECT_LE(verticalClockPosition(i), 12);
    }
}

TEST(PolarPlot, RadiusGrowsLinearlyAndIsHeldAtTheRim) {
    EXPECT_EQ(polarRadius(50, 50, 100), 0);
    EXPECT_EQ(polarRadius(75, 50, 100), 0.5);
    EXPECT_EQ(polarRadius(100, 50, 100), 1);
    EXPECT_EQ(polarRadius(130, 50, 100), 1);
    EXPECT_EQ(polarRadius(20, 50, 100), 0);
    EXPECT_EQ(polarRadius(std::nan(""), 50, 100), 0);
    EXPECT_DOUBLE_EQ(polarLevel(1), 112);
    EXPECT_DOUBLE_EQ(polarLevel(0.1), 92);
    EXPECT_NEAR(polarLevel(0), -1000 + 112, 1e-9);
}

TEST(PolarPlot, PointsReadTheirAnglesAndLandWhereTheChartShowsThem) {
    auto d = makeDirData();
    d->valid = true;
    d->nvalues = 2;
    d->x[0] = 500;
    d->x[1] = 1000;
    for (int a = 0; a < kPlaneAngles; ++a) {
        d->yh[1][a] = 0.01; // 72 dB
        d->yv[1][a] = 0.01;
    }
    d->yh[1][270] = 1;   // +90° horizontal (to the right): 112 dB
    d->yv[1][270] = 1;   // +90° vertical (up)
    d->yh[1][180] = 0.1; // axis: 92 dB
    const auto h = polarPoints(*d, 1, false, 72, 112);
    EXPECT_DOUBLE_EQ(h[90].level, 112);
    EXPECT_EQ(h[90].radius, 1);
    EXPECT_DOUBLE_EQ(h[0].level, 92);
    EXPECT_DOUBLE_EQ(h[360].level, 92); // the curve closes on the axis
    EXPECT_NEAR(h[0].radius, 0.5, 1e-12);
    EXPECT_NEAR(h[45].radius, 0, 1e-12);
    const PixelPoint right = polarPixel(h[90], 100, 100, 80);
    EXPECT_NEAR(right.x, 180, 1e-9);
    EXPECT_NEAR(right.y, 100, 1e-9);
    const PixelPoint top = polarPixel(h[0], 100, 100, 80);
    EXPECT_NEAR(top.x, 100, 1e-9);
    EXPECT_NEAR(top.y, 60, 1e-9);

    const auto v = polarPoints(*d, 1, true, 72, 112);
    const PixelPoint up = polarPixel(v[90], 300, 100, 80);
    EXPECT_NEAR(up.x, 300, 1e-9);
    EXPECT_NEAR(up.y, 20, 1e-9);
    EXPECT_NEAR(v[0].angle, std::numbers::pi / 2, 1e-12);

    // Outside the grid: nothing is read, every point sits at the centre.
    for (const PolarPoint& p : polarPoints(*d, 2, false, 72, 112)) {
        EXPECT_EQ(p.radius, 0);
    }
}

TEST(PolarPlot, FrequencyLabelAndNearestGridIndex) {
    auto d = makeDirData();
    d->nvalues = 3;
    d->x[0] = 100;
    d->x[1] = 1000;
    d->x[2] = 10000;
    EXPECT_EQ(nearestGridIndex(*d, 1000), 1);
    EXPECT_EQ(nearestGridIndex(*d, 5000), 2); // nearer to 10 kHz on the logarithmic axis
    EXPECT_EQ(nearestGridIndex(*d, 1), 0);
    EXPECT_EQ(polarFrequencyLabel(999.597535), "Frequenz: 999,6 Hz");
    EXPECT_EQ(polarFrequencyLabel(20000), "Frequenz: 20000 Hz");
}

} // namespace
} // namespace sonora
