#include "measure/results_export.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "analysis/spinorama.h"
#include "model/complex.h"
#include "model/physics.h"
#include "model/version.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kDegree[] = "\xB0"; // "°" in Latin-1

// Every level column adds kLevelGuard before the logarithm, also those that are a plain 20·log10|x|
// (crossover, baffle, driver alone, active filter, maximum levels): a reader of the table meets
// -888 dB for a zero, never "-inf" or "NaN".
// Added to the directivity ratio before the energy response divides by it (as the result chart
// does), so that a box that radiates nothing exports -888 dB rather than NaN.
constexpr double kDirectivityGuard = 1e-10;
// Degrees per radian as the program converts phases everywhere: 180/3.14159, not 180/pi.
constexpr double kPhaseDegreesPerRadian = 57.29582790879777;

// The 30° columns of the whole box: angle label and direction index of the baffle model's set.
struct AngleColumn {
    const char* label;
    int direction;
};
constexpr int kThirtyDegreePairs = 12; // 180° and 150° … 30° on either side of the axis
constexpr AngleColumn kHorizontal30[kThirtyDegreePairs] = {
    {"180\xB0", 21},     {"150\xB0 left", 18}, {"120\xB0 left", 14},  {"90\xB0 left", 10},
    {"60\xB0 left", 6},  {"30\xB0 left", 2},   {"0\xB0", 0},          {"30\xB0 right", 4},
    {"60\xB0 right", 8}, {"90\xB0 right", 12}, {"120\xB0 right", 16}, {"150\xB0 right", 20}};
constexpr AngleColumn kVertical30[kThirtyDegreePairs] = {
    {"180\xB0", 21},      {"150\xB0 bottom", 19}, {"120\xB0 bottom", 15}, {"90\xB0 bottom", 11},
    {"60\xB0 bottom", 7}, {"30\xB0 bottom", 3},   {"0\xB0", 0},           {"30\xB0 top", 1},
    {"60\xB0 top", 5},    {"90\xB0 top", 9},      {"120\xB0 top", 13},    {"150\xB0 top", 17}};

// The 5° columns: pairs k = 0 … 72 for the angles −180° … +180°, read from the plane results at
// angle index 5k (index = angle + 180°).
constexpr int kFiveDegreePairs = 73;
constexpr int kFiveDegreeStep = 5;      // degrees, and angle-index steps
constexpr int kFiveDegreeAxisPair = 36; // the 0° pair in the middle
constexpr int kHalfTurn = 180;          // degrees

// Level of a pressure (or voltage) ratio, dB.
double levelDb(double magnitude) {
    return 20.0 * std::log10(std::fabs(magnitude) + kLevelGuard);
}

double phaseDegrees(const Complex& x) {
    return CArg(x) * kPhaseDegreesPerRadian;
}

using ValueAt = std::function<double(int)>;     // value at grid index i
using ResponseAt = std::function<Complex(int)>; // complex response at grid index i

// One column of the table: its four header fields and its values.
struct Column {
    std::string title; // header line 1: the section title in the section's first column
    std::string label; // header line 2: subtitle or angle label in the first column of a pair
    std::string name;  // header line 3
    std::string unit;  // header line 4
    ValueAt value;
};

class ColumnList {
public:
    std::vector<Column> columns;

    void addValue(std::string title, std::string label, std::string name, std::string unit,
                  ValueAt value) {
        columns.push_back({std::move(title), std::move(label), std::move(name), std::move(unit),
                           std::move(value)});
    }

    // Level L(x) + offset in dB and phase in degrees.
    void addLevelPhase(std::string title, std::string label, std::string magnitudeName,
                       std::string phaseName, double offsetDb, const ResponseAt& response) {
        addValue(std::move(title), std::move(label), std::move(magnitudeName), "[dB]",
                 [response, offsetDb](int i) { return levelDb(CAbs(response(i))) + offsetDb; });
        addPhase(std::move(phaseName), response);
    }

    // Magnitude in Ohm (unit text as given) and phase in degrees.
    void addImpedance(std::string title, std::string label, std::string unit,
                      const ResponseAt& impedance) {
        addValue(std::move(title), std::move(label), "magnitude", std::move(unit),
                 [impedance](int i) { return CAbs(impedance(i)); });
        addPhase("phase", impedance);
    }

private:
    void addPhase(std::string name, const ResponseAt& response) {
        addValue({}, {}, std::move(name), "[deg]",
                 [response](int i) { return phaseDegrees(response(i)); });
    }
};

// Label of the 5° pair k: "180° left" … "5° left", "0°", "5° right" … "180° right".
std::string fiveDegreeLabel(int k, const char* negativeSide, const char* positiveSide) {
    if (k == kFiveDegreeAxisPair) {
        return std::string("0") + kDegree;
    }
    const bool negative = k < kFiveDegreeAxisPair;
    const int degrees =
        negative ? kHalfTurn - kFiveDegreeStep * k : kFiveDegreeStep * k - kHalfTurn;
    return std::to_string(degrees) + kDegree + (negative ? negativeSide : positiveSide);
}

