// Result lines of the box design calculators: Latin-1 texts, the formatter's digits and the guard
// that keeps "inf" and "NaN" off the lists.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sonora {

// The entry fields hold text; what the number reader cannot make finite reads as 0 here, so a
// hostile value falls into the page's own "must be greater than 0" messages.
double finiteOrZero(double value);

// What a text field shows after a value was written into it by the formatter at `digits` (its
// width) and read back: the calculators compute with the field's text, not with the unrounded
// value.
double throughField(int digits, double value);

// Collects the lines of one result list. A number that the formatter cannot show (not finite, or
// too large for its width) marks the list as out of range; `finish` then gives one line saying so.
class ResultLines {
public:
    // Adds a line given in UTF-8 (the German literals of the source).
    void text(std::string_view utf8);
    // Adds prefix + number written at `digits` (the formatter's width) + suffix (prefix and suffix
    // in UTF-8).
    void number(std::string_view prefix, int digits, double value, std::string_view suffix);
    // Adds a line that is already Latin-1 (built from the pieces below).
    void latin1(std::string line) { lines_.push_back(std::move(line)); }
    // The number at `digits` (the formatter's width); empty and out of range when it cannot be
    // shown.
    std::string numberText(int digits, double value);
    // The value rounded to an integer; empty and out of range when that is not finite or huge.
    std::string integerText(double value);
    // Marks the list as out of range (a result that is not finite).
    void outOfRange() { overflow_ = true; }
    bool overflowed() const { return overflow_; }
    // The Latin-1 lines, or "Ergebnis außerhalb des darstellbaren Zahlenbereichs." alone.
    std::vector<std::string> finish() const;

private:
    std::vector<std::string> lines_;
    bool overflow_ = false;
};

// The line given when a result is too large or too small to be shown (UTF-8).
inline constexpr char kOutOfRangeLine[] = "Ergebnis außerhalb des darstellbaren Zahlenbereichs.";

} // namespace sonora
