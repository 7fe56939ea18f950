#include "acoustics/comparison_curve_import.h"
#include "acoustics/comparison_curves.h"

#include "storage/latin1.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace sonora {
namespace {

namespace fs = std::filesystem;

constexpr FilterType kAllTypes[] = {
    FilterType::LinkwitzRiley2, FilterType::LinkwitzRiley4, FilterType::LinkwitzRiley8,
    FilterType::FirstOrder,     FilterType::Butterworth2,   FilterType::Bessel2,
    FilterType::Butterworth3,   FilterType::Butterworth4,
};

double dB(double magnitude) {
    return 20.0 * std::log10(magnitude);
}

double mag(const Complex& z) {
    return std::abs(std::complex<double>(z.re, z.im));
}

Complex sum(const Complex& a, const Complex& b, double sign) {
    return {a.re + sign * b.re, a.im + sign * b.im};
}

TEST(ComparisonFilters, NamesInListOrder) {
    const char* const names[] = {
        "Linkwitz-Riley 2. Ordnung", "Linkwitz-Riley 4. Ordnung",
        "Linkwitz-Riley 8. Ordnung", "1. Ordnung",
        "Butterworth 2.  Ordnung",   "Bessel 2. Ordnung",
        "Butterworth 3.  Ordnung",   "Butterworth 4.  Ordnung",
    };
    for (int i = 0; i < kFilterTypeCount; ++i) {
        EXPECT_EQ(filterTypeName(kAllTypes[i]), names[i]);
    }
}

TEST(ComparisonFilters, LevelAtTheCrossoverFrequencyAndSlope) {
    struct Case {
        FilterType type;
        double atFc; // |H| of both branches at x = 1
        int order;   // asymptotic slope: 20 dB per decade and order
    };
    const double halfPower = 1.0 / std::sqrt(2.0);
    const Case cases[] = {
        {FilterType::LinkwitzRiley2, 0.5, 2},
        {FilterType::LinkwitzRiley4, 0.5, 4},
        {FilterType::LinkwitzRiley8, 0.5, 8},
        {FilterType::FirstOrder, halfPower, 1},
        {FilterType::Butterworth2, halfPower, 2},
        {FilterType::Bessel2, 1.0 / 1.7322016282695306, 2},
        {FilterType::Butterworth3, halfPower, 3},
        {FilterType::Butterworth4, halfPower, 4},
    };
    // The curves on a grid through fc, relative to the level L.
    double freq[kCurvePoints] = {500.0, 2000.0, 20.0, 200000.0, 2000000.0};
    freq[5] = 0.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(filterTypeName(c.type));
        ComparisonCurve lp, hp;
        ASSERT_TRUE(comparisonCurvesByFilter(freq, 2000.0, 86.3, c.type, lp, hp));
        ASSERT_TRUE(lp.valid && hp.valid);
        ASSERT_EQ(lp.count, 5);
        EXPECT_EQ(hp.points[1].f, 2000.0);
        // LR2: -6.02 dB on both curves, Butterworth 2: -3.01 dB. The listed constants of the
        // 4th-order sections are good to about 7 digits (1.4e-6 dB), the square root of two to 9.
        EXPECT_NEAR(lp.points[1].level - 86.3, dB(c.atFc), 1e-5);
        EXPECT_NEAR(hp.points[1].level - 86.3, dB(c.atFc), 1e-5);
        // One decade apart, two and three decades away from fc: the slope of the order.
        EXPECT_NEAR(lp.points[4].level - lp.points[3].level, -20.0 * c.order, 0.05);
        const FilterPair low = comparisonFilter(c.type, 1e-3);
        const FilterPair lower = comparisonFilter(c.type, 1e-2);
        EXPECT_NEAR(dB(mag(lower.highPass)) - dB(mag(low.highPass)), 20.0 * c.order, 0.05);
        // Far from fc the pass band is flat at L.
        EXPECT_NEAR(lp.points[2].level, 86.3, 0.01);
    }
}

