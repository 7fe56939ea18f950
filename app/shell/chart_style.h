// How the line charts stay readable at a glance: line styles for curves whose colours are hard to
// tell apart, the useful range of auto-ranged axes, one tick-label style per axis and the place of
// the legend. Plain rules on chart content; the chart view only applies them.
#pragma once

#include <string>
#include <vector>

#include "app/shell/chart_content.h"

namespace sonora {

// True when two colours of thin lines are hard to tell apart: nearly the same colour, the same
// hue at a similar lightness (maroon beside red), or two greys of similar lightness.
bool coloursTooClose(TColor a, TColor b);

// Gives every curve whose colour is too close to an earlier curve's and whose line style is the
// same a style of its own (dotted, dash-dotted, ...), in drawing order.
void separateNearColours(std::vector<ChartCurve>& curves);

// Shared by every auto-ranged axis: the data's finite values (positive ones on a logarithmic axis)
// with a small margin. A logarithmic axis spans at most four decades above its lowest value; a
// level axis (`levelSpan` > 0, dB) reaches down at most `levelSpan` below its highest value.
inline constexpr double kMaxDecadesShown = 4.0;
inline constexpr double kLevelSpanShown = 60.0; // dB below the highest curve
void autoRangeAxis(ChartAxisRange& axis, const std::vector<ChartCurve>& curves, ChartAxis side,
                   double levelSpan = 0.0);

// The tick texts of one axis in one style: plain decimals with "," for the usual ranges, or all of
// them as mantissa and power of ten ("1E6") when one would not fit as a plain decimal.
std::vector<std::string> tickTexts(const std::vector<double>& ticks);

// Where the legend hides the least data: one of the four inner corners, or outside the plot when
// every corner would hide more than a small share of the points.
enum class LegendPlace { TopRight, TopLeft, BottomRight, BottomLeft, Outside };
inline constexpr double kLegendHiddenShare = 0.02; // share of points a legend may cover
// `widthShare` and `heightShare` are the legend's size as parts of the plot area (0 .. 1).
LegendPlace legendPlace(const ChartContent& chart, double widthShare, double heightShare);
// The number of drawn points (current and comparison curves) that the legend at `place` covers.
int pointsUnderLegend(const ChartContent& chart, LegendPlace place, double widthShare,
                      double heightShare);

} // namespace sonora