void addThirtyDegreeSection(ColumnList& list, const TResult& r, const std::string& title,
                            const AngleColumn (&angles)[kThirtyDegreePairs]) {
    for (int p = 0; p < kThirtyDegreePairs; ++p) {
        const int d = angles[p].direction;
        list.addLevelPhase(p == 0 ? title : std::string(), angles[p].label, "magnitude", "phase",
                           kLevelOfUnity, [&r, d](int i) { return r.fgang_box[i][d]; });
    }
}

void addFiveDegreeSection(ColumnList& list, const std::string& title,
                          const Complex (&plane)[kResultFreqs][kPlaneAngles],
                          const char* negativeSide, const char* positiveSide) {
    for (int k = 0; k < kFiveDegreePairs; ++k) {
        const int n = kFiveDegreeStep * k;
        list.addLevelPhase(k == 0 ? title : std::string(),
                           fiveDegreeLabel(k, negativeSide, positiveSide), "magnitude", "phase",
                           kLevelOfUnity, [&plane, n](int i) { return plane[i][n]; });
    }
}

// The spinorama: one column per curve named by its caption. The rating is one number for the whole
// table, so header line 2 carries it: the score, the score with an ideal subwoofer and the four
// inputs (or why one could not be computed) over the first six columns.
void addSpinoramaSection(ColumnList& list, const TResult& r) {
    auto spin = std::make_shared<Spinorama>();
    computeSpinorama(r, *spin);
    std::vector<std::string> labels = {ratingScoreText(spin->rating, false),
                                       ratingScoreText(spin->rating, true)};
    for (int k = 0; k < kRatingInputs; ++k) {
        labels.push_back(ratingInputText(spin->rating, static_cast<RatingInput>(k)));
    }
    for (int c = 0; c < kSpinCurves; ++c) {
        const auto curve = static_cast<SpinCurve>(c);
        list.addValue(c == 0 ? "spinorama box" : std::string(),
                      c < static_cast<int>(labels.size()) ? labels[c] : std::string(),
                      spinCurveCaption(curve), "[dB]",
                      [spin, c](int i) { return i < spin->nfreq ? spin->curve[c][i] : 0.0; });
    }
}

void addBoxSections(ColumnList& list, const TResult& r, ExportSections sections) {
    if (sections.contains(ExportSection::BoxResponse)) {
        list.addLevelPhase("frequency response box", {}, "magnitude", "phase", kLevelOfUnity,
                           [&r](int i) { return r.fgang_box[i][0]; });
    }
    if (sections.contains(ExportSection::BoxHorizontal30)) {
        addThirtyDegreeSection(list, r, "frequency response horizontal box", kHorizontal30);
    }
    if (sections.contains(ExportSection::BoxHorizontal5)) {
        addFiveDegreeSection(list, "frequency response horizontal cabinet (5 deg)", r.fgang_box_h,
                             " left", " right");
    }
    if (sections.contains(ExportSection::BoxVertical30)) {
        addThirtyDegreeSection(list, r, "frequency response vertical cabinet", kVertical30);
    }
    if (sections.contains(ExportSection::BoxVertical5)) {
        addFiveDegreeSection(list, "frequency response vertical cabinet (5 deg)", r.fgang_box_v,
                             " bottom", " top");
    }
    if (sections.contains(ExportSection::BoxEnergy)) {
        list.addValue("energy frequency response box", {}, "magnitude", "[dB]", [&r](int i) {
            const double energy = CAbs(r.fgang_box[i][0]) / (r.fgang_bmass[i] + kDirectivityGuard);
            return levelDb(energy) + kLevelOfUnity;
        });
    }
    if (sections.contains(ExportSection::BoxDirectivity)) {
        list.addValue("directivity box", {}, "magnitude", "[dB]",
                      [&r](int i) { return levelDb(r.fgang_bmass[i]); });
    }
    if (sections.contains(ExportSection::BoxMaxSpl)) {
        list.addValue("max. SPL box", {}, "magnitude", "[dB]",
                      [&r](int i) { return levelDb(r.fgang_peg[kBoxSlot][i]) + kLevelOfUnity; });
    }
    if (sections.contains(ExportSection::BoxSpinorama)) {
        addSpinoramaSection(list, r);
    }
}

