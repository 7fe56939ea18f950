// The polar plots of the main window: level over angle at one grid frequency, horizontal and
// vertical, as points the window joins by lines.
#pragma once

#include <array>
#include <string>

#include "analysis/dir_data.h"

namespace sonora {

// Clock positions: 12 is a full turn, 0 at the top, growing clockwise; the chart turns a
// position into an angle in radians by position·π/6.
inline constexpr double kClockTurn = 12;

// Level of a magnitude, dB: 20·log10(v + 1e-50) + 112 (a magnitude 1 is 112 dB).
double polarLevel(double magnitude);

// Clock position of point i = 0 … 360 of the horizontal chart (i/360·12: the axis at the top,
// positive angles to the right) and of the vertical chart (6 − (i/360·12 + 3), plus 12 when
// negative: the axis to the right, positive angles upwards).
double horizontalClockPosition(int i);
double verticalClockPosition(int i);

// Radius as a share of the full radius: 0 at minLevel, growing linearly to 1 at maxLevel, held at
// 1 above it and at 0 below minLevel (and for a level that is not a number).
double polarRadius(double level, double minLevel, double maxLevel);

struct PolarPoint {
    double angle = 0;  // radians, clockwise from the top (position·π/6)
    double radius = 0; // share of the chart's full radius, 0 … 1
    double level = 0;  // dB, as plotted
};
inline constexpr int kPolarPoints = kPlaneAngles;

// Points i = 0 … 360 of one chart at grid index j: the level of angle index (i + 180) mod 360 of
// yv (vertical) or yh. A grid index outside the data set's range gives points at radius 0.
std::array<PolarPoint, kPolarPoints> polarPoints(const TDirData& d, int j, bool vertical,
                                                 double minLevel, double maxLevel);

// Pixel position of a point on a chart with the given centre and full radius, pixels (y down).
struct PixelPoint {
    double x = 0;
    double y = 0;
};
PixelPoint polarPixel(const PolarPoint& p, double centreX, double centreY, double fullRadius);

// The label over the scroll bar: "Frequenz: " + f with 5 significant digits + " Hz".
std::string polarFrequencyLabel(double f);

// Grid index whose frequency is nearest f on the logarithmic axis (0 for an empty data set).
int nearestGridIndex(const TDirData& d, double f);

} // namespace sonora
