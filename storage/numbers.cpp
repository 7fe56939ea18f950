#include "storage/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iomanip>
#include <limits>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace sonora {

namespace {

constexpr int kTmYearBase = 1900; // std::tm counts years from here, months from 0

// More significant digits than this are never written; rounding is limited to it as well, so a
// long text is always correctly rounded instead of cut.
constexpr int kMaxDigits = 12;

// The fixed form is used for numbers with 1 to 6 integer digits (E from 1 to 6).
constexpr int kMaxFixedExponent = 6;

// |value| = 0.d1 d2 d3 ... * 10^exponent, digits without trailing zeros; zero has no digits and
// exponent 0.
struct DecimalDigits {
    std::string digits;
    int exponent = 0;
};

// Decimal digits of |value| (finite) rounded to `precision` significant digits, halves away from
// zero. The rounding starts from the shortest decimal text that reads back as the value: that is
// the number the user typed or the file held, and an exact binary half (0.125, 2.5) is a visible
// half there as well.
DecimalDigits roundedDigits(double value, int precision) {
    DecimalDigits result;
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        return result;
    }
    precision = std::clamp(precision, 1, kMaxDigits);
    // Longest shortest-scientific text of a double: "d.dddddddddddddddde-308" (24 characters).
    std::array<char, 40> buffer{};
    const auto converted = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                         std::chars_format::scientific);
    const char* p = buffer.data();
    const char* const end = converted.ptr;
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.') {
            result.digits.push_back(*p);
        }
    }
    int exponent10 = 0;
    if (p != end) {
        ++p; // 'e'
        std::from_chars(*p == '+' ? p + 1 : p, end, exponent10);
    }
    result.exponent = exponent10 + 1; // d.ddd * 10^x == 0.dddd * 10^(x+1)

    if (result.digits.size() > static_cast<std::size_t>(precision)) {
        const bool roundUp = result.digits[static_cast<std::size_t>(precision)] >= '5';
        result.digits.resize(static_cast<std::size_t>(precision));
        if (roundUp) {
            std::size_t k = result.digits.size();
            while (k > 0 && result.digits[k - 1] == '9') {
                result.digits[--k] = '0';
            }
            if (k == 0) {
                // 9.99 -> 10.0: one digit "1" and the next exponent.
                result.digits.assign(1, '1');
                ++result.exponent;
            } else {
                ++result.digits[k - 1];
            }
        }
    }
    while (!result.digits.empty() && result.digits.back() == '0') {
        result.digits.pop_back();
    }
    return result;
}

void padTo(std::string& text, std::size_t width, char filler) {
    if (text.size() < width) {
        text.append(width - text.size(), filler);
    }
}

// Plain form with `precision` significant digits, see formatNumber.
std::string plainForm(double value, bool negative, std::size_t width, int precision, bool fill) {
    const DecimalDigits dec = roundedDigits(value, precision);
    const int exponent = dec.exponent;
    std::string text;
    if (negative) {
        text.push_back('-');
    }
    if (exponent > 0) {
        int integerDigits = 0;
        bool comma = false;
        for (char digit : dec.digits) {
            if (text.size() >= width) {
                break;
            }
            text.push_back(digit);
            ++integerDigits;
            if (integerDigits == exponent && text.size() < width) {
                text.push_back(',');
                comma = true;
            }
        }
        while (integerDigits < exponent && text.size() < width) {
            text.push_back('0');
            ++integerDigits;
        }
        if (fill) {
            if (!comma && text.size() < width) {
                text.push_back(',');
            }
            padTo(text, width, '0');
        }
    } else {
        text += "0,";
        for (int k = 0; k < -exponent && text.size() < width; ++k) {
            text.push_back('0');
        }
        for (char digit : dec.digits) {
            if (text.size() >= width) {
                break;
            }
            text.push_back(digit);
        }
        if (fill) {
            padTo(text, width, '0');
        }
    }
    if (text.back() == ',') {
        text.pop_back();
    }
    return text;
}

