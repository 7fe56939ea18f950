// Reading measured responses from text: the records of a file and their thinning to the 599
// points a driver's curve can hold.
#pragma once

#include <string_view>
#include <vector>

namespace sonora {

// One line of a measurement text: frequency, first value (level in dB or impedance magnitude in
// Ohm), second value (phase in degrees).
struct MeasuredRecord {
    double f; // Hz
    double x; // dB or Ohm
    double y; // degrees
};

// Working store of an import: reading stops after this many records.
inline constexpr int kMaxTextRecords = 66000;
// Records left after thinning; index 599 of a driver's array then holds the terminating 0.
inline constexpr int kMaxThinnedRecords = 599;

// The next line of `text` from `pos`, which is moved past the line's end (LF, CR LF or CR).
std::string_view nextTextLine(std::string_view text, std::size_t& pos);

// Whether a line may hold numbers: longer than 3 characters and starting with one of
// " +-0123456789.,".
bool isRecordLine(std::string_view line);

// Reads the next number of a line and drops it with the separator behind it: the number reader
// of the program (blanks and leading zeros skipped, "." or "," as decimal separator, exponent),
// then every character up to a tab, ";", "+", "-" or digit, then one tab or ";". A missing number
// reads as 0.
double takeNumber(std::string_view& rest);

// The records of a measurement text (Latin-1 bytes; lines end with LF, CR LF or CR). A line is
// used when it is longer than 3 characters and starts with one of " +-0123456789.,"; three
// numbers are taken from it and kept when the frequency is > 0. Records holding a number that is
// not finite (an exponent beyond the double range) are skipped as well. At most kMaxTextRecords.
std::vector<MeasuredRecord> readMeasuredRecords(std::string_view text);

// Mean of two phases in degrees: the plain mean, except for phases of opposite sign more than
// 180 degrees apart, whose mean lies on the far side of the circle (170 and -170 give 180).
double meanPhaseDegrees(double a, double b);

// Merges neighbouring records whose frequencies lie closer than a tolerance that grows from
// 0.25 % by 0.025 % per pass, walking from the top down, until at most kMaxThinnedRecords
// remain. Record 0 is never merged. Frequencies must be finite and > 0 (readMeasuredRecords
// guarantees it); then every pass with a tolerance of 100 % or more merges, so thinning ends.
void thinMeasuredRecords(std::vector<MeasuredRecord>& records);

} // namespace sonora