TEST(ComparisonFilters, SumsWhereTheTextbookSaysFlat) {
    // With the high-pass in its textbook polarity, LR2 sums to a notch at fc and is an allpass
    // only with one branch reversed; LR4, LR8, Butterworth 3 and first order sum flat as they are.
    for (double x = 0.01; x < 100.0; x *= 1.37) {
        SCOPED_TRACE(x);
        const FilterPair lr2 = comparisonFilter(FilterType::LinkwitzRiley2, x);
        EXPECT_NEAR(mag(sum(lr2.lowPass, lr2.highPass, -1.0)), 1.0, 1e-12);
        for (FilterType t : {FilterType::LinkwitzRiley4, FilterType::LinkwitzRiley8,
                             FilterType::Butterworth3, FilterType::FirstOrder}) {
            const FilterPair h = comparisonFilter(t, x);
            // Flat to the accuracy of the listed damping constants (LR8: 3e-7).
            EXPECT_NEAR(mag(sum(h.lowPass, h.highPass, 1.0)), 1.0, 1e-6) << filterTypeName(t);
        }
    }
    const FilterPair atFc = comparisonFilter(FilterType::LinkwitzRiley2, 1.0);
    EXPECT_LT(mag(sum(atFc.lowPass, atFc.highPass, 1.0)), 1e-12);
    // Butterworth 2: a notch in phase as well, and the known +3 dB bump with one branch reversed.
    const FilterPair bw2 = comparisonFilter(FilterType::Butterworth2, 1.0);
    EXPECT_LT(mag(sum(bw2.lowPass, bw2.highPass, 1.0)), 1e-12);
    EXPECT_NEAR(mag(sum(bw2.lowPass, bw2.highPass, -1.0)), std::sqrt(2.0), 1e-8);
}

TEST(ComparisonFilters, GridLimitsAndBadEntries) {
    double freq[kCurvePoints] = {};
    for (int i = 0; i < kCurvePoints - 1; ++i) {
        freq[i] = 10.0 + i; // a damaged 600-point grid
    }
    ComparisonCurve lp, hp;
    ASSERT_TRUE(comparisonCurvesByFilter(freq, 100.0, 90.0, FilterType::Butterworth4, lp, hp));
    EXPECT_EQ(lp.count, kComparisonPoints);
    EXPECT_EQ(hp.points[kComparisonPoints - 1].f, 10.0 + kComparisonPoints - 1);

    freq[3] = 0.0; // the grid ends at the first 0
    ASSERT_TRUE(comparisonCurvesByFilter(freq, 100.0, 90.0, FilterType::Butterworth4, lp, hp));
    EXPECT_EQ(lp.count, 3);
    EXPECT_EQ(hp.count, 3);

    EXPECT_FALSE(comparisonCurvesByFilter(freq, 0.0, 90.0, FilterType::Bessel2, lp, hp));
    EXPECT_FALSE(lp.valid || hp.valid);
    EXPECT_EQ(lp.count, 0);
    EXPECT_FALSE(comparisonCurvesByFilter(freq, NAN, 90.0, FilterType::Bessel2, lp, hp));

    // A crossover frequency far below the grid: the low-pass (x^-8, below 1e-56) is shown at the
    // floor of 1000 dB below L.
    ASSERT_TRUE(comparisonCurvesByFilter(freq, 1e-6, 90.0, FilterType::LinkwitzRiley8, lp, hp));
    for (int i = 0; i < lp.count; ++i) {
        EXPECT_NEAR(lp.points[i].level, 90.0 - 1000.0, 1e-9);
        EXPECT_NEAR(hp.points[i].level, 90.0, 1e-9);
    }
}

class CurveImport : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_curve_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    fs::path dir;
};

