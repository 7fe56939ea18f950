#include "app/shell/tolerance_view.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "analysis/spinorama.h"
#include "app/shell/chart_style.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr const char* kCaptions[kToleranceEntries] = {
    "Widerstände %", "Kondensatoren %", "Spulen %", "Spulenwiderstand %",
    "fs %",          "Qts %",           "Vas %",    "Re %",
    "Le %",          "Pegel dB",        "Versuche", "Startwert",
};

constexpr double kLighterShare = 0.55; // of the way to white: the min/max lines beside the band
constexpr int kNominalWidthFactor = 2; // the nominal curve is what the band is about
constexpr int kSensitivityDecimals = 1000;

std::string numberText(double value) {
    return compactNumberText(kFileNumberWidth, value);
}

TColor lighter(TColor c) {
    TColor out = 0;
    for (int shift = 0; shift <= 16; shift += 8) { // red, green, blue bytes of 0x00BBGGRR
        const auto channel = static_cast<double>((c >> shift) & 0xFFu);
        const auto mixed = static_cast<TColor>(channel + (255.0 - channel) * kLighterShare);
        out |= std::min<TColor>(mixed, 0xFFu) << shift;
    }
    return out;
}

// "Versuche: bitte eine ganze Zahl von 1 bis 100000 eingeben." (Latin-1)
std::string rangeError(ToleranceEntry e, const std::string& range) {
    return utf8ToLatin1(std::string(toleranceEntryCaption(e)) + ": bitte " + range + " eingeben.");
}

} // namespace

const char* toleranceEntryCaption(ToleranceEntry e) {
    const auto i = static_cast<int>(e);
    return i >= 0 && i < kToleranceEntries ? kCaptions[i] : "?";
}

ToleranceEntries toleranceEntriesOf(const ToleranceSettings& s) {
    ToleranceEntries e;
    e[ToleranceEntry::Resistors] = numberText(s.resistors);
    e[ToleranceEntry::Capacitors] = numberText(s.capacitors);
    e[ToleranceEntry::Coils] = numberText(s.coils);
    e[ToleranceEntry::CoilResistance] = numberText(s.coilResistance);
    e[ToleranceEntry::Fs] = numberText(s.fs);
    e[ToleranceEntry::Qts] = numberText(s.qes);
    e[ToleranceEntry::Vas] = numberText(s.vas);
    e[ToleranceEntry::Re] = numberText(s.re);
    e[ToleranceEntry::Le] = numberText(s.le);
    e[ToleranceEntry::Level] = numberText(s.levelDb);
    e[ToleranceEntry::Trials] = std::to_string(s.trials);
    e[ToleranceEntry::Seed] = std::to_string(s.seed);
    e.distribution = s.distribution;
    e.sensitivities = s.sensitivities;
    return e;
}

