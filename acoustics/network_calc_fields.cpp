#include "acoustics/network_calc_fields.h"

#include "storage/numbers.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string>

namespace sonora {

bool readEntryNumber(std::string_view text, double& value) {
    if (text.empty()) {
        return false;
    }
    const ParseResult parsed = parseFloat(text);
    if (parsed.end != text.size() || !std::isfinite(parsed.value)) {
        return false;
    }
    // The reader skips leading zeros, so "0" and "000" consume everything and read as 0, while a
    // text without any digit ("-", "+", ",") must still be refused ("$1f" is hexadecimal).
    bool hasDigit = false;
    for (char c : text) {
        hasDigit = hasDigit || std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
    if (!hasDigit) {
        return false;
    }
    value = parsed.value;
    return true;
}

bool readEntrySwitch(std::string_view text, bool& value) {
    std::string lower;
    for (char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static constexpr std::array<std::string_view, 5> kOn{"1", "ein", "ja", "on", "true"};
    static constexpr std::array<std::string_view, 5> kOff{"0", "aus", "nein", "off", "false"};
    for (std::string_view word : kOn) {
        if (lower == word) {
            value = true;
            return true;
        }
    }
    for (std::string_view word : kOff) {
        if (lower == word) {
            value = false;
            return true;
        }
    }
    return false;
}

} // namespace sonora
