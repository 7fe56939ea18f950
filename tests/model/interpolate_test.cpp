// The interpolators that carry measured curves onto grid frequencies.
#include "model/interpolate.h"

#include <cmath>
#include <initializer_list>
#include <memory>

#include <gtest/gtest.h>

#include "model/records.h"

namespace sonora {
namespace {

// A measured curve in the 601-entry arrays of the records, zero after the given points. The arrays
// are allocated with exactly kCurvePoints entries so ASan reports any read past index 600.
struct Curve {
    std::unique_ptr<double[]> f = std::make_unique<double[]>(kCurvePoints);
    std::unique_ptr<double[]> y = std::make_unique<double[]>(kCurvePoints);

    Curve(std::initializer_list<double> freqs, std::initializer_list<double> values) {
        int i = 0;
        for (double v : freqs) {
            f[i++] = v;
        }
        i = 0;
        for (double v : values) {
            y[i++] = v;
        }
    }
};

// A curve filling all 601 slots, without terminator: f = 10 + i Hz, y = 2 f.
Curve fullCurve() {
    Curve c({}, {});
    for (int i = 0; i < kCurvePoints; ++i) {
        c.f[i] = 10.0 + i;
        c.y[i] = 2.0 * c.f[i];
    }
    return c;
}

TEST(InterpolateSmoothed, WithoutWidthIsLinearAndHoldsTheEnds) {
    const Curve c({100.0, 200.0, 400.0}, {1.0, 3.0, -5.0});
    for (double width : {0.0, -0.1}) {
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 100.0, width), 1.0);
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 200.0, width), 3.0);
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 400.0, width), -5.0);
        // Linear in frequency, not in log frequency.
        EXPECT_DOUBLE_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 150.0, width), 2.0);
        EXPECT_DOUBLE_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 300.0, width), -1.0);
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 99.9, width), 1.0);
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 1.0, width), 1.0);
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 400.1, width), -5.0);
        EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 1e6, width), -5.0);
    }
}

TEST(InterpolateSmoothed, ConstantCurveStaysConstantForEveryWidth) {
    Curve c({}, {});
    for (int i = 0; i < 200; ++i) {
        c.f[i] = 20.0 * std::pow(1.035, i);
        c.y[i] = 87.5;
    }
    for (double width : {0.01, 0.1, 0.24, 1.0, 5.0}) {
        for (double x : {20.0, 21.3, 333.0, c.f[199], c.f[199] * 1.1}) {
            EXPECT_NEAR(InterpolateSmoothed(c.f.get(), c.y.get(), x, width), 87.5, 1e-12)
                << "width " << width << " x " << x;
        }
    }
}

TEST(InterpolateSmoothed, LinearCurveAroundAnInteriorPointStaysLinear) {
    // Equally spaced points, so a window around a data point or a midpoint is symmetric and the
    // weighted mean of a straight line is its value there.
    Curve c({}, {});
    for (int i = 0; i < 300; ++i) {
        c.f[i] = 100.0 + 10.0 * i;
        c.y[i] = 3.0 - 0.02 * c.f[i];
    }
    for (double x : {1000.0, 1005.0, 1500.0}) {
        for (double width : {0.05, 0.1, 0.24}) {
            EXPECT_NEAR(InterpolateSmoothed(c.f.get(), c.y.get(), x, width), 3.0 - 0.02 * x, 1e-9)
                << "width " << width << " x " << x;
        }
    }
    // Off the data grid the window is slightly lopsided: still close to the line.
    EXPECT_NEAR(InterpolateSmoothed(c.f.get(), c.y.get(), 1234.0, 0.24), 3.0 - 0.02 * 1234.0, 0.02);
}

