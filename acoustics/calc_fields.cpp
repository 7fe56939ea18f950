#include "acoustics/calc_fields.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string>

#include "acoustics/box_calc_text.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

// The whole text as a plain non-negative integer of at most two digits, or -1.
int wholeIndex(std::string_view text) {
    if (text.empty() || text.size() > 2) {
        return -1;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0'); // decimal digits
    }
    return value;
}

} // namespace

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

double entryFieldNumber(std::string_view text) {
    return finiteOrZero(parseFloat(text).value);
}

bool readEntrySwitch(std::string_view text, bool& value) {
    static constexpr std::array<std::string_view, 6> kOn{"1", "ein", "an", "ja", "on", "true"};
    static constexpr std::array<std::string_view, 5> kOff{"0", "aus", "nein", "off", "false"};
    const std::string lower = lowerAscii(text);
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

bool readEntryChoice(std::string_view text, std::span<const std::string_view> names, int& index) {
    const std::string lower = lowerAscii(text);
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (lower == lowerAscii(names[k])) {
            index = static_cast<int>(k);
            return true;
        }
    }
    const int number = wholeIndex(text);
    if (number >= 0 && number < static_cast<int>(names.size())) {
        index = number;
        return true;
    }
    return false;
}

} // namespace sonora