// Exponent form with `precision` significant digits: "1,5E-7"; the "," stays even without digits
// after it ("1,E-6") so the text still reads as a number of this program.
std::string exponentForm(double value, bool negative, std::size_t width, int precision) {
    const DecimalDigits dec = roundedDigits(value, precision);
    char exponentBuffer[16]; // "E" and at most 5 characters of exponent
    std::snprintf(exponentBuffer, sizeof exponentBuffer, "E%d", dec.exponent - 1);
    const std::string exponentText(exponentBuffer);
    const std::size_t mantissaWidth =
        width > exponentText.size() ? width - exponentText.size() : std::size_t{0};
    std::string text;
    if (negative) {
        text.push_back('-');
    }
    text.push_back(dec.digits.front());
    if (text.size() < mantissaWidth) {
        text.push_back(',');
        for (std::size_t k = 1; k < dec.digits.size() && text.size() < mantissaWidth; ++k) {
            text.push_back(dec.digits[k]);
        }
    }
    return text + exponentText;
}

// Common core of compactNumberText and fixedNumberText.
std::string formatNumber(int width, double value, bool fill) {
    const std::size_t w = width > 0 ? static_cast<std::size_t>(width) : std::size_t{0};
    std::string text;
    if (std::isnan(value)) {
        text = "NaN";
        if (fill) {
            padTo(text, w, ' ');
        }
        return text;
    }
    const bool negative = value < 0.0; // -0 counts as 0
    if (std::isinf(value)) {
        text = negative ? "-inf" : "+inf";
        if (fill) {
            padTo(text, w, ' ');
        }
        return text;
    }
    if (value == 0.0) {
        // Zero has no digits; it takes the plain form with exponent 0 at any width.
        text = plainForm(0.0, false, w, 1, fill);
    } else {
        const int exponent = roundedDigits(value, width).exponent;

        // Characters the plain form needs, and how many digits fit into it.
        int plainLength = negative ? 2 : 1;
        int plainDigits = negative ? width - 1 : width;
        if (exponent > 0) {
            plainLength += exponent - 1;
            if (exponent < plainDigits) {
                --plainDigits; // room for the ","
            }
        } else {
            plainLength += 2 - exponent; // "0," and the zeros after it
            plainDigits += exponent - 2;
        }

        // Length of the shortest exponent form: digit, ",", "E", exponent digits and signs.
        int exponentLength = negative ? 4 : 3;
        for (const bool longer : {exponent > 10, exponent > 100, exponent > 1000, exponent < 1,
                                  exponent < -8, exponent < -98, exponent < -998}) {
            exponentLength += longer ? 1 : 0;
        }

        if (width < exponentLength && width < plainLength) {
            if (exponent < 0) {
                text = negative ? "-0,0" : "+0,0";
                if (fill) {
                    padTo(text, w, '0');
                }
            } else {
                text = negative ? "-inf" : "+inf";
                if (fill) {
                    padTo(text, w, ' ');
                }
            }
            return text;
        }
        const bool plain =
            width >= plainLength && ((exponent > 0 && exponent <= kMaxFixedExponent) ||
                                     (exponent < 1 && exponentLength + 1 >= plainLength));
        if (plain) {
            const int digits = std::max(plainDigits, 1);
            if (roundedDigits(value, digits).exponent != exponent) {
                // Rounding to the digits that fit carried into the next power of ten (-999,53 at
                // width 4): lay the rounded value out anew, it may need the other form.
                const double carried = std::pow(10.0, exponent);
                return formatNumber(width, negative ? -carried : carried, fill);
            }
            text = plainForm(value, negative, w, digits, fill);
        } else {
            int precision = width - exponentLength + 1;
            if (precision > 1) {
                --precision;
            }
            precision = std::max(precision, 1);
            const int roundedExponent = roundedDigits(value, precision).exponent;
            if (roundedExponent != exponent) {
                // Rounding to fewer digits carried into the next power of ten (-9,97E9 at width
                // 4 becomes -1E10): lay the rounded value out anew, its exponent text may be
                // longer.
                const double carried = std::pow(10.0, exponent);
                return formatNumber(width, negative ? -carried : carried, fill);
            }
            text = exponentForm(value, negative, w, precision);
        }
    }
    if (fill && text.size() < w) {
        text.push_back(' ');
    }
    return text;
}

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