TEST_F(CurveImport, LineRules) {
    ComparisonCurve c;
    const std::string file = write("k.txt", "abc\r\n"
                                            "Frequenz;Pegel\r\n"
                                            "1000;85,5\r\n"
                                            "100\r\n"      // three characters: ignored
                                            "0;80\r\n"     // frequency not > 0
                                            "-20;80\r\n"   // frequency not > 0
                                            "1e999;80\r\n" // not finite
                                            " 2000 Hz\t-3.25e1 dB\r\n"
                                            "3000\n" // a frequency alone: level 0
                                            ",5;1"); // last line without a line end
    const CurveImportResult r = importComparisonCurve(file, c);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.message, "");
    ASSERT_TRUE(c.valid);
    ASSERT_EQ(c.count, 4);
    EXPECT_EQ(c.points[0].f, 1000.0);
    EXPECT_EQ(c.points[0].level, 85.5);
    EXPECT_EQ(c.points[1].f, 2000.0);
    EXPECT_EQ(c.points[1].level, -32.5);
    EXPECT_EQ(c.points[2].f, 3000.0);
    EXPECT_EQ(c.points[2].level, 0.0);
    EXPECT_EQ(c.points[3].f, 0.5);
    EXPECT_EQ(c.points[3].level, 1.0);
}

TEST_F(CurveImport, MessagesAndLimits) {
    ComparisonCurve c;
    ASSERT_TRUE(importComparisonCurve(write("ok.txt", "1000;85,5\n"), c).ok);
    // A failed import clears the curve that was there.
    const std::string missing = (dir / "fehlt.txt").string();
    CurveImportResult r = importComparisonCurve(missing, c);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Datei " + missing + " existiert nicht.");
    EXPECT_FALSE(c.valid);
    EXPECT_EQ(c.count, 0);

    const std::string noData = utf8ToLatin1("Die Datei enthält keine passenden Daten.");
    EXPECT_EQ(importComparisonCurve(write("leer.txt", ""), c).message, noData);
    EXPECT_EQ(importComparisonCurve(write("text.txt", "abc\nFrequenz Pegel\n"), c).message, noData);
    EXPECT_FALSE(c.valid);

    // Only the first 600 lines are read, the first one included.
    std::string lines;
    for (int i = 0; i < 599; ++i) {
        lines += "abc\n";
    }
    ASSERT_TRUE(importComparisonCurve(write("600.txt", lines + "1000;85,5\n"), c).ok);
    EXPECT_EQ(c.count, 1);
    EXPECT_EQ(importComparisonCurve(write("601.txt", lines + "abc\n1000;85,5\n"), c).message,
              noData);

    // More usable lines than the curve holds: our choice is to keep the first 257 pairs and
    // ignore the rest, which keeps the low end of a measurement and never thins it.
    std::string many;
    for (int i = 1; i <= 300; ++i) {
        many += std::to_string(10 * i) + "\t" + std::to_string(i) + "\n";
    }
    ASSERT_TRUE(importComparisonCurve(write("300.txt", many), c).ok);
    EXPECT_EQ(c.count, kComparisonPoints);
    EXPECT_EQ(c.points[kComparisonPoints - 1].f, 10.0 * kComparisonPoints);
    EXPECT_EQ(c.points[kComparisonPoints - 1].level, kComparisonPoints);
}

TEST(CurveText, HostileBytesStayInBounds) {
    // Line ends of all kinds, NUL bytes and a separator at the very end must not read past the
    // text (run under the address sanitizer in CI).
    static const char bytes[] = "1000;\0\0\r\r\n\n\r5;;\t\t\x80\xff-;";
    const std::string_view text(bytes, sizeof bytes - 1);
    ComparisonCurve c;
    ASSERT_TRUE(readComparisonCurve(text, c));
    ASSERT_EQ(c.count, 2); // a missing level reads as 0
    EXPECT_EQ(c.points[0].f, 1000.0);
    EXPECT_EQ(c.points[0].level, 0.0);
    EXPECT_EQ(c.points[1].f, 5.0);
    EXPECT_EQ(c.points[1].level, 0.0);
    EXPECT_TRUE(readComparisonCurve(std::string_view("1,5;2\r"), c));
    EXPECT_EQ(c.points[0].f, 1.5);
    EXPECT_EQ(c.points[0].level, 2.0);
}

} // namespace
} // namespace sonora