bool readToleranceEntries(const ToleranceEntries& e, ToleranceSettings& s, std::string& error) {
    ToleranceSettings read = s;
    const auto number = [&](ToleranceEntry which, double highest, double& value) {
        const std::optional<double> v = parseWholeNumber(e[which]);
        if (!v || *v < 0 || *v > highest) {
            error = rangeError(which, ("eine Zahl von 0 bis " + numberText(highest)));
            return false;
        }
        value = *v;
        return true;
    };
    const auto whole = [&](ToleranceEntry which, std::int64_t lowest, std::int64_t highest,
                           std::int64_t& value) {
        const std::string& t = e[which];
        const IntParseResult p = parseInteger(t);
        // parseInteger skips leading blanks and zeros and stops at anything else: the whole text
        // must be digits.
        const bool digits = !t.empty() && std::all_of(t.begin(), t.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
        if (!digits || p.end != t.size() || p.value < lowest || p.value > highest) {
            error = rangeError(which, (highest == INT64_MAX
                                           ? "eine ganze Zahl ab " + std::to_string(lowest)
                                           : "eine ganze Zahl von " + std::to_string(lowest) +
                                                 " bis " + std::to_string(highest)));
            return false;
        }
        value = p.value;
        return true;
    };
    std::int64_t trials = 0, seed = 0;
    const bool ok =
        number(ToleranceEntry::Resistors, kMaxTolerancePercent, read.resistors) &&
        number(ToleranceEntry::Capacitors, kMaxTolerancePercent, read.capacitors) &&
        number(ToleranceEntry::Coils, kMaxTolerancePercent, read.coils) &&
        number(ToleranceEntry::CoilResistance, kMaxTolerancePercent, read.coilResistance) &&
        number(ToleranceEntry::Fs, kMaxTolerancePercent, read.fs) &&
        number(ToleranceEntry::Qts, kMaxTolerancePercent, read.qes) &&
        number(ToleranceEntry::Vas, kMaxTolerancePercent, read.vas) &&
        number(ToleranceEntry::Re, kMaxTolerancePercent, read.re) &&
        number(ToleranceEntry::Le, kMaxTolerancePercent, read.le) &&
        number(ToleranceEntry::Level, kMaxToleranceLevelDb, read.levelDb) &&
        whole(ToleranceEntry::Trials, 1, kMaxToleranceTrials, trials) &&
        whole(ToleranceEntry::Seed, 0, INT64_MAX, seed);
    if (!ok) {
        return false;
    }
    read.qms = read.qes;
    read.trials = static_cast<int>(trials);
    read.seed = static_cast<std::uint64_t>(seed);
    read.distribution = e.distribution;
    read.sensitivities = e.sensitivities;
    read.threads = 0;
    read.lowerPriority = true;
    s = read;
    error.clear();
    return true;
}

std::string toleranceStatusText(ToleranceStatus status, const std::string& error) {
    switch (status) {
    case ToleranceStatus::Ok:
        return {};
    case ToleranceStatus::Cancelled:
        return "Abgebrochen.";
    case ToleranceStatus::Failed:
        break;
    }
    return error.empty() ? utf8ToLatin1("Die Berechnung ist fehlgeschlagen.") : error;
}

ChartContent toleranceChartContent(const ToleranceResult& r, int index, const TAnzOption& o,
                                   const ChartCurve* reference) {
    ChartContent c;
    c.internalName = "Toleranzen";
    c.x = {o.Afmin, o.Afmax, true, "Frequenz [Hz]"};
    c.y = {o.dBmin, o.dBmax, false, "Pegel [dB]"};
    const std::vector<ToleranceCurve> curves = toleranceCurves(r);
    if (index < 0 || static_cast<std::size_t>(index) >= curves.size() || r.trials <= 0) {
        c.title = "Toleranzanalyse";
        c.emptyText = utf8ToLatin1("Noch kein Ergebnis: Toleranzen eintragen und Start drücken.");
        return c;
    }
    const ToleranceCurve& k = curves[static_cast<std::size_t>(index)];
    c.title = "Toleranzen: " + k.caption;
    c.subtitle = utf8ToLatin1("Nennwerte, 5 % und 95 % sowie Min./Max. aus ") +
                 std::to_string(r.trials) + " Versuchen";
    const int width = std::max(1, static_cast<int>(o.GraphsThickness));
    const TColor bandColor = o.ColorSetChassis[1];
    const auto add = [&](const char* name, const std::vector<double>& y, TColor color, int w,
                         LineStyle style) {
        ChartCurve line;
        line.name = utf8ToLatin1(name);
        line.x = r.freq;
        line.y = y;
        line.color = color;
        line.width = w;
        line.style = style;
        c.curves.push_back(std::move(line));
    };
    const ToleranceBand& b = *k.band;
    add("Nennwerte", b.nominal, o.ColorSetChassis[0], width * kNominalWidthFactor,
        LineStyle::Solid);
    add("5 %", b.q05, bandColor, width, LineStyle::Solid);
    add("95 %", b.q95, bandColor, width, LineStyle::Solid);
    add("Minimum", b.min, lighter(bandColor), width, LineStyle::Dot);
    add("Maximum", b.max, lighter(bandColor), width, LineStyle::Dot);
    if (reference != nullptr) {
        c.comparison.push_back(*reference);
    }
    if (k.unit == "Ohm") {
        c.y = {0.0, o.ImpMax, false, "Impedanz [Ohm]"};
    } else if (k.unit == "Grad") {
        c.y.label = utf8ToLatin1("Phasendifferenz [°]");
        autoRangeAxis(c.y, c.curves, ChartAxis::Left);
    }
    return c;
}

const ChartCurve* toleranceReferenceCurve(const ChartContent& spinorama, int index) {
    if (spinorama.kind != ChartKind::Spinorama) {
        return nullptr;
    }
    const int which = index == 0   ? static_cast<int>(SpinCurve::OnAxis)
                      : index == 1 ? static_cast<int>(SpinCurve::ListeningWindow)
                                   : -1;
    if (which < 0 || static_cast<std::size_t>(which) >= spinorama.comparison.size()) {
        return nullptr;
    }
    return &spinorama.comparison[static_cast<std::size_t>(which)];
}

std::vector<ToleranceSensitivityRow> toleranceSensitivityRows(const ToleranceResult& r) {
    std::vector<ToleranceSensitivityRow> rows;
    for (const ToleranceSensitivity& e : r.sensitivities) {
        const double rounded = std::round(e.largest * kSensitivityDecimals) / kSensitivityDecimals;
        rows.push_back({e.name, numberText(rounded), toleranceFrequencyText(e.fLargest)});
    }
    return rows;
}

} // namespace sonora
