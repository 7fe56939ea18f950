// Reading records from measurement texts and thinning them to the size of a driver's curve.
#include "measure/text_records.h"

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace sonora {
namespace {

struct Taken {
    double a, b, c;
};

Taken takeThree(std::string_view line) {
    Taken t{};
    t.a = takeNumber(line);
    t.b = takeNumber(line);
    t.c = takeNumber(line);
    return t;
}

TEST(TakeNumber, SeparatorsDecimalCommasAndUnits) {
    Taken t = takeThree("1000;85,5;-12");
    EXPECT_EQ(t.a, 1000.0);
    EXPECT_EQ(t.b, 85.5);
    EXPECT_EQ(t.c, -12.0);
    // The point is not a number start and is skipped as a separator: the value is 5.
    t = takeThree("1000 .5");
    EXPECT_EQ(t.a, 1000.0);
    EXPECT_EQ(t.b, 5.0);
    EXPECT_EQ(t.c, 0.0);
    // Units and blanks behind a number are dropped; exponents with either decimal separator.
    t = takeThree("1,5E3 Hz   82.25 dB\t-1.2e+2 deg");
    EXPECT_EQ(t.a, 1500.0);
    EXPECT_EQ(t.b, 82.25);
    EXPECT_EQ(t.c, -120.0);
    // One tab is one separator; a second one is an empty field that reads as 0.
    t = takeThree("100\t\t7");
    EXPECT_EQ(t.a, 100.0);
    EXPECT_EQ(t.b, 0.0);
    EXPECT_EQ(t.c, 7.0);
    // "+" and "-" start the next field even without a blank.
    t = takeThree("20+3-4");
    EXPECT_EQ(t.a, 20.0);
    EXPECT_EQ(t.b, 3.0);
    EXPECT_EQ(t.c, -4.0);
}

// Every line ending the importers meet: LF, CR LF, a lone CR, an empty line between two LFs, and
// a last line without an ending.
TEST(NextTextLine, SplitsAtEveryLineEnding) {
    const std::string_view text = "a\r\nbb\rc\n\nd\n\re";
    std::size_t pos = 0;
    std::vector<std::string_view> lines;
    while (pos < text.size()) {
        lines.push_back(nextTextLine(text, pos));
    }
    EXPECT_EQ(lines, (std::vector<std::string_view>{"a", "bb", "c", "", "d", "", "e"}));
    EXPECT_EQ(pos, text.size());
}

TEST(ReadMeasuredRecords, WhichLinesCount) {
    const std::string text = "* comment\r\n"     // "*" is not a permitted first character
                             "Freq dB Phase\r\n" // nor is a letter
                             "\t30 80 10\r\n"    // nor is a tab
                             "5 6\r\n"           // three characters only
                             "0,0 90 5\n"        // frequency 0
                             "-10 90 5\n"        // negative frequency
                             " 100 80 10\n"      // a leading blank is allowed
                             "200 81 11\r"       // CR alone ends a line
                             "+300 82 12\n\n"    // a "+" is allowed, an empty line is skipped
                             ".5e3 83 13\r\n"    // 500 Hz
                             "1e999 84 14\n"     // beyond the double range: skipped
                             "600 1e999 14\n"    // a value beyond the range: skipped
                             "1000 85 15";       // the last line needs no line end
    const std::vector<MeasuredRecord> r = readMeasuredRecords(text);
    ASSERT_EQ(r.size(), 5u);
    const double f[] = {100, 200, 300, 500, 1000};
    const double x[] = {80, 81, 82, 83, 85};
    for (std::size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].f, f[i]) << i;
        EXPECT_EQ(r[i].x, x[i]) << i;
    }
    EXPECT_EQ(r[4].y, 15.0);
}

