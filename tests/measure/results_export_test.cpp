#include "measure/results_export.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "acoustics/direction_set.h"
#include "model/version.h"
#include "storage/file_io.h"
#include "storage/numbers.h"

namespace sonora {
namespace {

constexpr char kDeg[] = "\xB0";

// A zeroed result with `nfreq` grid points 20 Hz, 1000 Hz, 15811.4 Hz, 20 kHz, ...
std::unique_ptr<TResult> makeResult(int nfreq, int nChassis = 0, int nAmps = 0) {
    auto r = std::make_unique<TResult>();
    constexpr double kFreqs[] = {20.0, 1000.0, 15811.4, 20000.0};
    r->nfreq = nfreq;
    r->nChassis = nChassis;
    r->nAmps = nAmps;
    for (int i = 0; i < nfreq && i < kResultFreqs - 1; ++i) {
        r->freq[i] = i < 4 ? kFreqs[i] : 20.0 * std::pow(1.02, i);
    }
    return r;
}

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

// The export split into its parts; every line must end with "\r\n".
struct Table {
    std::vector<std::string> lines;               // without line ends
    std::vector<std::vector<std::string>> header; // the four header lines, split at tabs
    std::vector<std::vector<std::string>> rows;   // data rows, split at tabs
    std::size_t columns() const { return header[2].size() - 1; } // without the frequency
    // Title of the section that column j (1-based; 0 is the frequency) belongs to.
    std::string sectionOf(std::size_t j) const {
        for (std::size_t k = j; k > 0; --k) {
            if (!header[0][k].empty()) {
                return header[0][k];
            }
        }
        return {};
    }
};

Table parse(const std::string& text) {
    Table t;
    EXPECT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    t.lines = split(text.substr(0, text.size() - 2), "\r\n");
    for (const std::string& line : t.lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break";
    }
    EXPECT_GE(t.lines.size(), 6u);
    for (std::size_t k = 2; k < t.lines.size(); ++k) {
        auto fields = split(t.lines[k], "\t");
        (k < 6 ? t.header : t.rows).push_back(std::move(fields));
    }
    return t;
}

// Every line of the table has the same number of fields as line 3.
void expectRectangular(const Table& t) {
    for (const auto& line : t.header) {
        EXPECT_EQ(line.size(), t.header[2].size());
    }
    for (const auto& row : t.rows) {
        EXPECT_EQ(row.size(), t.header[2].size());
    }
}

std::string exportOf(const TResult& r, ExportSections s) {
    return resultsExportText(r, s);
}

TEST(ResultsExport, NoSectionTickedWritesOnlyTheFrequencyColumn) {
    const auto r = makeResult(3, 2, 1);
    const std::string expected = "// Export from Sonora " + std::string(kVersion) +
                                 "\r\n// Project: \r\n\r\n\r\nf\r\n[Hz]\r\n20\r\n1000\r\n15811\r\n";
    EXPECT_EQ(exportOf(*r, {}), expected);

    // No grid: the comment and header lines only.
    const auto empty = makeResult(0);
    EXPECT_EQ(exportOf(*empty, {}), "// Export from Sonora " + std::string(kVersion) +
                                        "\r\n// Project: \r\n\r\n\r\nf\r\n[Hz]\r\n");
}

TEST(ResultsExport, HeaderLinesAreExact) {
    const auto r = makeResult(1, 1, 1);
    const Table t = parse(exportOf(*r, {ExportSection::AmpImpedance, ExportSection::BoxResponse,
                                        ExportSection::ChassisResponse}));
    ASSERT_EQ(t.lines.size(), 7u);
    EXPECT_EQ(t.lines[0], "// Export from Sonora " + std::string(kVersion));
    EXPECT_EQ(t.lines[1], "// Project: ");
    EXPECT_EQ(t.lines[2], "\tfrequency response box\t\tfrequency response chassis 1\t\t\t\t"
                          "impedance for amplifier 1\t");
    EXPECT_EQ(t.lines[3], "\t\t\tincluding baffle, active and passive filter\t\t\t\t\t");
    EXPECT_EQ(t.lines[4], "f\tmagnitude\tphase\tmagnitude front\tphase front\tmagnitude rear\t"
                          "phase rear\tmagnitude\tphase");
    EXPECT_EQ(t.lines[5], "[Hz]\t[dB]\t[deg]\t[dB]\t[deg]\t[dB]\t[deg]\t[ohm]\t[deg]");
}

// Each section alone, one driver and one amplifier: title, subtitle, column names and units.
TEST(ResultsExport, EverySectionHasItsTitlesAndColumns) {
    struct Expected {
        ExportSection section;
        std::string title;
        std::string subtitle;
        std::vector<std::string> names;
        std::vector<std::string> units;
    };
    const std::vector<std::string> mp = {"magnitude", "phase"};
    const std::vector<std::string> dbDeg = {"[dB]", "[deg]"};
    const std::vector<Expected> cases = {
        {ExportSection::BoxResponse, "frequency response box", "", mp, dbDeg},
        {ExportSection::BoxEnergy, "energy frequency response box", "", {"magnitude"}, {"[dB]"}},
        {ExportSection::BoxDirectivity, "directivity box", "", {"magnitude"}, {"[dB]"}},
        {ExportSection::BoxMaxSpl, "max. SPL box", "", {"magnitude"}, {"[dB]"}},
        {ExportSection::ChassisResponse,
         "frequency response chassis 1",
         "including baffle, active and passive filter",
         {"magnitude front", "phase front", "magnitude rear", "phase rear"},
         {"[dB]", "[deg]", "[dB]", "[deg]"}},
        {ExportSection::ChassisImpedance,
         "impedance chassis 1",
         "in enclosure",
         mp,
         {"[Ohm]", "[deg]"}},
        {ExportSection::ChassisCrossover, "frequency response passive filter for chassis 1", "", mp,
         dbDeg},
        {ExportSection::ChassisBaffle, "frequency response baffle for chassis 1", "", mp, dbDeg},
        {ExportSection::ChassisItself, "frequency response for chassis itself1",
         "on infinite baffle", mp, dbDeg},
        {ExportSection::ChassisMaxSpl, "max.SPL for chassis 1", "", {"magnitude"}, {"[dB]"}},
        {ExportSection::AmpFilter, "frequency response for active filter 1", "", mp, dbDeg},
        {ExportSection::AmpImpedance, "impedance for amplifier 1", "", mp, {"[ohm]", "[deg]"}},
    };
    const auto r = makeResult(2, 1, 1);
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.title);
        const Table t = parse(exportOf(*r, {e.section}));
        expectRectangular(t);
        ASSERT_EQ(t.columns(), e.names.size());
        EXPECT_EQ(t.header[0][1], e.title);
        EXPECT_EQ(t.header[1][1], e.subtitle);
        for (std::size_t j = 2; j <= t.columns(); ++j) {
            EXPECT_EQ(t.header[0][j], "");
            EXPECT_EQ(t.header[1][j], "");
        }
        for (std::size_t j = 0; j < e.names.size(); ++j) {
            EXPECT_EQ(t.header[2][j + 1], e.names[j]);
            EXPECT_EQ(t.header[3][j + 1], e.units[j]);
        }
        EXPECT_EQ(t.rows.size(), 2u);
    }
}

