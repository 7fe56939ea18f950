// Reads the part values back from a network page's result lines ("L1 = 1,801 mH; L2 = 1,4 mH",
// "C = 886,6 µF", "R2 = 0,971 Ohm"), so that physics tests check the values a user copies.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "acoustics/network_calc_text.h"
#include "storage/numbers.h"

namespace sonora::testing {

// Part name -> value in Ohm, H or F for every "name = value unit" of `lines` (headings skipped).
// A part named twice keeps its first value; `from` skips lines before the heading it names.
inline std::map<std::string, double> partValues(const NetworkLines& lines,
                                                std::string_view from = {}) {
    std::map<std::string, double> values;
    bool reading = from.empty();
    for (const std::string& line : lines) {
        if (!reading) {
            reading = line == from;
            continue;
        }
        std::string_view rest = line;
        while (!rest.empty()) {
            const std::size_t end = rest.find("; ");
            const std::string_view item = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 2);
            const std::size_t equals = item.find(" = ");
            if (equals == std::string_view::npos) {
                if (!values.empty()) {
                    return values; // the next heading ends the group
                }
                continue;
            }
            std::string name(item.substr(0, equals));
            while (!name.empty() && name.back() == ' ') {
                name.pop_back();
            }
            const std::string_view number = item.substr(equals + 3);
            const ParseResult parsed = parseFloat(number);
            const std::string_view unit = number.substr(parsed.end);
            double scale = 1;
            if (unit == " mH") {
                scale = 1e-3;
            } else if (unit == " \xB5"
                               "F") { // Latin-1 micro sign
                scale = 1e-6;
            }
            values.emplace(std::move(name), parsed.value * scale);
        }
    }
    return values;
}

} // namespace sonora::testing