// Value of a digit of the given radix, or -1. Hexadecimal upper case only when allowed.
int digitValue(char c, int radix, bool upperHex) {
    int v = -1;
    if (isDecimalDigit(c)) {
        v = c - '0';
    } else if (radix == 16 && c >= 'a' && c <= 'f') {
        v = c - 'a' + 10;
    } else if (radix == 16 && upperHex && c >= 'A' && c <= 'F') {
        v = c - 'A' + 10;
    }
    return v < radix ? v : -1;
}

bool isSeparator(char c) {
    return c == '.' || c == ',';
}

constexpr int kHexRadix = 16;
constexpr int kBinaryRadix = 2;
constexpr int kDecimalRadix = 10;

// Digits after "$" or "&" (start = index after the prefix); the value is built digit by digit.
// Returns false when there is no digit at all.
bool parseRadixNumber(std::string_view text, std::size_t start, int radix, double& value,
                      std::size_t& end) {
    std::size_t i = start;
    bool anyDigit = false;
    double result = 0.0;
    for (int d; i < text.size() && (d = digitValue(text[i], radix, false)) >= 0; ++i) {
        result = result * radix + d;
        anyDigit = true;
    }
    if (i < text.size() && isSeparator(text[i])) {
        std::size_t j = i + 1;
        double scale = 1.0;
        for (int d; j < text.size() && (d = digitValue(text[j], radix, false)) >= 0; ++j) {
            scale /= radix;
            result += d * scale;
            anyDigit = true;
        }
        if (anyDigit) {
            i = j;
        }
    }
    value = result;
    end = i;
    return anyDigit;
}

// Decimal digits with fraction and exponent (start = first character after the sign).
bool parseDecimalNumber(std::string_view text, std::size_t start, bool leadingZero, double& value,
                        std::size_t& end) {
    // Exponent digits beyond this only push the value further out of range.
    constexpr long kExponentLimit = 100000000;

    std::size_t i = start;
    const std::size_t integerStart = i;
    while (i < text.size() && isDecimalDigit(text[i])) {
        ++i;
    }
    const std::string_view integerDigits = text.substr(integerStart, i - integerStart);
    std::string_view fractionDigits;
    if (i < text.size() && isSeparator(text[i])) {
        std::size_t j = i + 1;
        while (j < text.size() && isDecimalDigit(text[j])) {
            ++j;
        }
        fractionDigits = text.substr(i + 1, j - i - 1);
        if (!integerDigits.empty() || !fractionDigits.empty() || leadingZero) {
            i = j;
        }
    }
    if (integerDigits.empty() && fractionDigits.empty()) {
        value = 0.0;
        end = i;
        return leadingZero;
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDecimalDigit(text[j])) {
            for (; j < text.size() && isDecimalDigit(text[j]); ++j) {
                exponent = std::min(exponent * kDecimalRadix + (text[j] - '0'), kExponentLimit);
            }
            if (negativeExponent) {
                exponent = -exponent;
            }
            i = j;
        }
    }
    end = i;

    // from_chars rounds correctly and ignores the locale; it wants "." and no sign.
    std::string normalized;
    normalized.reserve(integerDigits.size() + fractionDigits.size() + 16);
    if (integerDigits.empty()) {
        normalized.push_back('0');
    }
    normalized.append(integerDigits);
    if (!fractionDigits.empty()) {
        normalized.push_back('.');
        normalized.append(fractionDigits);
    }
    normalized.push_back('e');
    normalized += std::to_string(exponent);
    double result = 0.0;
    const auto [ptr, ec] =
        std::from_chars(normalized.data(), normalized.data() + normalized.size(), result);
    (void)ptr;
    if (ec == std::errc::result_out_of_range) {
        // Decide by the decimal magnitude: position of the first non-zero digit plus exponent.
        const std::string mantissa = std::string(integerDigits) + std::string(fractionDigits);
        const std::size_t firstNonZero = mantissa.find_first_not_of('0');
        if (firstNonZero == std::string::npos) {
            result = 0.0;
        } else {
            const long magnitude = static_cast<long>(integerDigits.size()) -
                                   static_cast<long>(firstNonZero) + exponent;
            result = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
    } else if (ec != std::errc{}) {
        result = 0.0;
    }
    value = result;
    return true;
}

} // namespace