// The spinorama section: one column per curve with its German caption, the curves as the
// analysis computes them, and the rating with its inputs in header line 2. A field of the same
// magnitude everywhere has equal curves and no directivity; a grid of four points gives no rating.
TEST(ResultsExport, SpinoramaSectionCarriesCurvesAndRating) {
    const auto r = makeResult(4);
    for (int i = 0; i < 4; ++i) {
        for (int n = 0; n < kPlaneAngles; ++n) {
            r->fgang_box_h[i][n] = r->fgang_box_v[i][n] = Complex{0.1 * (i + 1), 0.0};
        }
    }
    const Table t = parse(exportOf(*r, {ExportSection::BoxSpinorama}));
    expectRectangular(t);
    ASSERT_EQ(t.columns(), 12u);
    EXPECT_EQ(t.header[0][1], "spinorama box");
    const std::vector<std::string> names = {"Achse",
                                            "H\xF6rfenster",
                                            "Fr\xFChe Reflexionen",
                                            "Schallleistung",
                                            "Vorhergesagte Raumantwort",
                                            "DI fr\xFChe Reflexionen",
                                            "DI Schallleistung",
                                            "Boden",
                                            "Decke",
                                            "Vorderwand",
                                            "Seitenw\xE4nde",
                                            "R\xFC"
                                            "ckwand"};
    for (std::size_t j = 0; j < names.size(); ++j) {
        EXPECT_EQ(t.header[2][j + 1], names[j]);
        EXPECT_EQ(t.header[3][j + 1], "[dB]");
    }
    EXPECT_EQ(t.header[1][1], "Bewertung: nicht berechenbar");
    EXPECT_EQ(t.header[1][2], "Bewertung mit idealem Subwoofer: nicht berechenbar");
    EXPECT_EQ(t.header[1][3], "NBD_ON: Kein Rasterpunkt im Halboktavband 100 Hz bis 141 Hz.");
    EXPECT_EQ(t.header[1][7], "");
    ASSERT_EQ(t.rows.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const double level = 20 * std::log10(0.1 * (i + 1)) + 112;
        for (std::size_t j = 1; j <= 12; ++j) {
            const bool di = j == 6 || j == 7;
            EXPECT_EQ(t.rows[i][j], compactNumberText(kExportNumberWidth, di ? 0.0 : level))
                << i << " " << j;
        }
    }
}