TEST(InterpolateSmoothed, WeightsFollowTheWindowShape) {
    // Points at 5 % below and 10 % above x = 1000 Hz inside a +-20 % window: A = 0.75 and 0.5.
    // Hand calculation of A^3 / ((A^2 + 0.25)(A^2 + 0.4)): 0.53946054 and 0.38461538.
    const Curve c({950.0, 1100.0, 2000.0}, {10.0, 20.0, 500.0});
    const double w1 = 0.421875 / (0.8125 * 0.9625);
    const double w2 = 0.125 / (0.5 * 0.65);
    EXPECT_NEAR(w1, 0.53946054, 1e-8);
    EXPECT_NEAR(w2, 0.38461538, 1e-8);
    EXPECT_NEAR(InterpolateSmoothed(c.f.get(), c.y.get(), 1000.0, 0.2),
                (w1 * 10.0 + w2 * 20.0) / (w1 + w2), 1e-12);

    // A single point in the window gives exactly its value, whatever the interpolated value.
    EXPECT_DOUBLE_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 1500.0, 0.3), 20.0);
    // No point inside the window: the plain interpolated value remains.
    EXPECT_DOUBLE_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 1550.0, 0.01), 260.0);
}

TEST(InterpolateSmoothed, SmoothingAppliesAboveTheFirstPointOnly) {
    const Curve c({100.0, 110.0, 120.0}, {0.0, 10.0, 20.0});
    // Below the first point: the first value, never smoothed.
    EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), 99.0, 0.5), 0.0);
    // Beyond the last point the window still reaches back into the data.
    const double beyond = InterpolateSmoothed(c.f.get(), c.y.get(), 121.0, 0.5);
    EXPECT_GT(beyond, 0.0);
    EXPECT_LT(beyond, 20.0);
}

TEST(InterpolateSmoothed, ArrayWithoutTerminatorEndsAtIndex600) {
    const Curve c = fullCurve();
    const double last = c.f[600];
    EXPECT_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), last + 50.0, 0.0), c.y[600]);
    EXPECT_DOUBLE_EQ(InterpolateSmoothed(c.f.get(), c.y.get(), last - 0.5, 0.0), 2 * (last - 0.5));
    const double smoothed = InterpolateSmoothed(c.f.get(), c.y.get(), last + 1.0, 0.1);
    EXPECT_GT(smoothed, c.y[500]);
    EXPECT_LT(smoothed, c.y[600]);
}

TEST(Interpolators, DuplicateFrequencies) {
    // A step in the data: both 200 Hz values are kept, the first answers at 200 Hz itself.
    const Curve step({100.0, 200.0, 200.0, 300.0}, {1.0, 2.0, 5.0, 6.0});
    EXPECT_EQ(InterpolateSmoothed(step.f.get(), step.y.get(), 200.0, 0.0), 2.0);
    EXPECT_DOUBLE_EQ(InterpolateSmoothed(step.f.get(), step.y.get(), 250.0, 0.0), 5.5);
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(step.f.get(), step.y.get(), 250.0), 5.5);
    EXPECT_DOUBLE_EQ(InterpolatePhase(step.f.get(), step.y.get(), 250.0), 5.5);

    // Equal first frequencies: the first value at that frequency, no division by zero.
    const Curve head({100.0, 100.0, 200.0}, {1.0, 3.0, 5.0});
    EXPECT_EQ(InterpolateSmoothed(head.f.get(), head.y.get(), 100.0, 0.0), 1.0);
    EXPECT_EQ(InterpolatePhase(head.f.get(), head.y.get(), 100.0), 1.0);
    EXPECT_EQ(InterpolateExtrapolate(head.f.get(), head.y.get(), 100.0), 1.0);
    // ... and no line to extrapolate along below them.
    EXPECT_EQ(InterpolateExtrapolate(head.f.get(), head.y.get(), 50.0), 1.0);

    // Equal last frequencies: the last value beyond them.
    const Curve tail({100.0, 200.0, 200.0}, {1.0, 3.0, 5.0});
    EXPECT_EQ(InterpolateExtrapolate(tail.f.get(), tail.y.get(), 400.0), 5.0);
}

