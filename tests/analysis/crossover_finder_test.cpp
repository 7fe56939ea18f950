#include "analysis/crossover_finder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace sonora {
namespace {

// A result on a five-point octave grid whose on-axis responses are set per driver.
class FinderResult : public ::testing::Test {
protected:
    void SetUp() override {
        r = std::make_unique<TResult>(); // zeroed, so the grid ends at the first 0
        const double grid[] = {100, 200, 400, 800, 1600};
        for (int a = 0; a < 5; ++a) {
            r->freq[a] = grid[a];
        }
        r->nfreq = 5;
        r->nChassis = 3;
    }
    // Level of driver b on axis as real magnitudes per grid point, split between the diaphragm
    // and the rear vent so that both sides have to be summed.
    void setDriver(int b, const std::vector<double>& magnitudes) {
        for (std::size_t a = 0; a < magnitudes.size(); ++a) {
            r->fgang_chassis[b][0][a][0] = {0.25 * magnitudes[a], 0.0};
            r->fgang_chassis[b][1][a][0] = {0.75 * magnitudes[a], 0.0};
        }
    }
    static ChassisGroup only(int b) {
        ChassisGroup g{};
        g[b] = true;
        return g;
    }
    std::unique_ptr<TResult> r;
};

TEST_F(FinderResult, GroupSumIsTheMagnitudeOfTheComplexSum) {
    r->fgang_chassis[0][0][1][0] = {1.0, 0.0};
    r->fgang_chassis[1][0][1][0] = {-1.0, 0.0}; // opposite phase cancels
    r->fgang_chassis[2][1][1][0] = {0.0, 2.0};  // rear vent only
    r->fgang_chassis[2][0][1][5] = {9.0, 0.0};  // off axis: not counted
    r->fgang_chassis[4][0][1][0] = {9.0, 0.0};  // beyond nChassis: not counted
    ChassisGroup all{};
    all[0] = all[1] = all[2] = all[4] = true;
    EXPECT_DOUBLE_EQ(groupSum(*r, all, 1), 2.0);
    ChassisGroup firstAndThird{};
    firstAndThird[0] = firstAndThird[2] = true;
    EXPECT_DOUBLE_EQ(groupSum(*r, firstAndThird, 1), std::sqrt(5.0));
    EXPECT_EQ(groupSum(*r, ChassisGroup{}, 1), 0.0);
    EXPECT_EQ(groupSum(*r, all, -1), 0.0);
    EXPECT_EQ(groupSum(*r, all, kResultFreqs), 0.0);
    EXPECT_DOUBLE_EQ(crossoverRatio(1.0, 1.0), 2.0 * (1.0 + 1e-8) / (2.0 + 1e-8));
}

TEST_F(FinderResult, CrossingsAreInterpolatedOnTheRatio) {
    // g = 2 S1 / (S1 + S2): 4/3 at 200 Hz and 2/3 at 400 Hz put g = 1 half-way, at 300 Hz;
    // 1/2 at 800 Hz and 3/2 at 1600 Hz put it at 1200 Hz.
    setDriver(0, {1.0, 1.0, 0.5, 0.1, 0.3});
    setDriver(1, {0.1, 0.5, 1.0, 0.3, 0.1});
    const std::vector<Crossing> c = findCrossings(*r, only(0), only(1));
    ASSERT_EQ(c.size(), 2u);
    EXPECT_NEAR(c[0].f, 300.0, 1e-4); // the 1e-8 guard of the ratio moves it by about 1e-6 Hz
    EXPECT_EQ(c[0].direction, CrossingDirection::OneToTwo);
    EXPECT_NEAR(c[1].f, 1200.0, 1e-4);
    EXPECT_EQ(c[1].direction, CrossingDirection::TwoToOne);
    EXPECT_EQ(crossingLines(*r, only(0), only(1)),
              (std::vector<std::string>{"300 Hz: Trennung 1 -> 2", "1200 Hz: Trennung 2 -> 1"}));

    // The groups swapped: group 2 starts louder, so the same crossings run the other way.
    const std::vector<Crossing> swapped = findCrossings(*r, only(1), only(0));
    ASSERT_EQ(swapped.size(), 2u);
    EXPECT_EQ(swapped[0].direction, CrossingDirection::TwoToOne);
    EXPECT_NEAR(swapped[0].f, 300.0, 1e-4);
    EXPECT_EQ(swapped[1].direction, CrossingDirection::OneToTwo);
}

TEST_F(FinderResult, IdenticalEmptyAndMissingGroupsListNothing) {
    setDriver(0, {1.0, 0.8, 0.5, 0.1, 0.3});
    setDriver(1, {1.0, 0.8, 0.5, 0.1, 0.3});
    EXPECT_TRUE(findCrossings(*r, only(0), only(1)).empty());
    EXPECT_TRUE(findCrossings(*r, only(0), only(0)).empty());

    // An empty group 1 against a driver that falls silent at one point would flip the ratio from
    // about 0 to 2 there; an empty group lists nothing at all.
    setDriver(1, {1.0, 0.0, 0.5, 0.1, 0.3});
    EXPECT_TRUE(findCrossings(*r, ChassisGroup{}, only(1)).empty());
    // A driver slot the result does not have counts as missing.
    EXPECT_TRUE(findCrossings(*r, only(7), only(1)).empty());
    // No grid: nothing.
    r->freq[0] = 0.0;
    EXPECT_TRUE(findCrossings(*r, only(0), only(1)).empty());
}

TEST(CrossingText, SixSignificantDigits) {
    EXPECT_EQ(crossingText({1234.5678, CrossingDirection::TwoToOne}), "1234,6 Hz: Trennung 2 -> 1");
    EXPECT_EQ(crossingText({38.78791, CrossingDirection::OneToTwo}), "38,788 Hz: Trennung 1 -> 2");
}

TEST(GroupTicks, ADriverIsInAtMostOneList) {
    GroupTicks t;
    t.setTicked(1, 2, true);
    t.setTicked(1, 3, true);
    EXPECT_TRUE(t.isTicked(1, 2));
    t.setTicked(2, 2, true);
    EXPECT_TRUE(t.isTicked(2, 2));
    EXPECT_FALSE(t.isTicked(1, 2));
    EXPECT_TRUE(t.isTicked(1, 3));
    // Unticking never ticks the other list.
    t.setTicked(2, 2, false);
    EXPECT_FALSE(t.isTicked(1, 2));
    EXPECT_FALSE(t.isTicked(2, 2));
    // Out of range is ignored, not written.
    t.setTicked(3, 0, true);
    t.setTicked(1, kMaxChassis, true);
    t.setTicked(1, -1, true);
    EXPECT_FALSE(t.isTicked(1, kMaxChassis));
    EXPECT_EQ(std::count(t.group1().begin(), t.group1().end(), true), 1);
    EXPECT_EQ(std::count(t.group2().begin(), t.group2().end(), true), 0);
}

TEST(FinderDriverLines, NumberFromOneAndName) {
    auto p = std::make_unique<TProjekt>();
    p->nChassis = 2;
    p->chassis[0].name.assign("Tieft\xf6ner"); // Latin-1, kept as it is
    p->chassis[1].name.assign("Kalotte 25");
    EXPECT_EQ(finderDriverLines(*p),
              (std::vector<std::string>{"1: Tieft\xf6ner", "2: Kalotte 25"}));
    p->nChassis = 0;
    EXPECT_TRUE(finderDriverLines(*p).empty());
}

} // namespace
} // namespace sonora