// Column counts with three drivers and two amplifiers, and the order of the blocks: all box
// sections, then per driver its ticked sections, then per amplifier.
TEST(ResultsExport, ColumnCountsAndBlockOrder) {
    const auto r = makeResult(4, 3, 2);
    const std::pair<ExportSection, std::size_t> counts[] = {
        {ExportSection::BoxResponse, 2},      {ExportSection::BoxHorizontal30, 24},
        {ExportSection::BoxHorizontal5, 146}, {ExportSection::BoxVertical30, 24},
        {ExportSection::BoxVertical5, 146},   {ExportSection::BoxEnergy, 1},
        {ExportSection::BoxDirectivity, 1},   {ExportSection::BoxMaxSpl, 1},
        {ExportSection::BoxSpinorama, 12},    {ExportSection::ChassisResponse, 12},
        {ExportSection::ChassisImpedance, 6}, {ExportSection::ChassisCrossover, 6},
        {ExportSection::ChassisBaffle, 6},    {ExportSection::ChassisItself, 6},
        {ExportSection::ChassisMaxSpl, 3},    {ExportSection::AmpFilter, 4},
        {ExportSection::AmpImpedance, 4}};
    std::size_t total = 0;
    for (const auto& [section, count] : counts) {
        const Table t = parse(exportOf(*r, {section}));
        EXPECT_EQ(t.columns(), count) << exportSectionName(section);
        expectRectangular(t);
        total += count;
    }
    const Table all = parse(exportOf(*r, ExportSections::all()));
    expectRectangular(all);
    EXPECT_EQ(all.columns(), total);
    EXPECT_EQ(all.rows.size(), 4u);

    const Table t =
        parse(exportOf(*r, {ExportSection::AmpFilter, ExportSection::ChassisMaxSpl,
                            ExportSection::ChassisImpedance, ExportSection::BoxMaxSpl}));
    std::vector<std::string> titles;
    for (const std::string& field : t.header[0]) {
        if (!field.empty()) {
            titles.push_back(field);
        }
    }
    const std::vector<std::string> expected = {"max. SPL box",
                                               "impedance chassis 1",
                                               "max.SPL for chassis 1",
                                               "impedance chassis 2",
                                               "max.SPL for chassis 2",
                                               "impedance chassis 3",
                                               "max.SPL for chassis 3",
                                               "frequency response for active filter 1",
                                               "frequency response for active filter 2"};
    EXPECT_EQ(titles, expected);
}