TEST(ReadMeasuredRecords, LeadingZerosAndBlanksAreSkippedTogether) {
    // The number reader skips blanks and zeros alike, so a bare "0" field runs into the next
    // number: "0 90 5" reads as 90 Hz with the value 5.
    const std::vector<MeasuredRecord> r = readMeasuredRecords("0 90 5\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].f, 90.0);
    EXPECT_EQ(r[0].x, 5.0);
}

TEST(ReadMeasuredRecords, StopsAfter66000Records) {
    std::string text;
    for (int i = 1; i <= kMaxTextRecords + 10; ++i) {
        text += std::to_string(i) + " 80 1\n";
    }
    const std::vector<MeasuredRecord> r = readMeasuredRecords(text);
    ASSERT_EQ(r.size(), static_cast<std::size_t>(kMaxTextRecords));
    EXPECT_EQ(r.back().f, static_cast<double>(kMaxTextRecords));
}

TEST(MeanPhaseDegrees, TakesTheShortWayAcrossTheWrap) {
    EXPECT_EQ(meanPhaseDegrees(10.0, 20.0), 15.0);
    EXPECT_EQ(meanPhaseDegrees(-10.0, 20.0), 5.0); // opposite signs, close together
    EXPECT_EQ(meanPhaseDegrees(170.0, -170.0), 180.0);
    EXPECT_EQ(meanPhaseDegrees(179.0, -175.0), -178.0); // 182 reduced by 360
    EXPECT_EQ(meanPhaseDegrees(-100.0, 100.0), 180.0);
    EXPECT_EQ(meanPhaseDegrees(-90.0, 90.0), 0.0); // exactly 180 apart: plain mean
}

// Frequencies 3 % apart with one pair 0.1 % apart after record `closeAt`.
std::vector<MeasuredRecord> spacedRecords(int count, int closeAt) {
    std::vector<MeasuredRecord> r;
    double f = 100.0;
    for (int i = 0; i < count; ++i) {
        r.push_back({f, static_cast<double>(i), i % 2 == 0 ? 170.0 : -170.0});
        f *= i == closeAt ? 1.001 : 1.03;
    }
    return r;
}

TEST(ThinMeasuredRecords, SixHundredRecordsLoseOnePair) {
    const std::vector<MeasuredRecord> original = spacedRecords(600, 300);
    std::vector<MeasuredRecord> r = original;
    thinMeasuredRecords(r);
    ASSERT_EQ(r.size(), 599u);
    for (int i = 0; i < 300; ++i) {
        EXPECT_EQ(r[i].f, original[i].f);
    }
    EXPECT_DOUBLE_EQ(r[300].f, 0.5 * (original[300].f + original[301].f));
    EXPECT_EQ(r[300].x, 300.5);
    EXPECT_EQ(r[300].y, 180.0); // 170 and -170
    for (int i = 301; i < 599; ++i) {
        EXPECT_EQ(r[i].f, original[i + 1].f);
        EXPECT_EQ(r[i].x, original[i + 1].x);
    }
}

TEST(ThinMeasuredRecords, NeverMergesRecordZeroAndWalksFromTheTop) {
    // 602 records, all 0.01 % apart: the first pass merges pairs from the top down (600 and 601,
    // then 598 and 599, ...), each merge skipping its lower neighbour. The pass stops above
    // record 0, so records 0 and 1 stay alone and 302 records remain.
    std::vector<MeasuredRecord> r;
    for (int i = 0; i < 602; ++i) {
        r.push_back({100.0 * std::pow(1.0001, i), static_cast<double>(i), 0.0});
    }
    thinMeasuredRecords(r);
    ASSERT_EQ(r.size(), 302u);
    EXPECT_EQ(r[0].x, 0.0);
    EXPECT_EQ(r[1].x, 1.0);
    EXPECT_EQ(r[2].x, 2.5);
    EXPECT_EQ(r.back().x, 600.5);
}

TEST(ThinMeasuredRecords, EndsForExtremeAndUnsortedFrequencies) {
    std::vector<MeasuredRecord> r;
    for (int i = 0; i < 5000; ++i) {
        // Alternating between 1e-300 and 1e300: ratios far beyond any tolerance.
        r.push_back({i % 2 == 0 ? 1e-300 * (1 + i) : 1e300 / (1 + i), 1e308, -1e308});
    }
    thinMeasuredRecords(r);
    EXPECT_LE(r.size(), 599u);
    for (const MeasuredRecord& m : r) {
        EXPECT_TRUE(std::isfinite(m.f) && m.f > 0.0);
        EXPECT_TRUE(std::isfinite(m.x));
        EXPECT_TRUE(std::isfinite(m.y));
    }
}

} // namespace
} // namespace sonora
