#include "acoustics/network_calc_text.h"

#include "storage/latin1.h"
#include "storage/numbers.h"

#include <cmath>

namespace sonora {

std::string numberLine(std::string_view prefix, int digits, double value, std::string_view suffix) {
    std::string line = utf8ToLatin1(prefix);
    line += compactNumberText(digits, value); // ASCII only
    line += utf8ToLatin1(suffix);
    return line;
}

std::string latin1Line(std::string_view utf8) {
    return utf8ToLatin1(utf8);
}

bool isPositiveEntry(double value) {
    return std::isfinite(value) && value > 0;
}

} // namespace sonora