// The plane results get magnitudes that encode their angle index n (horizontal 10^(-n/100),
// i.e. 112 - n/5 dB; vertical 10^(-n/50), 112 - 2n/5 dB), so each exported pair shows which
// index it read: pair k must show index 5k.
TEST(ResultsExport, FiveDegreeSectionsCoverTheFullCircleWithTheAxisInTheMiddle) {
    auto r = makeResult(2);
    for (int i = 0; i < 2; ++i) {
        for (int n = 0; n < kPlaneAngles; ++n) {
            r->fgang_box_h[i][n] = {std::pow(10.0, -n / 100.0), 0.0};
            r->fgang_box_v[i][n] = {0.0, -std::pow(10.0, -n / 50.0)}; // phase -90°
        }
    }
    struct Plane {
        ExportSection section;
        std::string title, negativeSide, positiveSide;
        double dbPerPair;
        std::string phase;
    };
    const Plane planes[] = {
        {ExportSection::BoxHorizontal5, "frequency response horizontal cabinet (5 deg)", " left",
         " right", 1.0, "0"},
        {ExportSection::BoxVertical5, "frequency response vertical cabinet (5 deg)", " bottom",
         " top", 2.0, "-90"}};
    for (const Plane& p : planes) {
        SCOPED_TRACE(p.title);
        const Table t = parse(exportOf(*r, {p.section}));
        expectRectangular(t);
        ASSERT_EQ(t.columns(), 146u);
        EXPECT_EQ(t.header[0][1], p.title);
        EXPECT_EQ(t.header[1][1], "180" + std::string(kDeg) + p.negativeSide);
        EXPECT_EQ(t.header[1][3], "175" + std::string(kDeg) + p.negativeSide);
        EXPECT_EQ(t.header[1][71], "5" + std::string(kDeg) + p.negativeSide);
        EXPECT_EQ(t.header[1][73], "0" + std::string(kDeg)); // pair 36 of 0 … 72
        EXPECT_EQ(t.header[1][75], "5" + std::string(kDeg) + p.positiveSide);
        EXPECT_EQ(t.header[1][145], "180" + std::string(kDeg) + p.positiveSide);
        for (int k = 0; k < 73; ++k) {
            const int angle = 5 * k - 180;
            const std::string side = angle < 0 ? p.negativeSide : p.positiveSide;
            const std::string label =
                std::to_string(std::abs(angle)) + kDeg + (angle == 0 ? "" : side);
            const std::size_t j = 2 * static_cast<std::size_t>(k) + 1;
            EXPECT_EQ(t.header[1][j], label);
            EXPECT_EQ(t.header[1][j + 1], "");
            EXPECT_EQ(t.header[2][j], "magnitude");
            EXPECT_EQ(t.header[2][j + 1], "phase");
            for (const auto& row : t.rows) {
                EXPECT_NEAR(parseFloat(row[j]).value, 112.0 - p.dbPerPair * k, 1e-9) << label;
                EXPECT_EQ(row[j + 1], p.phase);
            }
        }
    }
}

// The 30° sections: fgang_box direction d gets 112 - d dB, so each pair tells its direction; the
// direction set of the baffle model must then put that direction at the angle of the label.
TEST(ResultsExport, ThirtyDegreeSectionsReadTheDirectionsOfTheirLabels) {
    auto r = makeResult(1);
    for (int d = 0; d < kDirections; ++d) {
        r->fgang_box[0][d] = {std::pow(10.0, -d / 20.0), 0.0};
    }
    for (const bool horizontal : {true, false}) {
        SCOPED_TRACE(horizontal ? "horizontal" : "vertical");
        const Table t = parse(exportOf(
            *r, {horizontal ? ExportSection::BoxHorizontal30 : ExportSection::BoxVertical30}));
        ASSERT_EQ(t.columns(), 24u);
        EXPECT_EQ(t.header[0][1], horizontal ? "frequency response horizontal box"
                                             : "frequency response vertical cabinet");
        std::vector<int> directions;
        for (std::size_t j = 1; j <= 23; j += 2) {
            const std::string& label = t.header[1][j];
            const std::size_t deg = label.find(kDeg);
            ASSERT_NE(deg, std::string::npos) << label;
            const double theta = parseFloat(label.substr(0, deg)).value;
            const std::string side = label.substr(deg + 1);
            const int d = static_cast<int>(std::lround(112.0 - parseFloat(t.rows[0][j]).value));
            directions.push_back(d);
            const DirectionAngle angle = DirectionAngles(d);
            DirectionAngle want;
            if (theta == 180.0) {
                EXPECT_EQ(side, "");
                want = {0, 180};
            } else if (side == (horizontal ? " left" : " bottom")) {
                want = horizontal ? DirectionAngle{-theta, 0} : DirectionAngle{0, -theta};
            } else if (side == (horizontal ? " right" : " top")) {
                want = horizontal ? DirectionAngle{theta, 0} : DirectionAngle{0, theta};
            } else {
                EXPECT_EQ(label, "0" + std::string(kDeg));
            }
            EXPECT_EQ(angle.A, want.A) << label;
            EXPECT_EQ(angle.B, want.B) << label;
        }
        // From behind over one side to the axis and on over the other side.
        const std::vector<int> expected =
            horizontal ? std::vector<int>{21, 18, 14, 10, 6, 2, 0, 4, 8, 12, 16, 20}
                       : std::vector<int>{21, 19, 15, 11, 7, 3, 0, 1, 5, 9, 13, 17};
        EXPECT_EQ(directions, expected);
    }
}