TEST(InterpolatePhase, AcrossTheWrap) {
    const Curve down({100.0, 200.0}, {3.0, -3.0});
    // -3.0 is taken as 3.2832; the midpoint is 3.1416, not 0.
    EXPECT_NEAR(InterpolatePhase(down.f.get(), down.y.get(), 150.0), 3.1416, 1e-12);
    EXPECT_NEAR(InterpolatePhase(down.f.get(), down.y.get(), 125.0), 3.0708, 1e-12);
    // Past 3.1416 the result is folded back by one turn.
    EXPECT_NEAR(InterpolatePhase(down.f.get(), down.y.get(), 175.0), 3.2124 - 6.2832, 1e-12);

    const Curve up({100.0, 200.0}, {-3.0, 3.0});
    EXPECT_NEAR(InterpolatePhase(up.f.get(), up.y.get(), 125.0), -3.0708, 1e-12);
    EXPECT_NEAR(InterpolatePhase(up.f.get(), up.y.get(), 175.0), 3.0708, 1e-12);

    // Ends: first and last value.
    EXPECT_EQ(InterpolatePhase(up.f.get(), up.y.get(), 50.0), -3.0);
    EXPECT_EQ(InterpolatePhase(up.f.get(), up.y.get(), 500.0), 3.0);
}

TEST(InterpolatePhase, WithoutWrapIsLinear) {
    // Opposite signs but less than about pi apart: the direct way through 0.
    const Curve cross({100.0, 200.0}, {1.5, -1.5});
    EXPECT_NEAR(InterpolatePhase(cross.f.get(), cross.y.get(), 150.0), 0.0, 1e-15);
    // Same sign, even far apart.
    const Curve same({100.0, 200.0}, {-0.1, -3.1});
    EXPECT_DOUBLE_EQ(InterpolatePhase(same.f.get(), same.y.get(), 150.0), -1.6);
    // Exactly 3.1416 apart counts as no wrap.
    const Curve edge({100.0, 200.0}, {1.5708, -1.5708});
    EXPECT_NEAR(InterpolatePhase(edge.f.get(), edge.y.get(), 150.0), 0.0, 1e-12);
}

TEST(InterpolateExtrapolate, ContinuesTheEndSegmentsAsLines) {
    const Curve c({100.0, 200.0, 400.0}, {0.0, 10.0, 30.0});
    // Inside: linear.
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 150.0), 5.0);
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 300.0), 20.0);
    EXPECT_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 400.0), 30.0);
    // Below: the line through the first two points (slope 0.1 per Hz).
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 50.0), -5.0);
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 0.0), -10.0);
    // Beyond: the line through the last two points (slope 0.1 per Hz as well, but from 400 Hz).
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 600.0), 50.0);
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(c.f.get(), c.y.get(), 1000.0), 90.0);

    const Curve bent({100.0, 200.0, 300.0}, {0.0, 10.0, 40.0});
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(bent.f.get(), bent.y.get(), 350.0), 55.0);
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(bent.f.get(), bent.y.get(), 50.0), -5.0);
}

TEST(InterpolateExtrapolate, SinglePointAndFullArrays) {
    // One point: its value on both sides (the terminator is no point to draw a line through).
    const Curve one({100.0}, {7.0});
    one.y[1] = 1000.0; // garbage behind the terminator must not matter
    EXPECT_EQ(InterpolateExtrapolate(one.f.get(), one.y.get(), 50.0), 7.0);
    EXPECT_EQ(InterpolateExtrapolate(one.f.get(), one.y.get(), 500.0), 7.0);

    // No terminator: index 599 and 600 continue the line.
    const Curve full = fullCurve();
    const double x = full.f[600] + 100.0;
    EXPECT_DOUBLE_EQ(InterpolateExtrapolate(full.f.get(), full.y.get(), x), 2.0 * x);
    EXPECT_DOUBLE_EQ(InterpolatePhase(full.f.get(), full.y.get(), x), full.y[600]);
}

} // namespace
} // namespace sonora
