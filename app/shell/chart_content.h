// The line charts of the main window as plain data: titles, axes and curves. The chart set fills
// them from a result and the display options; the windows only draw what they hold.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"

namespace sonora {

enum class ChartAxis { Left, Right };

// Dashes of a drawn line. Impedances are long-dashed, the reference project's curves dashed; the
// other styles tell apart curves of colours too close to see (see chart_style.h).
enum class LineStyle { Solid, Dash, LongDash, Dot, DashDot, DashDotDot };

// One drawn line over the frequency grid, or over time on the impulse and step charts.
struct ChartCurve {
    std::string name;      // legend text, Latin-1
    std::vector<double> x; // Hz; ms on the time charts
    std::vector<double> y; // in the unit of the axis it belongs to
    TColor color = 0;      // 0x00BBGGRR
    int width = 1;         // pixels
    ChartAxis axis = ChartAxis::Left;
    LineStyle style = LineStyle::Solid;
};

struct ChartAxisRange {
    double min = 0;
    double max = 1;
    bool logarithmic = false;
    std::string label; // Latin-1
};

// The kinds of line charts, in the order the chart set holds them.
enum class ChartKind {
    Box,
    DirectionsUp,
    DirectionsDown,
    DirectionsLeft,
    DirectionsRight,
    Chassis, // one per driver slot
    Phase,
    MaxVoltage,
    MaxLevel,
    DriverVoltages,
    DirectivityIndex,
    ElectricalPhase,
    GroupDelay,
    Spinorama,   // the spinorama curves, the two directivity indices on the right axis
    Reflections, // the five groups of the early reflections
    Impulse,     // impulse response of the box and each driver on axis, over time
    Step,        // step response of the same
};

struct ChartContent {
    ChartKind kind = ChartKind::Box;
    int chassis = -1;         // driver slot of a ChartKind::Chassis chart, else -1
    std::string internalName; // e.g. "bcFgangImp"; named when the chart cannot be rebuilt
    std::string title;        // Latin-1
    std::string subtitle;     // second title line, Latin-1, may be empty
    ChartAxisRange x;         // frequency, logarithmic; time in ms on the time charts
    ChartAxisRange y;
    bool hasRightAxis = false;
    ChartAxisRange y2;
    std::vector<ChartCurve> curves;     // the current result
    std::vector<ChartCurve> comparison; // the reference project's curves, drawn dashed
    std::vector<std::string> notes;     // lines shown beside the chart (Latin-1), may be empty
    std::string emptyText; // shown instead of axes while there is nothing to draw, Latin-1
};

} // namespace sonora