// An all-zero result: 20·log10(0 + 1e-50) = -1000 dB, so the 112 dB columns show -888, the
// plain level columns -1000, magnitudes of impedances and all phases 0. No "inf" or "NaN".
TEST(ResultsExport, ZeroResponseExportsGuardedLevels) {
    const auto r = makeResult(3, 2, 2);
    const Table t = parse(exportOf(*r, ExportSections::all()));
    expectRectangular(t);
    const std::vector<std::string> plainLevels = {
        "directivity box", "frequency response passive filter for chassis",
        "frequency response baffle for chassis", "frequency response for active filter"};
    int seen888 = 0;
    int seen1000 = 0;
    for (std::size_t j = 1; j <= t.columns(); ++j) {
        const std::string section = t.sectionOf(j);
        const std::string& unit = t.header[3][j];
        std::string want;
        if (unit == "[deg]" || unit == "[Ohm]" || unit == "[ohm]") {
            want = "0";
        } else {
            ASSERT_EQ(unit, "[dB]");
            want = "-888";
            for (const std::string& prefix : plainLevels) {
                if (section.rfind(prefix, 0) == 0) {
                    want = "-1000";
                }
            }
            // The spinorama's directivity indices are differences of two such levels.
            if (section == "spinorama box" && t.header[2][j].rfind("DI ", 0) == 0) {
                want = "0";
            }
        }
        seen888 += want == "-888" ? 1 : 0;
        seen1000 += want == "-1000" ? 1 : 0;
        for (const auto& row : t.rows) {
            EXPECT_EQ(row[j], want) << section << " column " << j;
        }
    }
    // box 1 + 12 + 73 + 12 + 73 + energy + max SPL + 10 spinorama levels; per driver front,
    // rear, alone, max SPL
    EXPECT_EQ(seen888, 1 + 12 + 73 + 12 + 73 + 1 + 1 + 10 + 2 * 4);
    // directivity, per driver crossover and baffle, per amplifier active filter
    EXPECT_EQ(seen1000, 1 + 2 * 2 + 2);
}

TEST(ResultsExport, NumbersAreCompactWidthSixTexts) {
    auto r = makeResult(3, 1, 1);
    r->impedanz_ch[0][0] = {38.7879, 0.0};
    r->impedanz_ch[0][1] = {-0.004, 0.0}; // magnitude 0.004, phase 180°
    r->impedanz_ch[0][2] = {1234567.0, 0.0};
    const Table t = parse(exportOf(*r, {ExportSection::ChassisImpedance}));
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[2][0], "15811"); // 15811.4 Hz
    EXPECT_EQ(t.rows[0][1], "38,788");
    EXPECT_EQ(t.rows[1][1], "0,004");
    EXPECT_EQ(t.rows[1][2], "180");
    EXPECT_EQ(t.rows[2][1], "1,23E6"); // no room for the plain form

    // Seeded random responses everywhere: every field is at most 6 characters, uses "," and reads
    // back close to a value of the right size.
    std::mt19937 rng(20261209);
    std::uniform_real_distribution<double> part(-3.0, 3.0);
    auto full = makeResult(40, 2, 2);
    auto fill = [&](Complex& z) { z = {part(rng), part(rng)}; };
    for (int i = 0; i < 40; ++i) {
        for (int d = 0; d < kDirections; ++d) {
            fill(full->fgang_box[i][d]);
        }
        for (int n = 0; n < kPlaneAngles; ++n) {
            fill(full->fgang_box_h[i][n]);
            fill(full->fgang_box_v[i][n]);
        }
        full->fgang_bmass[i] = std::fabs(part(rng));
        for (int c = 0; c <= kMaxChassis; ++c) {
            full->fgang_peg[c][i] = std::fabs(part(rng));
        }
        for (int c = 0; c < 2; ++c) {
            fill(full->fgang_chassis[c][0][i][0]);
            fill(full->fgang_chassis[c][1][i][0]);
            fill(full->impedanz_ch[c][i]);
            fill(full->fgang_weiche[c][i]);
            fill(full->fgang_sw[c][0][i][0]);
            fill(full->fgang_ch[c][0][i]);
            fill(full->fgang_akt[c][i]);
            fill(full->impedanz_box[c][i]);
        }
    }
    const Table all = parse(exportOf(*full, ExportSections::all()));
    ASSERT_EQ(all.rows.size(), 40u);
    for (const auto& row : all.rows) {
        for (const std::string& field : row) {
            EXPECT_LE(field.size(), 6u) << field;
            EXPECT_EQ(field.find_first_not_of("-0123456789,E"), std::string::npos) << field;
            const double v = parseFloat(field).value;
            EXPECT_TRUE(std::fabs(v) <= 20000.0) << field; // levels, phases, Ohm and Hz
        }
    }
}

