// The tolerance window without widgets: its entries as texts and the settings read from them, a
// kept curve of a finished run as a chart, the sensitivities as table rows.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis/tolerance.h"
#include "app/shell/chart_content.h"

namespace sonora {

// The number entries of the window, in the order it shows them.
enum class ToleranceEntry {
    Resistors,
    Capacitors,
    Coils,
    CoilResistance,
    Fs,
    Qts, // Qes and Qms alike
    Vas,
    Re,
    Le,
    Level, // dB
    Trials,
    Seed,
};
inline constexpr int kToleranceEntries = 12;

// "Widerstände %", ..., "Pegel dB", "Versuche", "Startwert" (UTF-8).
const char* toleranceEntryCaption(ToleranceEntry e);

struct ToleranceEntries {
    std::array<std::string, kToleranceEntries> text; // as typed, Latin-1
    ToleranceDistribution distribution = ToleranceDistribution::Normal;
    bool sensitivities = true;

    std::string& operator[](ToleranceEntry e) { return text[static_cast<std::size_t>(e)]; }
    const std::string& operator[](ToleranceEntry e) const {
        return text[static_cast<std::size_t>(e)];
    }
};

// The texts the window shows for `s` (numbers with a decimal comma).
ToleranceEntries toleranceEntriesOf(const ToleranceSettings& s);

// Reads the entries for a run of the window: every per-cent entry 0 ... 100, the level 0 ... 20 dB,
// the trials a whole number 1 ... 100000, the seed a whole number from 0. The window's run uses
// every processor core one step below normal priority, so that the window and the interactive
// calculation stay responsive. False with the German reason (Latin-1) for the first entry that
// does not read; `s` is then unchanged.
bool readToleranceEntries(const ToleranceEntries& e, ToleranceSettings& s, std::string& error);

// The window's text for a run that did not finish (Latin-1): "Abgebrochen." or the run's error.
std::string toleranceStatusText(ToleranceStatus status, const std::string& error);

// Curve `index` of toleranceCurves(r) as a chart on the display options' frequency axis: the
// nominal curve at twice the width in the whole box's colour, the 5 % and 95 % quantiles in the
// first driver colour, the smallest and largest trial dotted in a lighter shade of it. Levels use
// the options' dB range, impedances 0 ... ImpMax, phase differences a range around their data.
// `reference` is the reference project's curve of the same kind (drawn dashed as the comparison
// layer), or null. An index out of range gives an empty chart with a note why.
ChartContent toleranceChartContent(const ToleranceResult& r, int index, const TAnzOption& o,
                                   const ChartCurve* reference);

// The reference project's curve for curve `index` of toleranceCurves: on axis and listening
// window from the comparison layer of the main window's spinorama chart; null for the others
// (the reference project may have other amplifiers and drivers) and while there is no reference.
const ChartCurve* toleranceReferenceCurve(const ChartContent& spinorama, int index);

// One line of the sensitivity table (Latin-1): the part or driver value, the largest change of
// the on-axis level per +1 % in dB, and its frequency.
struct ToleranceSensitivityRow {
    std::string name;
    std::string perPercent; // "0,123"
    std::string frequency;  // "2512 Hz"
};
std::vector<ToleranceSensitivityRow> toleranceSensitivityRows(const ToleranceResult& r);

} // namespace sonora