// The block of driver slot c (shown as driver c + 1).
void addChassisSections(ColumnList& list, const TResult& r, ExportSections sections, int c) {
    const std::string n = std::to_string(c + 1);
    if (sections.contains(ExportSection::ChassisResponse)) {
        list.addLevelPhase("frequency response chassis " + n,
                           "including baffle, active and passive filter", "magnitude front",
                           "phase front", kLevelOfUnity,
                           [&r, c](int i) { return r.fgang_chassis[c][0][i][0]; });
        list.addLevelPhase({}, {}, "magnitude rear", "phase rear", kLevelOfUnity,
                           [&r, c](int i) { return r.fgang_chassis[c][1][i][0]; });
    }
    if (sections.contains(ExportSection::ChassisImpedance)) {
        list.addImpedance("impedance chassis " + n, "in enclosure", "[Ohm]",
                          [&r, c](int i) { return r.impedanz_ch[c][i]; });
    }
    if (sections.contains(ExportSection::ChassisCrossover)) {
        list.addLevelPhase("frequency response passive filter for chassis " + n, {}, "magnitude",
                           "phase", 0.0, [&r, c](int i) { return r.fgang_weiche[c][i]; });
    }
    if (sections.contains(ExportSection::ChassisBaffle)) {
        list.addLevelPhase("frequency response baffle for chassis " + n, {}, "magnitude", "phase",
                           0.0, [&r, c](int i) { return r.fgang_sw[c][0][i][0]; });
    }
    if (sections.contains(ExportSection::ChassisItself)) {
        // The title has no blank before the number, as the readers of these files expect.
        list.addLevelPhase("frequency response for chassis itself" + n, "on infinite baffle",
                           "magnitude", "phase", kLevelOfUnity,
                           [&r, c](int i) { return r.fgang_ch[c][0][i]; });
    }
    if (sections.contains(ExportSection::ChassisMaxSpl)) {
        list.addValue("max.SPL for chassis " + n, {}, "magnitude", "[dB]",
                      [&r, c](int i) { return levelDb(r.fgang_peg[c][i]) + kLevelOfUnity; });
    }
}

// The block of amplifier slot a (shown as amplifier a + 1).
void addAmplifierSections(ColumnList& list, const TResult& r, ExportSections sections, int a) {
    const std::string n = std::to_string(a + 1);
    if (sections.contains(ExportSection::AmpFilter)) {
        list.addLevelPhase("frequency response for active filter " + n, {}, "magnitude", "phase",
                           0.0, [&r, a](int i) { return r.fgang_akt[a][i]; });
    }
    if (sections.contains(ExportSection::AmpImpedance)) {
        list.addImpedance("impedance for amplifier " + n, {}, "[ohm]",
                          [&r, a](int i) { return r.impedanz_box[a][i]; });
    }
}

std::string number(double value) {
    return compactNumberText(kExportNumberWidth, value);
}

// One header line: its first field, then one tab-led field per column.
std::string headerLine(std::string_view first, const std::vector<Column>& columns,
                       std::string Column::*field) {
    std::string line(first);
    for (const Column& column : columns) {
        line += '\t';
        line += column.*field;
    }
    return line + kLineEnd;
}

} // namespace

std::string resultsExportText(const TResult& result, ExportSections sections) {
    const int nfreq = std::clamp(result.nfreq, 0, kResultFreqs - 1);
    const int nChassis = std::clamp(result.nChassis, 0, kMaxChassis);
    const int nAmps = std::clamp(result.nAmps, 0, kMaxAmps);

    ColumnList list;
    addBoxSections(list, result, sections);
    for (int c = 0; c < nChassis; ++c) {
        addChassisSections(list, result, sections, c);
    }
    for (int a = 0; a < nAmps; ++a) {
        addAmplifierSections(list, result, sections, a);
    }

    std::string text = "// Export from Sonora ";
    text += kVersion;
    text += kLineEnd;
    text += "// Project: ";
    text += kLineEnd;
    text += headerLine("", list.columns, &Column::title);
    text += headerLine("", list.columns, &Column::label);
    text += headerLine("f", list.columns, &Column::name);
    text += headerLine("[Hz]", list.columns, &Column::unit);

    // At most 6 characters and a tab per field.
    constexpr std::size_t kFieldBytes = kExportNumberWidth + 1;
    text.reserve(text.size() +
                 static_cast<std::size_t>(nfreq) * ((list.columns.size() + 1) * kFieldBytes + 2));
    for (int i = 0; i < nfreq; ++i) {
        text += number(result.freq[i]);
        for (const Column& column : list.columns) {
            text += '\t';
            text += number(column.value(i));
        }
        text += kLineEnd;
    }
    return text;
}

bool writeResultsExport(const std::string& path, const TResult& result, ExportSections sections,
                        std::string& error) {
    const std::string text = resultsExportText(result, sections);
    return writeFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()), error);
}

std::string exportWrittenMessage(const std::string& path) {
    return std::string("Export geschrieben in Datei") + kLineEnd + utf8ToLatin1(path);
}

} // namespace sonora
