#include "acoustics/network_calc_crossover.h"

#include "storage/latin1.h"

#include <gtest/gtest.h>

namespace sonora {
namespace {

// Expected lines are written in UTF-8 here and compared as the Latin-1 bytes the page shows.
NetworkLines latin1(std::initializer_list<const char*> utf8) {
    NetworkLines lines;
    for (const char* line : utf8) {
        lines.push_back(utf8ToLatin1(line));
    }
    return lines;
}

bool allEmpty(const StandardCrossoverMemos& memos) {
    for (int i = 0; i < kStandardCrossoverOrders; ++i) {
        if (!memos.lowPass[i].empty() || !memos.highPass[i].empty()) {
            return false;
        }
    }
    return true;
}

// 1 kHz, 8 Ohm: ω = 2π·1000 rad/s, R/ω = 1.27324 mH, 1/(R·ω) = 19.8944 µF. Every value below was
// worked out by hand from these two numbers and the coefficient of the part, then rounded to the
// five-character text (1.80063 mH -> "1,801").
TEST(StandardCrossover, ClosedFormsAtOneKilohertzAndEightOhm) {
    const StandardCrossoverMemos m = standardCrossoverLines({});
    EXPECT_EQ(m.lowPass[0], latin1({"Butterworth:", "L = 1,273 mH"}));
    EXPECT_EQ(m.highPass[0], latin1({"Butterworth:", "C = 19,89 µF"}));
    // √2·R/ω = 1.80063 mH, 1/(√2·R·ω) = 14.0674 µF; Linkwitz 2·R/ω = 2.54648 mH, 9.94718 µF.
    EXPECT_EQ(m.lowPass[1], latin1({"Butterworth (Q=0,707):", "L1 = 1,801 mH", "C1 = 14,07 µF",
                                    "Linkwitz (Q=0,5):", "L1 = 2,546 mH", "C1 = 9,947 µF"}));
    EXPECT_EQ(m.highPass[1], latin1({"Butterworth (Q=0,707):", "L2 = 1,801 mH", "C2 = 14,07 µF",
                                     "Linkwitz (Q=0,5):", "L2 = 2,546 mH", "C2 = 9,947 µF"}));
    EXPECT_EQ(m.lowPass[2],
              latin1({"Butterworth:", "L1 = 1,91 mH", "L2 = 0,637 mH", "C1 = 26,53 µF"}));
    EXPECT_EQ(m.highPass[2],
              latin1({"Butterworth:", "L3 = 0,955 mH", "C2 = 13,26 µF", "C3 = 39,79 µF"}));
    EXPECT_EQ(m.lowPass[3], latin1({"Butterworth:", "L1 = 1,949 mH; L2 = 1,378 mH",
                                    "C1 = 31,38 µF; C2 = 7,613 µF", "Linkwitz-Riley:",
                                    "L1 = 2,401 mH; L2 = 1,2 mH", "C1 = 31,65 µF; C2 = 7,034 µF"}));
    EXPECT_EQ(m.highPass[3], latin1({"Butterworth:", "L3 = 0,807 mH; L4 = 3,327 mH",
                                     "C3 = 13 µF; C4 = 18,38 µF", "Linkwitz-Riley:",
                                     "L3 = 0,8 mH; L4 = 3,601 mH", "C3 = 10,55 µF; C4 = 21,1 µF"}));
}

// L = k·R/ω and C = k/(R·ω): doubling both fc and R keeps every inductance and quarters every
// capacitance; the woofer list follows RL only, the tweeter list RH only.
TEST(StandardCrossover, ScalesWithFrequencyAndTheRightLoad) {
    const StandardCrossoverMemos base = standardCrossoverLines({});
    const StandardCrossoverMemos doubled = standardCrossoverLines({2000, 16, 16});
    EXPECT_EQ(doubled.lowPass[0][1], base.lowPass[0][1]);
    EXPECT_EQ(doubled.lowPass[2][1], base.lowPass[2][1]);
    EXPECT_EQ(doubled.highPass[0][1], utf8ToLatin1("C = 4,974 µF")); // 19.894 / 4

    const StandardCrossoverMemos woofer4 = standardCrossoverLines({1000, 4, 8});
    for (int i = 0; i < kStandardCrossoverOrders; ++i) {
        EXPECT_EQ(woofer4.highPass[i], base.highPass[i]) << "order " << i + 1;
        EXPECT_NE(woofer4.lowPass[i], base.lowPass[i]) << "order " << i + 1;
    }
    EXPECT_EQ(woofer4.lowPass[0][1], utf8ToLatin1("L = 0,637 mH"));
}

TEST(StandardCrossover, NonPositiveEntriesEmptyEveryList) {
    EXPECT_TRUE(allEmpty(standardCrossoverLines({0, 8, 8})));
    EXPECT_TRUE(allEmpty(standardCrossoverLines({1000, 0, 8})));
    EXPECT_TRUE(allEmpty(standardCrossoverLines({1000, 8, -8})));
    // Two negative entries give a positive product but are still no valid crossover.
    EXPECT_TRUE(allEmpty(standardCrossoverLines({-1000, -8, 8})));
    EXPECT_FALSE(allEmpty(standardCrossoverLines({1, 1, 1})));
}

} // namespace
} // namespace sonora
