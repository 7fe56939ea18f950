#include "acoustics/box_calc_text.h"

#include <cmath>

#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

// Beyond this an integer text would need more digits than a double holds exactly (and llround
// would overflow).
constexpr double kLargestIntegerText = 1e15;

// The formatter's texts for numbers that do not fit its width.
bool fitsWidth(const std::string& text) {
    return text != "+inf" && text != "-inf" && text != "NaN";
}

} // namespace

double finiteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

double throughField(int digits, double value) {
    return finiteOrZero(parseFloat(compactNumberText(digits, value)).value);
}

void ResultLines::text(std::string_view utf8) {
    lines_.push_back(utf8ToLatin1(utf8));
}

std::string ResultLines::numberText(int digits, double value) {
    std::string text = compactNumberText(digits, value);
    if (!std::isfinite(value) || !fitsWidth(text)) {
        overflow_ = true;
        return {};
    }
    return text;
}

std::string ResultLines::integerText(double value) {
    if (!(std::abs(value) < kLargestIntegerText)) { // also catches NaN
        overflow_ = true;
        return {};
    }
    return std::to_string(std::llround(value));
}

void ResultLines::number(std::string_view prefix, int digits, double value,
                         std::string_view suffix) {
    const std::string digitsText = numberText(digits, value);
    if (!digitsText.empty()) {
        lines_.push_back(utf8ToLatin1(prefix) + digitsText + utf8ToLatin1(suffix));
    }
}

std::vector<std::string> ResultLines::finish() const {
    if (overflow_) {
        return {utf8ToLatin1(kOutOfRangeLine)};
    }
    return lines_;
}

} // namespace sonora
