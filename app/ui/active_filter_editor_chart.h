// The active-filter editor's live chart: magnitude and phase of an amplifier's filter chain over
// the project's frequency grid, as chart content for ChartView.
#pragma once

#include "app/shell/chart_content.h"
#include "model/records.h"

namespace sonora::ui {

// Curve 0 is the magnitude in dB (left axis), curve 1 the phase in degrees within -180 .. 180
// (right axis). Grid points where the chain gives no finite value are left out of both curves,
// so the chart shows a gap instead of a spike. The title names the amplifier (0-based `amp`).
ChartContent activeFilterChart(const TProjekt& grid, const TAktfilter& chain, int amp);

} // namespace sonora::ui
