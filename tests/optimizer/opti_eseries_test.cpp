// Rounding to the E6 and E12 series, and how a fixed part gets its value.
#include <gtest/gtest.h>

#include "optimizer/opti_eseries.h"
#include "optimizer/opti_fixpart.h"

namespace sonora {
namespace {

TEST(OptiESeries, RoundsToTheNearestValueAndKeepsTheLowerOnATie) {
    EXPECT_DOUBLE_EQ(roundToSeries(4.9, ESeries::E6), 4.7);
    EXPECT_DOUBLE_EQ(roundToSeries(4.0, ESeries::E6), 3.3); // as far from 3.3 as from 4.7
    EXPECT_DOUBLE_EQ(roundToSeries(4.0, ESeries::E12), 3.9);
    EXPECT_DOUBLE_EQ(roundToSeries(0.00047, ESeries::E6), 0.00047);
    EXPECT_DOUBLE_EQ(roundToSeries(5.8e-6, ESeries::E6), 6.8e-6); // 1.1 below, 1.0 above
    EXPECT_DOUBLE_EQ(roundToSeries(5.7e-6, ESeries::E12), 5.6e-6);
    // The top of a decade rounds up into the next one.
    EXPECT_DOUBLE_EQ(roundToSeries(9.6, ESeries::E6), 10);
    EXPECT_DOUBLE_EQ(roundToSeries(9.6, ESeries::E12), 10);
    EXPECT_DOUBLE_EQ(roundToSeries(1000, ESeries::E12), 1000);
    EXPECT_DOUBLE_EQ(roundToSeries(0, ESeries::E6), 1e-100);
    EXPECT_DOUBLE_EQ(roundToSeries(-3, ESeries::E12), 1e-100);
}

TEST(OptiESeries, EveryE12ValueIsItsOwnRoundingAndE6ValuesAreAmongThem) {
    const double e12[] = {1.0, 1.2, 1.5, 1.8, 2.2, 2.7, 3.3, 3.9, 4.7, 5.6, 6.8, 8.2};
    for (double decade : {1e-6, 1e-3, 1.0, 100.0}) {
        for (double t : e12) {
            EXPECT_NEAR(roundToSeries(t * decade, ESeries::E12), t * decade, 1e-12 * decade);
        }
    }
    for (double t : {1.0, 1.5, 2.2, 3.3, 4.7, 6.8}) {
        EXPECT_DOUBLE_EQ(roundToSeries(t, ESeries::E6), t);
    }
}

TEST(OptiFixpart, SeriesChoiceRoundsResistorsAndCapacitorsOnlyCoilsAlwaysAsk) {
    TPart r{};
    r.typ = kPartResistor;
    r.value = 4.9;
    EXPECT_TRUE(roundFixpartToSeries(r, FixChoice::E6, FixChoice::Manual));
    EXPECT_DOUBLE_EQ(r.value, 4.7);
    r.value = 4.9;
    EXPECT_FALSE(roundFixpartToSeries(r, FixChoice::Manual, FixChoice::E6));
    EXPECT_DOUBLE_EQ(r.value, 4.9);

    TPart c{};
    c.typ = kPartCapacitor;
    c.value = 4.0e-6;
    EXPECT_TRUE(roundFixpartToSeries(c, FixChoice::Manual, FixChoice::E12));
    EXPECT_DOUBLE_EQ(c.value, 3.9e-6);

    TPart l{};
    l.typ = kPartCoil;
    l.value = 0.49e-3;
    EXPECT_FALSE(roundFixpartToSeries(l, FixChoice::E6, FixChoice::E6));
    EXPECT_DOUBLE_EQ(l.value, 0.49e-3);
}

} // namespace
} // namespace sonora
