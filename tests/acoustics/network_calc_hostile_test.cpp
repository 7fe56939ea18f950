#include "acoustics/network_calc_crossover.h"
#include "acoustics/network_calc_impedance.h"
#include "acoustics/network_calc_lpad.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <limits>
#include <string>

namespace sonora {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kDenormal = 4.9e-324;

// Zero, negative, not-a-number, infinite and the ends of the double range.
const double kHostile[] = {0, -1, -8, kNaN, kInf, -kInf, kDenormal, 1e-300, 1e300, kMax};

// True when a line shows a failed number: the formatter writes "NaN", "+inf", "-inf".
bool showsBadNumber(const std::string& line) {
    std::string lower;
    for (char c : line) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

void expectClean(const NetworkLines& lines, const std::string& where) {
    for (const std::string& line : lines) {
        EXPECT_FALSE(showsBadNumber(line)) << where << ": " << line;
    }
}

std::string describe(std::initializer_list<double> values) {
    std::string text;
    for (double v : values) {
        char number[32];
        std::snprintf(number, sizeof number, "%g ", v);
        text += number;
    }
    return text;
}

TEST(NetworkHostileInput, StandardCrossover) {
    for (double fc : kHostile) {
        for (double RL : kHostile) {
            for (double RH : {8.0, kNaN, 1e-300, kMax}) {
                const StandardCrossoverMemos m = standardCrossoverLines({fc, RL, RH});
                for (int i = 0; i < kStandardCrossoverOrders; ++i) {
                    expectClean(m.lowPass[i], describe({fc, RL, RH}));
                    expectClean(m.highPass[i], describe({fc, RL, RH}));
                }
                if (!(fc > 0) || !(RL > 0) || !(RH > 0)) {
                    EXPECT_TRUE(m.lowPass[0].empty() && m.highPass[3].empty());
                }
            }
        }
    }
    // Extreme but valid entries still give lines where the values fit a double.
    EXPECT_FALSE(standardCrossoverLines({1e-300, 1e-300, 1e-300}).lowPass[0].empty());
}

TEST(NetworkHostileInput, LPad) {
    for (int index : {-5, 0, 11, 24, 999}) {
        for (double Z : kHostile) {
            for (double RL : kHostile) {
                for (bool any : {false, true}) {
                    const NetworkLines lines = lpadLines({index, Z, RL, any});
                    ASSERT_FALSE(lines.empty());
                    expectClean(lines, describe({double(index), Z, RL}));
                    if (!(Z > 0) || !(RL > 0)) {
                        EXPECT_EQ(lines.size(), 1u);
                    }
                }
            }
        }
    }
}

TEST(NetworkHostileInput, ReverseLPad) {
    for (double R1 : kHostile) {
        for (double R2 : kHostile) {
            for (double RL : kHostile) {
                const NetworkLines lines = reverseLpadLines({R1, R2, RL});
                expectClean(lines, describe({R1, R2, RL}));
                EXPECT_TRUE(lines.empty() || lines.size() == 2u);
            }
        }
    }
}

TEST(NetworkHostileInput, ImpedanceCorrection) {
    const double values[] = {0, -1, kNaN, kInf, 1e-300, kMax, 2};
    for (double Qms : values) {
        for (double Qes : values) {
            for (double fc : values) {
                for (double Rdc : values) {
                    for (double Le : values) {
                        const ImpedanceCorrectionMemos m =
                            impedanceCorrectionLines({Qms, Qes, fc, Rdc, Le});
                        const std::string where = describe({Qms, Qes, fc, Rdc, Le});
                        expectClean(m.resonance, where);
                        expectClean(m.inductance, where);
                        expectClean(m.combined, where);
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace sonora
