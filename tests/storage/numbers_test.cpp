#include "storage/numbers.h"

#include "storage/latin1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <vector>

namespace sonora {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------------
// Compact number text

TEST(CompactNumberText, FileWidthExamples) {
    EXPECT_EQ(compactNumberText(10, 20), "20");
    EXPECT_EQ(compactNumberText(10, 0.24), "0,24");
    EXPECT_EQ(compactNumberText(10, 1.5), "1,5");
    EXPECT_EQ(compactNumberText(10, 20000), "20000");
    EXPECT_EQ(compactNumberText(10, 123456), "123456");
    EXPECT_EQ(compactNumberText(10, 0.001), "0,001");
    EXPECT_EQ(compactNumberText(10, 0.0001), "1,E-4");
    EXPECT_EQ(compactNumberText(10, 0.000001), "1,E-6");
    EXPECT_EQ(compactNumberText(10, 1234567), "1,234567E6");
    EXPECT_EQ(compactNumberText(10, -2.5), "-2,5");
    EXPECT_EQ(compactNumberText(10, -0.0001234), "-1,234E-4");
    EXPECT_EQ(compactNumberText(kFileNumberWidth, 1e300), "1,E300");
    EXPECT_EQ(compactNumberText(kFileNumberWidth, 1e-300), "1,E-300");
}

TEST(CompactNumberText, NarrowWidthsAsShownOnScreen) {
    EXPECT_EQ(compactNumberText(6, 38.7879), "38,788");
    EXPECT_EQ(compactNumberText(5, 1.27324), "1,273");
    EXPECT_EQ(compactNumberText(6, 15811.4), "15811"); // the "," would end the text: dropped
    EXPECT_EQ(compactNumberText(4, 12345), "1,E4");
    EXPECT_EQ(compactNumberText(4, 0.005), "5E-3"); // no room for the ","
    EXPECT_EQ(compactNumberText(4, 0.05), "0,05");
    EXPECT_EQ(compactNumberText(4, 1e-300), "+0,0");
    EXPECT_EQ(compactNumberText(4, -1e-300), "-0,0");
    EXPECT_EQ(compactNumberText(4, 1e300), "+inf");
    EXPECT_EQ(compactNumberText(4, -1e300), "-inf");
}

TEST(CompactNumberText, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(compactNumberText(4, 0.125), "0,13");  // 2 digits fit
    EXPECT_EQ(compactNumberText(4, -0.125), "-0,1"); // 1 digit fits after the sign
    EXPECT_EQ(compactNumberText(5, -0.125), "-0,13");
    EXPECT_EQ(compactNumberText(2, 2.5), "3");
    EXPECT_EQ(compactNumberText(2, 3.5), "4");
    EXPECT_EQ(compactNumberText(3, -2.5), "-3");
    EXPECT_EQ(compactNumberText(4, 0.0625), "0,06"); // 1 digit: 6|25 rounds down
    EXPECT_EQ(compactNumberText(5, 0.0625), "0,063");
    // The decimal text the user typed counts, not its binary neighbour 2.67499999...
    EXPECT_EQ(compactNumberText(4, 2.675), "2,68");
    EXPECT_EQ(compactNumberText(4, 2.674999), "2,67");
}

TEST(CompactNumberText, CarryMovesToTheNextPowerOfTen) {
    EXPECT_EQ(compactNumberText(4, 999.6), "1000");
    EXPECT_EQ(compactNumberText(3, 999.6), "1E3"); // no room for the ","
    EXPECT_EQ(compactNumberText(10, 9.9999999), "9,9999999");
    EXPECT_EQ(compactNumberText(10, 9.99999999999), "10");
    EXPECT_EQ(compactNumberText(4, 9.9999999), "10");
    EXPECT_EQ(compactNumberText(4, 0.99999), "1");
    EXPECT_EQ(compactNumberText(4, 0.996), "1");       // 0,996 needs 5 characters
    EXPECT_EQ(compactNumberText(7, 999999.7), "1,E6"); // 1000000 has 7 integer digits
    EXPECT_EQ(compactNumberText(10, 9.99999999999e9), "1,E10");
    EXPECT_EQ(compactNumberText(10, -9.9999999999e-5), "-1,E-4");
    EXPECT_EQ(compactNumberText(10, 0.00099999999999), "0,001");
}

TEST(CompactNumberText, ZeroAndSpecialValues) {
    for (int width : {1, 2, 4, 10, 20}) {
        EXPECT_EQ(compactNumberText(width, 0.0), "0") << width;
        EXPECT_EQ(compactNumberText(width, -0.0), "0") << width;
    }
    EXPECT_EQ(compactNumberText(10, kInf), "+inf");
    EXPECT_EQ(compactNumberText(10, -kInf), "-inf");
    EXPECT_EQ(compactNumberText(10, kNaN), "NaN");
    EXPECT_EQ(compactNumberText(0, 5.0), "+inf");
    EXPECT_EQ(compactNumberText(-3, 5.0), "+inf");
}

TEST(CompactNumberText, ExtremeMagnitudes) {
    EXPECT_EQ(compactNumberText(10, std::numeric_limits<double>::max()), "1,7977E308");
    EXPECT_EQ(compactNumberText(10, -std::numeric_limits<double>::max()), "-1,798E308");
    EXPECT_EQ(compactNumberText(10, std::numeric_limits<double>::min()), "2,225E-308");
    EXPECT_EQ(compactNumberText(10, std::numeric_limits<double>::denorm_min()), "5,E-324");
    EXPECT_EQ(compactNumberText(10, 1.5e-9), "1,5E-9");
    EXPECT_EQ(compactNumberText(10, 1.5e-10), "1,5E-10");
    EXPECT_EQ(compactNumberText(10, 1.23456789e9), "1,234568E9");
    EXPECT_EQ(compactNumberText(10, 1.23456789e10), "1,23457E10");
}

TEST(CompactNumberText, LongDigitStringsAreCorrectlyRounded) {
    EXPECT_EQ(compactNumberText(10, 1.0 / 3.0), "0,33333333");
    EXPECT_EQ(compactNumberText(10, 2.0 / 3.0), "0,66666667");
    EXPECT_EQ(compactNumberText(10, 0.1 + 0.2), "0,3");
    // More than 12 digits are never written, and the limit rounds rather than cuts.
    EXPECT_EQ(compactNumberText(20, 0.1 + 0.2), "0,3");
    EXPECT_EQ(compactNumberText(20, 1.0 / 3.0), "0,333333333333");
    EXPECT_EQ(compactNumberText(20, 2.0 / 3.0), "0,666666666667");
}

// ---------------------------------------------------------------------------------------------
// Fixed number text

TEST(FixedNumberText, FourCharactersAsInTheCrossoverEditor) {
    EXPECT_EQ(fixedNumberText(4, 4.7), "4,70");
    EXPECT_EQ(fixedNumberText(4, 3.3), "3,30");
    EXPECT_EQ(fixedNumberText(4, 10), "10,0");
    EXPECT_EQ(fixedNumberText(4, 22), "22,0");
    EXPECT_EQ(fixedNumberText(4, 100), "100 ");
    EXPECT_EQ(fixedNumberText(4, 999), "999 ");
    EXPECT_EQ(fixedNumberText(4, 0.1), "0,10");
    EXPECT_EQ(fixedNumberText(4, 0.5), "0,50");
    EXPECT_EQ(fixedNumberText(4, 0.05), "0,05");
    EXPECT_EQ(fixedNumberText(4, 1.234), "1,23");
    EXPECT_EQ(fixedNumberText(4, 0.125), "0,13");
    EXPECT_EQ(fixedNumberText(4, 999.6), "1000");
    EXPECT_EQ(fixedNumberText(4, -4.7), "-4,7");
    EXPECT_EQ(fixedNumberText(4, 0.0), "0,00");
    EXPECT_EQ(fixedNumberText(4, 12345), "1,E4");
}

TEST(FixedNumberText, FillsAtOtherWidths) {
    EXPECT_EQ(fixedNumberText(10, 0.24), "0,24000000");
    EXPECT_EQ(fixedNumberText(10, 20), "20,0000000");
    EXPECT_EQ(fixedNumberText(7, 123456), "123456 ");
    EXPECT_EQ(fixedNumberText(6, 123456), "123456");
    EXPECT_EQ(fixedNumberText(10, 0.000001), "1,E-6 ");
    EXPECT_EQ(fixedNumberText(5, 1e-300), "+0,00");
    EXPECT_EQ(fixedNumberText(6, -1e-300), "-0,000");
    EXPECT_EQ(fixedNumberText(6, 1e300), "1,E300");
    EXPECT_EQ(compactNumberText(4, -9971115162.48), "-inf"); // carries to -1E10: too wide
    EXPECT_EQ(compactNumberText(4, -999.5339), "-1E3");      // -1000 does not fit in 4
    EXPECT_EQ(fixedNumberText(6, -kInf), "-inf  ");
    EXPECT_EQ(fixedNumberText(5, kNaN), "NaN  ");
    EXPECT_EQ(fixedNumberText(2, 0.0), "0 ");
}

// ---------------------------------------------------------------------------------------------
// Engineering text

TEST(EngineeringText, Examples) {
    EXPECT_EQ(engineeringText(4700), "4k70");
    EXPECT_EQ(engineeringText(1.5), "1.50");
    EXPECT_EQ(engineeringText(15), "15.0");
    EXPECT_EQ(engineeringText(150), "150.");
    EXPECT_EQ(engineeringText(0.0015), "1m50");
    EXPECT_EQ(engineeringText(0.1), "100m");
    EXPECT_EQ(engineeringText(2.2e-6), "2\xB5"
                                       "20");
    EXPECT_EQ(latin1ToUtf8(engineeringText(2.2e-6)), "2\xC2\xB5"
                                                     "20");
    EXPECT_EQ(engineeringText(999.6), "1k00");
}

TEST(EngineeringText, EveryLetter) {
    EXPECT_EQ(engineeringText(1e-15), "1f00");
    EXPECT_EQ(engineeringText(47e-12), "47p0");
    EXPECT_EQ(engineeringText(330e-9), "330n");
    EXPECT_EQ(engineeringText(1), "1.00");
    EXPECT_EQ(engineeringText(1e6), "1M00");
    EXPECT_EQ(engineeringText(2.5e9), "2G50");
    EXPECT_EQ(engineeringText(999e12), "999T");
    EXPECT_EQ(engineeringText(1.005), "1.01"); // half away from zero
}

TEST(EngineeringText, OutOfRangeAndSpecialValues) {
    EXPECT_EQ(engineeringText(0.0), "0.00");
    EXPECT_EQ(engineeringText(-0.0), "0.00");
    EXPECT_EQ(engineeringText(9e-16), "0.00");
    EXPECT_EQ(engineeringText(-1e-20), "NEG ");
    EXPECT_EQ(engineeringText(-4700), "NEG ");
    EXPECT_EQ(engineeringText(-kInf), "NEG ");
    EXPECT_EQ(engineeringText(1e15), "+INF");
    EXPECT_EQ(engineeringText(999.6e12), "+INF"); // rounds to 1e15
    EXPECT_EQ(engineeringText(kInf), "+INF");
    EXPECT_EQ(engineeringText(kNaN), "NaN ");
}

TEST(EngineeringText, AlwaysFourCharactersThatReadBack) {
    std::mt19937_64 random(20240611);
    std::uniform_real_distribution<double> exponent(-15.0, 15.0);
    for (int k = 0; k < 5000; ++k) {
        const double x = std::pow(10.0, exponent(random));
        const std::string text = engineeringText(x);
        ASSERT_EQ(text.size(), 4u) << x;
        if (text == "+INF") {
            continue;
        }
        // Replace the letter by its power of ten and read the number back.
        const std::string letters = "fpn\xB5m.kMGT";
        const std::size_t at = text.find_first_of(letters);
        ASSERT_NE(at, std::string::npos) << text;
        const int power = (static_cast<int>(letters.find(text[at])) - 5) * 3;
        std::string plain = text;
        plain[at] = '.';
        const double back = parseFloat(plain).value * std::pow(10.0, power);
        EXPECT_NEAR(back, x, 0.005 * x) << x << " -> " << text;
    }
}

// ---------------------------------------------------------------------------------------------
// Parse float

TEST(ParseFloat, Examples) {
    const ParseResult padded = parseFloat("  00012,5e2");
    EXPECT_DOUBLE_EQ(padded.value, 1250.0);
    EXPECT_EQ(padded.end, 11u);
    const ParseResult hex = parseFloat("$1f");
    EXPECT_EQ(hex.value, 31.0);
    EXPECT_EQ(hex.end, 3u);
    const ParseResult dotted = parseFloat("1.2.3");
    EXPECT_EQ(dotted.value, 1.2);
    EXPECT_EQ(dotted.end, 3u); // the second "." is the first character not read
}

TEST(ParseFloat, EndIsTheFirstCharacterNotRead) {
    EXPECT_EQ(parseFloat("12;34").end, 2u);
    EXPECT_EQ(parseFloat("12\t34").end, 2u);
    EXPECT_EQ(parseFloat("5.").end, 2u);
    EXPECT_EQ(parseFloat("5.x").end, 2u);
    EXPECT_EQ(parseFloat("1E-2x").end, 4u);
    EXPECT_DOUBLE_EQ(parseFloat("1E-2x").value, 0.01);
    // An "e" or sign without exponent digits is not part of the number.
    EXPECT_EQ(parseFloat("1e").end, 1u);
    EXPECT_EQ(parseFloat("1e+").end, 1u);
    EXPECT_EQ(parseFloat("2Hz").end, 1u);
    EXPECT_EQ(parseFloat("3 e5").end, 1u);
    EXPECT_EQ(parseFloat("1e").value, 1.0);
    // Text without digits reads as 0; only skipped blanks and zeros count as read.
    EXPECT_EQ(parseFloat("").value, 0.0);
    EXPECT_EQ(parseFloat("").end, 0u);
    EXPECT_EQ(parseFloat("abc").end, 0u);
    EXPECT_EQ(parseFloat("   ").end, 3u);
    EXPECT_EQ(parseFloat("  x").end, 2u);
    EXPECT_EQ(parseFloat("-").end, 0u);
    EXPECT_EQ(parseFloat("-.").end, 0u);
    EXPECT_EQ(parseFloat(".").end, 0u);
    EXPECT_EQ(parseFloat("$").end, 0u);
    EXPECT_EQ(parseFloat("&2").end, 0u);
    EXPECT_EQ(parseFloat("0").end, 1u);
    EXPECT_EQ(parseFloat("0.").end, 2u);
    EXPECT_EQ(parseFloat("0x1f").end, 1u);
    // Tabs are field separators in imported tables, not blanks.
    EXPECT_EQ(parseFloat("\t5").end, 0u);
}

TEST(ParseFloat, SignsSeparatorsAndLeadingZeros) {
    EXPECT_EQ(parseFloat("-2,5").value, -2.5);
    EXPECT_EQ(parseFloat("+2.5").value, 2.5);
    EXPECT_EQ(parseFloat(",5").value, 0.5);
    EXPECT_EQ(parseFloat(".25").value, 0.25);
    EXPECT_EQ(parseFloat("-0012").value, -12.0);
    EXPECT_EQ(parseFloat(" 0 0 7").value, 7.0); // blanks and zeros are skipped in any order
    EXPECT_EQ(parseFloat("0-5").value, -5.0);   // the sign comes after the skipped zeros
    EXPECT_EQ(parseFloat("--5").value, 0.0);
    EXPECT_FALSE(std::signbit(parseFloat("-0").value));
    EXPECT_FALSE(std::signbit(parseFloat("-0,0e5").value));
    EXPECT_EQ(parseFloat("1,E-6").value, 1e-6);
    EXPECT_EQ(parseFloat("1,234567E6").value, 1234567.0);
    EXPECT_EQ(parseFloat("-1,234E-4").value, -0.0001234);
}

TEST(ParseFloat, DecimalValuesAreCorrectlyRounded) {
    // Building the value digit by digit gets these wrong in the last bit.
    EXPECT_EQ(parseFloat("0,1").value, 0.1);
    EXPECT_EQ(parseFloat("1e23").value, 1e23);
    EXPECT_EQ(parseFloat("8.589973e9").value, 8.589973e9);
    EXPECT_EQ(parseFloat("0.000000000000000000000000000000000000000001").value, 1e-42);
    EXPECT_EQ(parseFloat("1234567890123456789012345").value, 1234567890123456789012345.0);
    EXPECT_EQ(parseFloat("2.2250738585072014e-308").value, std::numeric_limits<double>::min());
    EXPECT_EQ(parseFloat("4.9e-324").value, std::numeric_limits<double>::denorm_min());
}

TEST(ParseFloat, ExponentsBeyondTheRange) {
    EXPECT_EQ(parseFloat("1e400").value, kInf);
    EXPECT_EQ(parseFloat("-1e400").value, -kInf);
    EXPECT_EQ(parseFloat("1e-400").value, 0.0);
    EXPECT_EQ(parseFloat("0,0001e-320").value, 0.0);
    EXPECT_EQ(parseFloat("0,000e999999999999999999").value, 0.0);
    EXPECT_EQ(parseFloat("12e99999999999999999999").value, kInf);
    EXPECT_EQ(parseFloat("0,001e310").value, 1e307);
    const ParseResult huge = parseFloat("7e-99999999999999999999;");
    EXPECT_EQ(huge.value, 0.0);
    EXPECT_EQ(huge.end, 23u);
}

TEST(ParseFloat, HexadecimalAndBinaryWithFractions) {
    EXPECT_EQ(parseFloat("$ff.8").value, 255.5);
    EXPECT_EQ(parseFloat("$0,1").value, 0.0625);
    EXPECT_EQ(parseFloat("$.c").value, 0.75);
    EXPECT_EQ(parseFloat("-$10").value, -16.0);
    EXPECT_EQ(parseFloat("&101.01").value, 5.25);
    EXPECT_EQ(parseFloat("&,1").value, 0.5);
    EXPECT_EQ(parseFloat("&1012").value, 5.0);
    EXPECT_EQ(parseFloat("&1012").end, 4u);
    // Upper-case hexadecimal digits are not read by the float reader.
    EXPECT_EQ(parseFloat("$1F").value, 1.0);
    EXPECT_EQ(parseFloat("$1F").end, 2u);
    EXPECT_EQ(parseFloat("$1e5").value, 0x1e5); // "e" is a digit here, not an exponent
}

TEST(ParseFloat, HostileInputNeverReadsPastTheEnd) {
    const std::string longDigits(20000, '7');
    const ParseResult many = parseFloat(longDigits);
    EXPECT_EQ(many.value, kInf);
    EXPECT_EQ(many.end, longDigits.size());
    const std::string longFraction = "0," + std::string(5000, '0') + "1";
    EXPECT_EQ(parseFloat(longFraction).value, 0.0);
    EXPECT_EQ(parseFloat(std::string(300, '$')).value, 0.0);
    EXPECT_EQ(parseFloat("$" + std::string(400, 'f')).value, kInf);
    // A view that stops inside a longer buffer: the digits after it must not be read.
    const std::string buffer = "12345";
    EXPECT_EQ(parseFloat(std::string_view(buffer).substr(0, 2)).value, 12.0);
    EXPECT_EQ(parseFloat(std::string_view(buffer.data(), 0)).end, 0u);
}

// What a person types into a field or onto the command line: a number needs a digit and a finite
// value; the whole-text form also refuses anything after it.
TEST(ParseTypedNumber, DigitsAndFiniteValueRequired) {
    EXPECT_EQ(parseTypedNumber("  4,7 uF"), 4.7);
    EXPECT_EQ(parseTypedNumber("0"), 0.0);
    EXPECT_EQ(parseTypedNumber("-0,5"), -0.5);
    EXPECT_EQ(parseTypedNumber("$1f"), 31.0);
    EXPECT_EQ(parseTypedNumber(""), std::nullopt);
    EXPECT_EQ(parseTypedNumber("   "), std::nullopt);
    EXPECT_EQ(parseTypedNumber("-"), std::nullopt);
    EXPECT_EQ(parseTypedNumber(",e5"), std::nullopt);
    EXPECT_EQ(parseTypedNumber("abc"), std::nullopt);
    EXPECT_EQ(parseTypedNumber("1e999"), std::nullopt);
    EXPECT_EQ(parseTypedNumber("-" + std::string(400, '9')), std::nullopt);

    EXPECT_EQ(parseWholeNumber("48000"), 48000.0);
    EXPECT_EQ(parseWholeNumber("4,8e4"), 48000.0);
    EXPECT_EQ(parseWholeNumber(" 12"), 12.0);
    EXPECT_EQ(parseWholeNumber("48k"), std::nullopt);
    EXPECT_EQ(parseWholeNumber("12 "), std::nullopt);
    EXPECT_EQ(parseWholeNumber("1e"), std::nullopt);
    EXPECT_EQ(parseWholeNumber(""), std::nullopt);
    // A view inside a longer buffer ends where the view ends.
    const std::string buffer = "25x";
    EXPECT_EQ(parseWholeNumber(std::string_view(buffer).substr(0, 2)), 25.0);
}

// ---------------------------------------------------------------------------------------------
// Parse integer

TEST(ParseInteger, Examples) {
    const IntParseResult hex = parseInteger("$1f");
    EXPECT_EQ(hex.value, 31);
    EXPECT_EQ(hex.end, 3u);
    EXPECT_EQ(parseInteger("$1F").value, 31);
    EXPECT_EQ(parseInteger("$FfFf").value, 65535);
    const IntParseResult comma = parseInteger("1,5");
    EXPECT_EQ(comma.value, 1);
    EXPECT_EQ(comma.end, 1u);
}

TEST(ParseInteger, SkipsBlanksQuotesAndZeros) {
    const IntParseResult quoted = parseInteger("\"42\"");
    EXPECT_EQ(quoted.value, 42);
    EXPECT_EQ(quoted.end, 3u);
    const IntParseResult negative = parseInteger("  -17x");
    EXPECT_EQ(negative.value, -17);
    EXPECT_EQ(negative.end, 5u);
    EXPECT_EQ(parseInteger("+8").value, 8);
    EXPECT_EQ(parseInteger("007").value, 7);
    EXPECT_EQ(parseInteger("1e5").value, 1);
    EXPECT_EQ(parseInteger("").end, 0u);
    EXPECT_EQ(parseInteger("abc").end, 0u);
    EXPECT_EQ(parseInteger("+").end, 0u);
    EXPECT_EQ(parseInteger("$").end, 0u);
    EXPECT_EQ(parseInteger("-$1f").value, 0); // a sign only goes with decimal digits
    const IntParseResult zero = parseInteger(" 000");
    EXPECT_EQ(zero.value, 0);
    EXPECT_EQ(zero.end, 4u);
}

TEST(ParseInteger, SaturatesAtTheInt64Range) {
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(parseInteger("9223372036854775807").value, kMax);
    EXPECT_EQ(parseInteger("-9223372036854775808").value, kMin);
    EXPECT_EQ(parseInteger("-9223372036854775807").value, kMin + 1);
    EXPECT_EQ(parseInteger("9223372036854775808").value, kMax);
    const IntParseResult big = parseInteger("99999999999999999999;");
    EXPECT_EQ(big.value, kMax);
    EXPECT_EQ(big.end, 20u);
    EXPECT_EQ(parseInteger("-99999999999999999999").value, kMin);
    EXPECT_EQ(parseInteger("$7fffffffffffffff").value, kMax);
    EXPECT_EQ(parseInteger("$ffffffffffffffff").value, kMax);
    EXPECT_EQ(parseInteger("$ffffffff").value, 4294967295);
}

// ---------------------------------------------------------------------------------------------
// Dates

TEST(DateText, PadsEachField) {
    EXPECT_EQ(dateText({1, 2, 2024}), "01.02.2024");
    EXPECT_EQ(dateText({31, 12, 1999}), "31.12.1999");
    EXPECT_EQ(dateText({5, 6, 7}), "05.06.0007");
    EXPECT_EQ(dateText({5, 6, 12345}), "05.06.12345");
}

// A locale whose short date is the ISO form, as a user's environment may name one; and one that
// writes something no Latin-1 text should carry.
class DatesAs : public std::time_put<char> {
public:
    explicit DatesAs(std::string form) : form_(std::move(form)) {}

protected:
    iter_type do_put(iter_type out, std::ios_base&, char, const std::tm* t, char format,
                     char) const override {
        std::array<char, 32> text{};
        const int n = format == 'x' ? std::snprintf(text.data(), text.size(), form_.c_str(),
                                                    t->tm_year + 1900, t->tm_mon + 1, t->tm_mday)
                                    : 0;
        return std::copy(text.data(), text.data() + std::max(n, 0), out);
    }

private:
    std::string form_;
};

TEST(ShortDateText, TheLocalesFormOrOurs) {
    const DateValue d{3, 7, 2026};
    // The classic locale names no format of the user's: ours.
    EXPECT_EQ(shortDateText(d, std::locale::classic()), "03.07.2026");
    const std::locale iso(std::locale::classic(), new DatesAs("%04d-%02d-%02d"));
    EXPECT_EQ(shortDateText(d, iso), "2026-07-03");
    const std::locale odd(std::locale::classic(), new DatesAs("%04d\xE5%02d\n%02d"));
    EXPECT_EQ(shortDateText(d, odd), "03.07.2026");
}

TEST(ParseDate, FourAndTwoDigitYears) {
    EXPECT_EQ(parseDate("12.03.2024"), (DateValue{12, 3, 2024}));
    EXPECT_EQ(parseDate("1.2.24"), (DateValue{1, 2, 2024}));
    EXPECT_EQ(parseDate("1.2.44"), (DateValue{1, 2, 2044}));
    EXPECT_EQ(parseDate("1.2.45"), (DateValue{1, 2, 1945}));
    EXPECT_EQ(parseDate("1.2.99"), (DateValue{1, 2, 1999}));
    EXPECT_EQ(parseDate("1.2.100"), (DateValue{1, 2, 100}));
    EXPECT_EQ(parseDate("5/6/7"), (DateValue{5, 6, 2007}));
    EXPECT_EQ(parseDate("  31-12-1999 10:00"), (DateValue{31, 12, 1999}));
    EXPECT_EQ(parseDate("1.2."), (DateValue{1, 2, 2000})); // missing year reads as 0
}

TEST(ParseDate, InvalidDayOrMonthGivesFirstOfJanuary1900) {
    const DateValue fallback{1, 1, 1900};
    EXPECT_EQ(parseDate("1.13.2000"), fallback);
    EXPECT_EQ(parseDate("1.0.2000"), fallback);
    EXPECT_EQ(parseDate("0.5.2000"), fallback);
    EXPECT_EQ(parseDate("32.1.2000"), fallback);
    EXPECT_EQ(parseDate(""), fallback);
    EXPECT_EQ(parseDate("heute"), fallback);
    EXPECT_EQ(parseDate("1..2000"), fallback); // one separator each, the second "." ends
    EXPECT_EQ(parseDate("99999999999999999.1.1"), fallback);
    EXPECT_EQ(parseDate("31.2.2023"), (DateValue{31, 2, 2023})); // only the ranges are checked
}

TEST(ParseDate, RoundTripsThroughDateText) {
    for (int year : {1900, 1945, 1999, 2000, 2044, 2100}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; day += 3) {
                const DateValue date{day, month, year};
                EXPECT_EQ(parseDate(dateText(date)), date) << dateText(date);
            }
        }
    }
    const DateValue now = today();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_EQ(parseDate(dateText(now)), now);
}

