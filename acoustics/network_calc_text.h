// Result lines of the network calculators: a caption, a formatted number and a unit, as Latin-1.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/units.h"

namespace sonora {

// The lines of one result list, Latin-1 bytes, in display order.
using NetworkLines = std::vector<std::string>;

// Digits of the number texts on the network pages (width of compactNumberText, "," included).
inline constexpr int kNetworkDigits = 5;     // part values, levels, impedances
inline constexpr int kNetworkWideDigits = 6; // wanted level and exact L-pad resistors

// prefix + value (compactNumberText of `digits`) + suffix, converted from UTF-8 to Latin-1.
std::string numberLine(std::string_view prefix, int digits, double value, std::string_view suffix);

// A UTF-8 literal as Latin-1 bytes.
std::string latin1Line(std::string_view utf8);

// True when `value` is a finite number above zero: the condition every entry of these pages must
// meet before a result list is filled.
bool isPositiveEntry(double value);

} // namespace sonora