// A small hand-filled result. Expected texts: the values were worked out with a desk calculator
// from the formulas (L = 20·log10(|x| + 1e-50), phase = arg·57.29582790879777), e.g.
// |0.5j| -> -6.0206 dB + 112 = 105.979 -> "105,98" (5 digits fit beside the ","), arg -> 90.00008
// -> "90"; |-0.1-0.1j| = 0.141421 -> 95.0103 -> "95,01", arg -> -135.0001 -> "-135" (a sign
// leaves 4 digits); energy 0.141421/0.5 -> 101.0309 -> "101,03"; |30-20j| = 36.0555 -> "36,056",
// arg -33.6901 -> "-33,69"; |0.5-0.5j| -> -3.0103 -> "-3,01"; akt -1 -> arg 180.00015 -> "180".
TEST(ResultsExport, GoldenRowsOfAHandFilledResult) {
    auto r = makeResult(3, 1, 1);
    const Complex box[3] = {{1, 0}, {0, 0.5}, {-0.1, -0.1}};
    const double bmass[3] = {2, 1, 0.5};
    const double peg[3] = {1, 10, 0.01};
    const Complex zch[3] = {{8, 0}, {6, 6}, {30, -20}};
    const Complex weiche[3] = {{1, 0}, {0.5, -0.5}, {0, 0}};
    const Complex akt[3] = {{2, 0}, {-1, 0}, {0.001, 0}};
    for (int i = 0; i < 3; ++i) {
        r->fgang_box[i][0] = box[i];
        r->fgang_bmass[i] = bmass[i];
        r->fgang_peg[kBoxSlot][i] = peg[i];
        r->impedanz_ch[0][i] = zch[i];
        r->fgang_weiche[0][i] = weiche[i];
        r->fgang_akt[0][i] = akt[i];
    }
    // Slots beyond the counts must not be exported.
    r->impedanz_ch[1][0] = {99, 0};
    r->fgang_akt[1][0] = {99, 0};
    const ExportSections s = {ExportSection::BoxResponse,      ExportSection::BoxEnergy,
                              ExportSection::BoxDirectivity,   ExportSection::BoxMaxSpl,
                              ExportSection::ChassisImpedance, ExportSection::ChassisCrossover,
                              ExportSection::AmpFilter};
    const Table t = parse(exportOf(*r, s));
    ASSERT_EQ(t.lines.size(), 9u);
    EXPECT_EQ(t.lines[6], "20\t112\t0\t105,98\t6,0206\t112\t8\t0\t0\t0\t6,0206\t0");
    EXPECT_EQ(t.lines[7], "1000\t105,98\t90\t105,98\t0\t132\t8,4853\t45\t-3,01\t-45\t0\t180");
    EXPECT_EQ(t.lines[8],
              "15811\t95,01\t-135\t101,03\t-6,021\t72\t36,056\t-33,69\t-1000\t0\t-60\t0");
}