// ---------------------------------------------------------------------------------------------
// Properties over many values

// Random values of all magnitudes, plus values that sit on or next to a rounding half.
std::vector<double> sampleValues() {
    std::mt19937_64 random(0x50A0A);
    std::uniform_real_distribution<double> exponent(-300.0, 300.0);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> smallExponent(-12, 12);
    std::uniform_int_distribution<long> integer(0, 99999999);
    std::bernoulli_distribution negative(0.5);
    std::vector<double> values;
    for (int k = 0; k < 20000; ++k) {
        double x = 0.0;
        switch (k % 4) {
        case 0:
            x = std::pow(10.0, exponent(random));
            break;
        case 1:
            x = mantissa(random) * std::pow(10.0, smallExponent(random));
            break;
        case 2: // exact-looking decimals such as 12345,5 or 0,00125
            x = (static_cast<double>(integer(random)) + 0.5) *
                std::pow(10.0, smallExponent(random));
            break;
        default:
            x = static_cast<double>(integer(random)) / 1000.0;
            break;
        }
        values.push_back(negative(random) ? -x : x);
    }
    return values;
}

// How far a text may be from the value it stands for: half a unit of its last digit, or of the
// digit that the free characters would have held (they are free only because those digits are 0).
long double allowedError(const std::string& text, int width) {
    std::string mantissa = text;
    int exponent = 0;
    if (const auto at = text.find('E'); at != std::string::npos) {
        mantissa = text.substr(0, at);
        exponent = static_cast<int>(parseInteger(text.substr(at + 1)).value);
    }
    const auto comma = mantissa.find(',');
    int lastDigit = exponent; // power of ten of the last written digit
    int hidden = 0;
    if (comma == std::string::npos) {
        hidden = width - static_cast<int>(text.size()) - 1; // a "," would be needed first
    } else {
        lastDigit -= static_cast<int>(mantissa.size() - comma - 1);
        hidden = width - static_cast<int>(text.size());
    }
    return 0.5L * std::pow(10.0L, lastDigit - std::max(hidden, 0));
}

