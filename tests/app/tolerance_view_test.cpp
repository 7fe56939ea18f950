// The tolerance window's logic: its entries read back to the settings and refuse what is no
// tolerance with the exact German reason, a computed run as chart curves and table rows, and the
// reference project's curve taken from the spinorama chart's comparison layer.
#include "app/shell/tolerance_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/example_projects.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {
namespace {

constexpr int kGridPoints = 40; // a coarse grid keeps the runs short
constexpr int kTrials = 8;

std::string latin1(const char* utf8) {
    return utf8ToLatin1(utf8);
}

// The two-way example computed with a few trials; `sensitivities` adds the central differences.
const ToleranceResult& twoWayRun(bool sensitivities) {
    static std::unique_ptr<ToleranceResult> withSensitivities, without;
    std::unique_ptr<ToleranceResult>& kept = sensitivities ? withSensitivities : without;
    if (!kept) {
        auto p = std::make_unique<TProjekt>();
        buildTwoWayExample(*p, kGridPoints);
        ToleranceSettings s;
        s.trials = kTrials;
        s.seed = 7;
        s.sensitivities = sensitivities;
        kept = std::make_unique<ToleranceResult>();
        std::string error;
        EXPECT_EQ(computeTolerance(*p, s, *kept, {}, error), ToleranceStatus::Ok) << error;
    }
    return *kept;
}

TAnzOption displayOptions() {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    return p->option;
}

TEST(ToleranceEntries, DefaultsShowAsTypedAndReadBack) {
    const ToleranceSettings defaults;
    const ToleranceEntries e = toleranceEntriesOf(defaults);
    EXPECT_EQ(e[ToleranceEntry::Resistors], "5");
    EXPECT_EQ(e[ToleranceEntry::Fs], "10");
    EXPECT_EQ(e[ToleranceEntry::Qts], "10");
    EXPECT_EQ(e[ToleranceEntry::Vas], "15");
    EXPECT_EQ(e[ToleranceEntry::Level], "1");
    EXPECT_EQ(e[ToleranceEntry::Trials], "200");
    EXPECT_EQ(e[ToleranceEntry::Seed], "1");

    ToleranceSettings s;
    s.trials = 3; // overwritten by the entries
    std::string error = "alt";
    ASSERT_TRUE(readToleranceEntries(e, s, error));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(s.resistors, defaults.resistors);
    EXPECT_EQ(s.capacitors, defaults.capacitors);
    EXPECT_EQ(s.coils, defaults.coils);
    EXPECT_EQ(s.coilResistance, defaults.coilResistance);
    EXPECT_EQ(s.fs, defaults.fs);
    EXPECT_EQ(s.qes, defaults.qes);
    EXPECT_EQ(s.qms, defaults.qms);
    EXPECT_EQ(s.vas, defaults.vas);
    EXPECT_EQ(s.re, defaults.re);
    EXPECT_EQ(s.le, defaults.le);
    EXPECT_EQ(s.levelDb, defaults.levelDb);
    EXPECT_EQ(s.trials, defaults.trials);
    EXPECT_EQ(s.seed, defaults.seed);
    EXPECT_EQ(s.distribution, defaults.distribution);
    EXPECT_EQ(s.sensitivities, defaults.sensitivities);
    // The window's run: all cores, below normal priority.
    EXPECT_EQ(s.threads, 0);
    EXPECT_TRUE(s.lowerPriority);
}

TEST(ToleranceEntries, TypedValuesWithCommaAndQtsForBothQ) {
    ToleranceEntries e = toleranceEntriesOf(ToleranceSettings{});
    e[ToleranceEntry::Qts] = "12,5";
    e[ToleranceEntry::Re] = "2.5";
    e[ToleranceEntry::Level] = "0";
    e[ToleranceEntry::Trials] = "8";
    e[ToleranceEntry::Seed] = "18446744073709551615"; // saturates at the int64 limit
    e.distribution = ToleranceDistribution::Uniform;
    e.sensitivities = false;
    ToleranceSettings s;
    std::string error;
    ASSERT_TRUE(readToleranceEntries(e, s, error)) << error;
    EXPECT_EQ(s.qes, 12.5);
    EXPECT_EQ(s.qms, 12.5);
    EXPECT_EQ(s.re, 2.5);
    EXPECT_EQ(s.levelDb, 0.0);
    EXPECT_EQ(s.trials, 8);
    EXPECT_EQ(s.seed, static_cast<std::uint64_t>(INT64_MAX));
    EXPECT_EQ(s.distribution, ToleranceDistribution::Uniform);
    EXPECT_FALSE(s.sensitivities);
    // The shown texts of these settings read back to the same settings.
    ToleranceSettings again;
    ASSERT_TRUE(readToleranceEntries(toleranceEntriesOf(s), again, error)) << error;
    EXPECT_EQ(again.qes, s.qes);
    EXPECT_EQ(again.re, s.re);
    EXPECT_EQ(again.seed, s.seed);
}

TEST(ToleranceEntries, NonsenseIsRefusedWithTheFieldsReason) {
    struct Case {
        ToleranceEntry entry;
        const char* text;
        const char* reason; // UTF-8
    };
    const Case cases[] = {
        {ToleranceEntry::Resistors, "-5", "Widerstände %: bitte eine Zahl von 0 bis 100 eingeben."},
        {ToleranceEntry::Capacitors, "",
         "Kondensatoren %: bitte eine Zahl von 0 bis 100 eingeben."},
        {ToleranceEntry::Coils, "abc", "Spulen %: bitte eine Zahl von 0 bis 100 eingeben."},
        {ToleranceEntry::Fs, "100,5", "fs %: bitte eine Zahl von 0 bis 100 eingeben."},
        {ToleranceEntry::Vas, "5 %", "Vas %: bitte eine Zahl von 0 bis 100 eingeben."},
        {ToleranceEntry::Le, "1e999", "Le %: bitte eine Zahl von 0 bis 100 eingeben."},
        {ToleranceEntry::Level, "21", "Pegel dB: bitte eine Zahl von 0 bis 20 eingeben."},
        {ToleranceEntry::Trials, "0", "Versuche: bitte eine ganze Zahl von 1 bis 100000 eingeben."},
        {ToleranceEntry::Trials, "8,5",
         "Versuche: bitte eine ganze Zahl von 1 bis 100000 eingeben."},
        {ToleranceEntry::Trials, "100001",
         "Versuche: bitte eine ganze Zahl von 1 bis 100000 eingeben."},
        {ToleranceEntry::Trials, " 8",
         "Versuche: bitte eine ganze Zahl von 1 bis 100000 eingeben."},
        {ToleranceEntry::Seed, "-1", "Startwert: bitte eine ganze Zahl ab 0 eingeben."},
        {ToleranceEntry::Seed, "$ff", "Startwert: bitte eine ganze Zahl ab 0 eingeben."},
    };
    for (const Case& c : cases) {
        ToleranceEntries e = toleranceEntriesOf(ToleranceSettings{});
        e[c.entry] = c.text;
        ToleranceSettings s;
        s.trials = 42;
        s.resistors = 3;
        std::string error;
        EXPECT_FALSE(readToleranceEntries(e, s, error)) << c.text;
        EXPECT_EQ(error, latin1(c.reason)) << c.text;
        EXPECT_EQ(s.trials, 42) << "settings changed by a refused entry " << c.text;
        EXPECT_EQ(s.resistors, 3.0) << c.text;
    }
}

TEST(ToleranceView, CurveChoicesOfTheTwoWayExample) {
    const ToleranceResult& r = twoWayRun(false);
    const std::vector<ToleranceCurve> curves = toleranceCurves(r);
    ASSERT_EQ(r.impedance.size(), 1u);
    ASSERT_EQ(r.pairs.size(), 1u);
    ASSERT_EQ(curves.size(), 4u);
    EXPECT_EQ(curves[0].caption, "Achse");
    EXPECT_EQ(curves[1].caption, latin1("Hörfenster"));
    EXPECT_EQ(curves[2].caption, latin1("Impedanz Verstärker 1"));
    EXPECT_EQ(curves[3].caption, "Phasendifferenz Chassis 1/2");
    EXPECT_EQ(curves[0].band, &r.onAxis);
    EXPECT_EQ(curves[2].band, &r.impedance[0]);
    EXPECT_EQ(curves[3].band, &r.pairs[0].phaseCurve);
}

TEST(ToleranceView, ChartHoldsTheBandOfTheChosenCurve) {
    const ToleranceResult& r = twoWayRun(false);
    const TAnzOption o = displayOptions();
    const std::size_t n = r.freq.size();
    ASSERT_EQ(n, static_cast<std::size_t>(kGridPoints));
    for (int index = 0; index < 4; ++index) {
        const ChartContent c = toleranceChartContent(r, index, o, nullptr);
        const ToleranceBand& b = *toleranceCurves(r)[static_cast<std::size_t>(index)].band;
        ASSERT_EQ(c.curves.size(), 5u) << index;
        EXPECT_TRUE(c.x.logarithmic);
        EXPECT_TRUE(c.emptyText.empty());
        EXPECT_TRUE(c.comparison.empty());
        const std::vector<double>* expected[] = {&b.nominal, &b.q05, &b.q95, &b.min, &b.max};
        for (std::size_t k = 0; k < 5; ++k) {
            EXPECT_EQ(c.curves[k].x, r.freq);
            EXPECT_EQ(c.curves[k].y, *expected[k]) << index << " " << c.curves[k].name;
        }
        // The nominal curve is the widest; the band lies between the extremes of the trials.
        EXPECT_GT(c.curves[0].width, c.curves[1].width);
        for (std::size_t i = 0; i < n; ++i) {
            EXPECT_LE(b.min[i], b.q05[i]);
            EXPECT_LE(b.q05[i], b.q95[i]);
            EXPECT_LE(b.q95[i], b.max[i]);
        }
    }
    EXPECT_EQ(toleranceChartContent(r, 0, o, nullptr).y.label, "Pegel [dB]");
    EXPECT_EQ(toleranceChartContent(r, 2, o, nullptr).y.label, "Impedanz [Ohm]");
    // The phase axis holds the phase differences it shows.
    const ChartContent phase = toleranceChartContent(r, 3, o, nullptr);
    for (const ChartCurve& k : phase.curves) {
        for (const double v : k.y) {
            EXPECT_GE(v, phase.y.min);
            EXPECT_LE(v, phase.y.max);
        }
    }
    // Before a run, or for a curve that is not there: no curves, a German hint instead.
    EXPECT_TRUE(toleranceChartContent(r, 4, o, nullptr).curves.empty());
    EXPECT_FALSE(toleranceChartContent(r, -1, o, nullptr).emptyText.empty());
    EXPECT_TRUE(toleranceChartContent(ToleranceResult{}, 0, o, nullptr).curves.empty());
}

TEST(ToleranceView, ReferenceCurveFromTheSpinoramaComparisonLayer) {
    ChartContent spin;
    spin.kind = ChartKind::Spinorama;
    EXPECT_EQ(toleranceReferenceCurve(spin, 0), nullptr); // no reference project
    for (const char* name : {"Referenz: Achse", "Referenz: Hörfenster", "Referenz: Reflexionen"}) {
        ChartCurve k;
        k.name = latin1(name);
        k.style = LineStyle::Dash;
        spin.comparison.push_back(k);
    }
    ASSERT_NE(toleranceReferenceCurve(spin, 0), nullptr);
    EXPECT_EQ(toleranceReferenceCurve(spin, 0)->name, "Referenz: Achse");
    EXPECT_EQ(toleranceReferenceCurve(spin, 1)->name, latin1("Referenz: Hörfenster"));
    EXPECT_EQ(toleranceReferenceCurve(spin, 2), nullptr); // impedances: no reference
    ChartContent box = spin;
    box.kind = ChartKind::Box;
    EXPECT_EQ(toleranceReferenceCurve(box, 0), nullptr);

    const TAnzOption o = displayOptions();
    const ChartContent c =
        toleranceChartContent(twoWayRun(false), 0, o, toleranceReferenceCurve(spin, 0));
    ASSERT_EQ(c.comparison.size(), 1u);
    EXPECT_EQ(c.comparison[0].name, "Referenz: Achse");
    EXPECT_EQ(c.comparison[0].style, LineStyle::Dash);
}

TEST(ToleranceView, SensitivityRowsInTheResultsOrder) {
    const ToleranceResult& r = twoWayRun(true);
    const std::vector<ToleranceSensitivityRow> rows = toleranceSensitivityRows(r);
    ASSERT_EQ(rows.size(), r.sensitivities.size());
    ASSERT_FALSE(rows.empty());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const ToleranceSensitivity& e = r.sensitivities[k];
        EXPECT_EQ(rows[k].name, e.name);
        const std::optional<double> value = parseWholeNumber(rows[k].perPercent);
        ASSERT_TRUE(value.has_value()) << rows[k].perPercent;
        EXPECT_NEAR(*value, e.largest, 0.0005 + 1e-12);
        EXPECT_EQ(rows[k].frequency, toleranceFrequencyText(e.fLargest));
        if (k > 0) {
            EXPECT_GE(r.sensitivities[k - 1].largest, e.largest);
        }
    }
    EXPECT_TRUE(toleranceSensitivityRows(twoWayRun(false)).empty());
}

TEST(ToleranceView, SummaryAndStatusTexts) {
    ToleranceResult r;
    r.deviationOnAxis = 1.234;
    r.fDeviationOnAxis = 2512.4;
    r.envelopeOnAxis = 0.806;
    EXPECT_EQ(toleranceDeviationText(r),
              latin1("Größte Abweichung auf Achse (200 Hz bis 15 kHz): 1,23 dB bei 2512 Hz; "
                     "5-%/95-%-Band bis 0,81 dB"));
    EXPECT_EQ(toleranceStatusText(ToleranceStatus::Cancelled, ""), "Abgebrochen.");
    EXPECT_EQ(toleranceStatusText(ToleranceStatus::Failed, "Nennwerte: kaputt"),
              "Nennwerte: kaputt");
    EXPECT_EQ(toleranceStatusText(ToleranceStatus::Failed, ""),
              "Die Berechnung ist fehlgeschlagen.");
    EXPECT_EQ(toleranceStatusText(ToleranceStatus::Ok, "x"), "");
}

} // namespace
} // namespace sonora