// A damaged record: counts beyond the slots are limited, negative ones export nothing.
TEST(ResultsExport, CountsOutsideTheirRangesAreLimited) {
    auto r = makeResult(kResultFreqs - 1);
    r->nfreq = 1000000;
    r->nChassis = 1000;
    r->nAmps = 99;
    const Table t = parse(exportOf(*r, {ExportSection::ChassisMaxSpl, ExportSection::AmpFilter}));
    EXPECT_EQ(t.rows.size(), 256u);
    EXPECT_EQ(t.columns(), 32u + 2u * 6u);
    EXPECT_EQ(t.sectionOf(t.columns()), "frequency response for active filter 6");

    r->nfreq = -5;
    r->nChassis = -1;
    r->nAmps = -7;
    const Table none = parse(exportOf(*r, ExportSections::all()));
    EXPECT_EQ(none.rows.size(), 0u);
    EXPECT_EQ(none.columns(), 2u + 24 + 146 + 24 + 146 + 3 + 12); // the box sections only
}

TEST(ResultsExportSections, NamesMapToTheCheckBoxesInFileOrder) {
    EXPECT_EQ(exportSectionNameList(),
              "box,box-h30,box-h5,box-v30,box-v5,energy,directivity,maxspl,spin,ch-response,"
              "ch-impedance,ch-crossover,ch-baffle,ch-itself,ch-maxspl,amp-filter,amp-impedance");
    for (int k = 0; k < kExportSectionCount; ++k) {
        const ExportSectionInfo& info = kExportSectionTable[k];
        const ExportSectionList one = parseExportSectionList(info.name);
        EXPECT_TRUE(one.ok());
        EXPECT_EQ(one.sections, ExportSections{info.section});
        EXPECT_EQ(exportSectionName(info.section), info.name);
    }
    EXPECT_EQ(kExportSectionTable[1].caption, "Frequenzg\xE4nge horizontal (30\xB0-Schritte)");
    EXPECT_EQ(exportGroupCaption(ExportGroup::Amplifier), "Verst\xE4rker");
}

TEST(ResultsExportSections, ParsesACommaListAndReportsUnknownNames) {
    const ExportSectionList a = parseExportSectionList(" box ,\tch-maxspl,,amp-impedance,box");
    EXPECT_TRUE(a.ok());
    EXPECT_EQ(a.sections, (ExportSections{ExportSection::BoxResponse, ExportSection::ChassisMaxSpl,
                                          ExportSection::AmpImpedance}));

    const ExportSectionList b = parseExportSectionList("energy,Box,maxspl,ch-foo,box-h30x");
    EXPECT_FALSE(b.ok());
    EXPECT_EQ(b.unknown, (std::vector<std::string>{"Box", "ch-foo", "box-h30x"}));
    EXPECT_EQ(b.sections, (ExportSections{ExportSection::BoxEnergy, ExportSection::BoxMaxSpl}));

    const ExportSectionList c = parseExportSectionList("");
    EXPECT_TRUE(c.ok());
    EXPECT_TRUE(c.sections.empty());
    EXPECT_TRUE(parseExportSectionList(" , ,").sections.empty());

    const std::string everything = exportSectionNameList();
    EXPECT_EQ(parseExportSectionList(everything).sections, ExportSections::all());
}

TEST(ResultsExportFile, WritesTheTextAndReportsFailures) {
    const auto r = makeResult(3, 1, 1);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("sonora_results_export_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "out.exp").string();
    const ExportSections s = {ExportSection::BoxResponse, ExportSection::ChassisImpedance};
    std::string error;
    ASSERT_TRUE(writeResultsExport(path, *r, s, error)) << error;
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(readFileBytes(path, bytes), ReadStatus::Ok);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), resultsExportText(*r, s));

    const std::string missing = (dir / "no such folder" / "out.exp").string();
    EXPECT_FALSE(writeResultsExport(missing, *r, s, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fileExists(missing));

    EXPECT_EQ(exportWrittenMessage("/tmp/Gr\xC3\xBC\xC3\x9F"
                                   "e.exp"),
              "Export geschrieben in Datei\r\n/tmp/Gr\xFC\xDF"
              "e.exp");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace sonora