TEST(NumberTextProperty, ReadsBackWithinTheShownPrecision) {
    for (int width : {4, 5, 6, 8, 10, 12}) {
        for (double x : sampleValues()) {
            const std::string text = compactNumberText(width, x);
            if (text == "+inf" || text == "-inf" || text == "+0,0" || text == "-0,0") {
                EXPECT_LT(width, 7) << x;
                continue;
            }
            ASSERT_LE(text.size(), static_cast<std::size_t>(width)) << x;
            ASSERT_EQ(text.find_first_not_of("-0123456789,E"), std::string::npos) << text;
            const ParseResult back = parseFloat(text);
            ASSERT_EQ(back.end, text.size()) << text;
            const long double error = std::fabs(static_cast<long double>(back.value) - x);
            const long double allowed =
                allowedError(text, width) * (1.0L + 1e-9L) + std::fabs(x) * 4e-16L;
            EXPECT_LE(error, allowed) << "width " << width << ": " << x << " -> " << text;
        }
    }
}

TEST(NumberTextProperty, FileTextIsStableAndFixedTextExtendsIt) {
    for (double x : sampleValues()) {
        const std::string text = compactNumberText(kFileNumberWidth, x);
        // Writing a value that was read from a file gives the same text again.
        EXPECT_EQ(compactNumberText(kFileNumberWidth, parseFloat(text).value), text) << x;
        const std::string fixed = fixedNumberText(kFileNumberWidth, x);
        EXPECT_EQ(fixed.compare(0, text.size(), text), 0) << text << " / " << fixed;
        EXPECT_EQ(parseFloat(fixed).value, parseFloat(text).value) << fixed;
        if (text.find('E') == std::string::npos) {
            EXPECT_EQ(fixed.size(), static_cast<std::size_t>(kFileNumberWidth)) << fixed;
        }
    }
}

} // namespace
} // namespace sonora
