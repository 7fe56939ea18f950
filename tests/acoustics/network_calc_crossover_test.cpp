#include "acoustics/network_calc_crossover.h"

#include "storage/latin1.h"
#include "tests/acoustics/network_part_values.h"

#include <gtest/gtest.h>

#include <complex>
#include <numbers>
#include <vector>

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

// ---- physics: each ladder, driven by an amplifier and ended in its load, against its target

using Z = std::complex<double>;

// One step of a ladder from the amplifier: a part in the line or across it, by its result name.
struct Step {
    const char* name;
    bool across;
};

// The ladders as the page draws them (the larger fourth-order inductance L1 first, the high-pass
// mirrored with C3 first).
const std::vector<Step> kLowLadders[] = {
    {{"L", false}},
    {{"L1", false}, {"C1", true}},
    {{"L1", false}, {"C1", true}, {"L2", false}},
    {{"L1", false}, {"C1", true}, {"L2", false}, {"C2", true}}};
const std::vector<Step> kHighLadders[] = {
    {{"C", false}},
    {{"C2", false}, {"L2", true}},
    {{"C2", false}, {"L3", true}, {"C3", false}},
    {{"C3", false}, {"L3", true}, {"C4", false}, {"L4", true}}};

// Load voltage over amplifier voltage: from the load back to the amplifier, each part in the line
// divides the voltage, each part across it joins the impedance seen further on.
Z ladderTransfer(const std::vector<Step>& ladder, const std::map<std::string, double>& values,
                 double load, double omega) {
    Z seen = load;
    Z transfer = 1;
    for (auto step = ladder.rbegin(); step != ladder.rend(); ++step) {
        const double value = values.at(step->name);
        const Z part = step->name[0] == 'L' ? Z(0, omega * value) : Z(0, -1 / (omega * value));
        if (step->across) {
            seen = seen * part / (seen + part);
        } else {
            transfer *= seen / (seen + part);
            seen += part;
        }
    }
    return transfer;
}

// Normalised denominators of the targets at s = jf/fc.
Z butterworth(int order, Z s) {
    constexpr double kSqrt2 = std::numbers::sqrt2;
    switch (order) {
    case 1:
        return s + 1.0;
    case 2:
        return s * s + kSqrt2 * s + 1.0;
    case 3:
        return (s + 1.0) * (s * s + s + 1.0);
    default:
        return (s * s + 0.7653668647301796 * s + 1.0) * (s * s + 1.8477590650225735 * s + 1.0);
    }
}
Z linkwitz(int order, Z s) {
    return order == 2 ? (s + 1.0) * (s + 1.0) : butterworth(2, s) * butterworth(2, s);
}

// Every list of the page, read back from its lines, gives its textbook response over two decades
// around the crossover frequency: magnitude and phase, within the rounding of the shown values.
TEST(StandardCrossoverPhysics, LaddersFollowTheirTargets) {
    constexpr double kFc = 1000, kLow = 8, kHigh = 4;
    const StandardCrossoverMemos m = standardCrossoverLines({kFc, kLow, kHigh});
    for (int order = 1; order <= kStandardCrossoverOrders; ++order) {
        const auto& low = m.lowPass[order - 1];
        const auto& high = m.highPass[order - 1];
        struct Case {
            std::map<std::string, double> values;
            bool linkwitzRiley;
        };
        std::vector<Case> cases = {{testing::partValues(low), false}};
        std::vector<Case> highCases = {{testing::partValues(high), false}};
        if (order == 2 || order == 4) {
            const char* heading = order == 2 ? "Linkwitz (Q=0,5):" : "Linkwitz-Riley:";
            cases.push_back({testing::partValues(low, heading), true});
            highCases.push_back({testing::partValues(high, heading), true});
        }
        for (int k = 0; k <= 40; ++k) {
            const double f = kFc * std::pow(10.0, (k - 20) / 20.0);
            const double omega = 2 * std::numbers::pi * f;
            const Z sLow(0, f / kFc), sHigh(0, -kFc / f); // high-pass: s -> 1/s
            for (const Case& c : cases) {
                const Z target =
                    1.0 / (c.linkwitzRiley ? linkwitz(order, sLow) : butterworth(order, sLow));
                EXPECT_LT(std::abs(ladderTransfer(kLowLadders[order - 1], c.values, kLow, omega) -
                                   target),
                          0.003)
                    << "low-pass order " << order << (c.linkwitzRiley ? " LR" : "") << " at " << f;
            }
            for (const Case& c : highCases) {
                // Both families have symmetric denominators: (s/ωc)^n / B(s/ωc) = 1 / B(ωc/s).
                const Z target =
                    1.0 / (c.linkwitzRiley ? linkwitz(order, sHigh) : butterworth(order, sHigh));
                EXPECT_LT(std::abs(ladderTransfer(kHighLadders[order - 1], c.values, kHigh, omega) -
                                   target),
                          0.003)
                    << "high-pass order " << order << (c.linkwitzRiley ? " LR" : "") << " at " << f;
            }
        }
    }
}

} // namespace
} // namespace sonora