std::string compactNumberText(int width, double value) {
    return formatNumber(width, value, false);
}

std::string fixedNumberText(int width, double value) {
    return formatNumber(width, value, true);
}

std::string engineeringText(double value) {
    // Below this a part value counts as nothing.
    constexpr double kSmallest = 1e-15;
    // First exponent (|x| = 0.ddd * 10^E) without a letter: 1e15 and above.
    constexpr int kFirstOverflowExponent = 16;
    // One letter per power of 1000; "*" and "#" mark exponents without a letter. 0xB5 is "µ" in
    // Latin-1.
    constexpr std::string_view kLetters = "***fpn\xB5m.kMGT########";
    constexpr int kDigits = 3;
    // (E + 26) div 3 - 1 picks the letter, (E + 29) mod 3 + 2 its position (from 1).
    constexpr int kLetterOffset = 26;
    constexpr int kPositionOffset = 29;

    if (std::isnan(value)) {
        return "NaN ";
    }
    if (value >= 0.0 && value < kSmallest) {
        return "0.00";
    }
    if (value < 0.0) {
        return "NEG ";
    }
    if (std::isinf(value)) {
        return "+INF";
    }
    DecimalDigits dec = roundedDigits(value, kDigits);
    const int exponent = dec.exponent;
    if (exponent >= kFirstOverflowExponent) {
        return "+INF";
    }
    dec.digits.resize(kDigits, '0');
    const int letterIndex = std::max((exponent + kLetterOffset) / 3 - 1, 0);
    const auto letterPosition = static_cast<std::size_t>((exponent + kPositionOffset) % 3 + 1);
    std::string text = dec.digits;
    text.insert(letterPosition, 1, kLetters[static_cast<std::size_t>(letterIndex)]);
    return text;
}

std::string dateText(const DateValue& date) {
    // Room for three full ints with signs and the dots.
    std::array<char, 48> buffer{};
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.02d.%.02d.%.04d", date.day,
                                     date.month, date.year);
    return std::string(buffer.data(), static_cast<std::size_t>(std::max(length, 0)));
}

std::locale userLocale() {
    // Built once and kept: the C library builds and frees a named locale's character conversions
    // in one cache without a lock a thread checker sees, so run objects must not each build one.
    static const std::locale user = [] {
        try {
            return std::locale("");
        } catch (const std::runtime_error&) {
            return std::locale::classic();
        }
    }();
    return user;
}

std::string shortDateText(const DateValue& date, const std::locale& locale) {
    std::tm tm{};
    tm.tm_mday = date.day;
    tm.tm_mon = date.month - 1;
    tm.tm_year = date.year - kTmYearBase;
    const auto written = [&tm](const std::locale& l) {
        std::ostringstream out;
        out.imbue(l);
        out << std::put_time(&tm, "%x");
        return out.str();
    };
    const std::string text = written(locale);
    const bool printable =
        std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
    if (text.empty() || !printable || text == written(std::locale::classic())) {
        return dateText(date);
    }
    return text;
}

DateValue today() {
    // std::localtime hands out one shared buffer; the lock keeps our own callers apart.
    static std::mutex clockMutex;
    const std::time_t now = std::time(nullptr);
    std::lock_guard lock(clockMutex);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) {
        return {1, 1, kTmYearBase};
    }
    return {local->tm_mday, local->tm_mon + 1, local->tm_year + kTmYearBase};
}

