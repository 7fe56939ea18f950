// Helpers of the box calculator tests: Latin-1 lines back to UTF-8, and the check that no list
// shows a text the formatter uses for numbers it cannot show.
#pragma once

#include <algorithm>
#include <cctype>
#include <limits>
#include <string>
#include <vector>

#include "storage/latin1.h"

namespace sonora::box_calc_test {

inline std::vector<std::string> utf8(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        out.push_back(latin1ToUtf8(line));
    }
    return out;
}

// True when a line holds the word "nan", "inf" or "infinity" in any case ("+inf", "NaN"), as
// the formatter or printf would write a number that is not finite. Words like "Resonanz" that
// merely contain the letters do not count.
inline bool showsNonNumber(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::string word;
        for (std::size_t n = 0; n <= line.size(); ++n) {
            const unsigned char c = n < line.size() ? static_cast<unsigned char>(line[n]) : ' ';
            if (std::isalpha(c)) {
                word += static_cast<char>(std::tolower(c));
                continue;
            }
            if (word == "nan" || word == "inf" || word == "infinity") {
                return true;
            }
            word.clear();
        }
    }
    return false;
}

// Values a hostile caller may put into a field directly.
inline const std::vector<double>& hostileValues() {
    static const std::vector<double> values = {0.0,
                                               -1.0,
                                               -1e300,
                                               1e300,
                                               1e-300,
                                               -1e-300,
                                               1e308,
                                               std::numeric_limits<double>::quiet_NaN(),
                                               std::numeric_limits<double>::infinity(),
                                               -std::numeric_limits<double>::infinity()};
    return values;
}

} // namespace sonora::box_calc_test
