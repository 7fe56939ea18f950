// The program's own number texts: width-limited decimal notation with "," as decimal separator,
// four-character engineering texts, dates, and the tolerant readers for all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <locale>
#include <optional>
#include <string>
#include <string_view>

namespace sonora {

// Width of the number texts in project, driver and settings files.
inline constexpr int kFileNumberWidth = 10;

// A calendar date as the user sees it; no validation beyond what parseDate does.
struct DateValue {
    int day;   // 1..31
    int month; // 1..12
    int year;  // four digits, e.g. 2024
    bool operator==(const DateValue&) const = default;
};

// A number read from the start of a text. `end` is the index of the first character that was not
// consumed, so text.substr(end) is what follows the number (0 when nothing was consumed).
struct ParseResult {
    double value;
    std::size_t end;
};

struct IntParseResult {
    std::int64_t value;
    std::size_t end;
};

// The shortest text of at most `width` characters for `value`: "," as decimal separator, trailing
// zeros dropped, "E<exp>" when the plain form does not fit (width 10: 0.24 -> "0,24",
// 1234567 -> "1,234567E6", 0.000001 -> "1,E-6"). Digits are rounded half away from zero from the
// shortest decimal text that reads back as `value` (so 2.675 at 3 digits gives "2,68", as typed),
// and at most 12 significant digits are ever written.
// Special texts: 0 (and -0) -> "0"; a number that fits in neither form -> "+0,0"/"-0,0" when it is
// tiny and "+inf"/"-inf" when it is huge (these four may be longer than a width below 4);
// infinities
// -> "+inf"/"-inf"; NaN -> "NaN". A width below 1 fits no number except 0.
std::string compactNumberText(int width, double value);

// Like compactNumberText, but filled to `width` characters: zeros after the digits (with a ","
// after the integer digits when there is room), "+0,0"/"-0,0" filled with "0", "+inf"/"-inf" and
// "NaN" filled with blanks, and any other result shorter than `width` followed by one blank
// (width 4: 4.7 -> "4,70", 100 -> "100 ", 0 -> "0,00").
std::string fixedNumberText(int width, double value);

// Exactly four bytes: three significant digits and an SI letter that also marks the decimal point
// (4700 -> "4k70", 15 -> "15.0", 0.1 -> "100m"). The micro letter is the Latin-1 byte 0xB5, like
// every text of the program; convert with latin1ToUtf8 for display. Values below 1e-15 -> "0.00",
// negative values (and -inf) -> "NEG ", values from 1e15 (and +inf) -> "+INF", NaN -> "NaN ".
std::string engineeringText(double value);

// "dd.mm.yyyy" with at least two, two and four digits.
std::string dateText(const DateValue& date);

// The locale the user's environment names (LC_ALL, LC_TIME, LANG); the classic locale where it
// names one that is not installed.
std::locale userLocale();

// `date` in the short date format of `locale`, as it writes "%x" ("03.07.2026", "7/3/2026");
// dateText where the locale writes it as the classic locale does (no format of the user's) or
// writes anything but printable ASCII.
std::string shortDateText(const DateValue& date, const std::locale& locale);

// Today's date from the local clock.
DateValue today();

// Reads a number at the start of `text`: leading blanks and "0" are skipped, then an optional sign
// and either "$" with lower-case hexadecimal digits, "&" with binary digits, or decimal digits with
// an optional exponent ("e" or "E", optional sign, digits). Any of the three may have a fraction
// after "." or ",". Reading stops at the first character that does not fit; a separator after the
// digits is consumed ("5." ends after the "."), an "e" or a sign that is not followed by digits is
// not. Text without digits gives 0 with `end` after the skipped blanks and zeros. Decimal numbers
// are correctly rounded; exponents beyond the double range give +-inf or 0. The result is never -0.
ParseResult parseFloat(std::string_view text);

// A number a person typed, read by parseFloat: the text up to the number's end must hold a decimal
// digit and the value must be finite, otherwise nothing. Text after the number is allowed ("5 mm").
std::optional<double> parseTypedNumber(std::string_view text);

// As parseTypedNumber, but nothing may follow the number: "48000" and "4,8e4" are numbers, "48k"
// and "" are not.
std::optional<double> parseWholeNumber(std::string_view text);

// Reads an integer at the start of `text`: leading blanks, double quotes and "0" are skipped, then
// "$" with hexadecimal digits of either case, or an optional sign and decimal digits. Reading stops
// at the first other character ("1,5" gives 1, ending at the ","). Text without digits gives 0 with
// `end` after the skipped characters. Values beyond the int64 range saturate; all digits are
// still consumed.
IntParseResult parseInteger(std::string_view text);

// Reads three runs of digits separated by one character each as day, month and year (a missing run
// reads as 0). Years below 45 get 2000 added, years then still below 100 get 1900 added. A month
// outside 1..12 or a day outside 1..31 gives 1 January 1900. Leading blanks are skipped.
DateValue parseDate(std::string_view text);

} // namespace sonora