ParseResult parseFloat(std::string_view text) {
    std::size_t i = 0;
    bool leadingZero = false;
    while (i < text.size() && (text[i] == ' ' || text[i] == '0')) {
        leadingZero = leadingZero || text[i] == '0';
        ++i;
    }
    const std::size_t afterSkip = i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
        leadingZero = false; // zeros before a sign do not make "-." a number
    }
    double value = 0.0;
    std::size_t end = afterSkip;
    bool ok = false;
    if (i < text.size() && text[i] == '$') {
        ok = parseRadixNumber(text, i + 1, kHexRadix, value, end);
    } else if (i < text.size() && text[i] == '&') {
        ok = parseRadixNumber(text, i + 1, kBinaryRadix, value, end);
    } else {
        ok = parseDecimalNumber(text, i, leadingZero, value, end);
    }
    if (!ok) {
        return {0.0, afterSkip};
    }
    if (value == 0.0) {
        return {0.0, end};
    }
    return {negative ? -value : value, end};
}

std::optional<double> parseTypedNumber(std::string_view text) {
    const ParseResult r = parseFloat(text);
    if (text.substr(0, r.end).find_first_of("0123456789") == std::string_view::npos ||
        !std::isfinite(r.value)) {
        return std::nullopt;
    }
    return r.value;
}

std::optional<double> parseWholeNumber(std::string_view text) {
    const std::optional<double> value = parseTypedNumber(text);
    if (!value || parseFloat(text).end != text.size()) {
        return std::nullopt;
    }
    return value;
}

IntParseResult parseInteger(std::string_view text) {
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '"' || text[i] == '0')) {
        ++i;
    }
    const std::size_t afterSkip = i;
    int radix = kDecimalRadix;
    bool negative = false;
    if (i < text.size() && text[i] == '$') {
        radix = kHexRadix;
        ++i;
    } else if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Largest magnitude: 2^63 for a negative number, 2^63 - 1 otherwise.
    const std::uint64_t limit = negative ? kMax + 1 : kMax;
    const auto base = static_cast<std::uint64_t>(radix);
    std::uint64_t magnitude = 0;
    const std::size_t digitsStart = i;
    for (int d; i < text.size() && (d = digitValue(text[i], radix, true)) >= 0; ++i) {
        const auto digit = static_cast<std::uint64_t>(d);
        magnitude = magnitude > (limit - digit) / base ? limit : magnitude * base + digit;
    }
    if (i == digitsStart) {
        return {0, afterSkip};
    }
    if (!negative) {
        return {static_cast<std::int64_t>(magnitude), i};
    }
    // -2^63 has no positive counterpart in int64; build it from -(2^63 - 1) - 1.
    const std::int64_t value = magnitude == kMax + 1 ? std::numeric_limits<std::int64_t>::min()
                                                     : -static_cast<std::int64_t>(magnitude);
    return {value, i};
}

DateValue parseDate(std::string_view text) {
    constexpr std::int64_t kRunLimit = 999999999; // a longer run saturates, no int overflow
    constexpr int kCenturyPivot = 45;             // two-digit years below this are 20xx
    constexpr int kTwoDigitLimit = 100;
    constexpr int kTwentyFirst = 2000;
    constexpr int kTwentieth = 1900;
    constexpr int kLastMonth = 12;
    constexpr int kLastDay = 31;
    constexpr DateValue kFallback{1, 1, kTwentieth};

    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    auto readRun = [&]() {
        std::int64_t run = 0;
        for (; i < text.size() && isDecimalDigit(text[i]); ++i) {
            run = std::min<std::int64_t>(run * kDecimalRadix + (text[i] - '0'), kRunLimit);
        }
        return static_cast<int>(run);
    };
    const int day = readRun();
    if (i < text.size()) {
        ++i; // one separator of any kind
    }
    const int month = readRun();
    if (i < text.size()) {
        ++i;
    }
    int year = readRun();
    if (year < kCenturyPivot) {
        year += kTwentyFirst;
    }
    if (year < kTwoDigitLimit) {
        year += kTwentieth;
    }
    if (month < 1 || month > kLastMonth || day < 1 || day > kLastDay) {
        return kFallback;
    }
    return {day, month, year};
}

} // namespace sonora
