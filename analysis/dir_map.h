// The directivity map as rectangles: frequency strips on a logarithmic axis, pixel rows mapped to
// angles, levels to colour bands, and the legend. The window only paints what this hands it.
#pragma once

#include <string>
#include <vector>

#include "analysis/dir_data.h"

namespace sonora {

// A rectangle in pixels; right and bottom are exclusive (a width of right − left pixels).
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const PixelRect&) const = default;
};

// Pixel column of frequency f on the axis fmin … fmax between the columns left and right, rounded
// to the nearest column; f ≤ fmin gives left, f ≥ fmax gives right.
int frequencyPixel(double f, double fmin, double fmax, int left, int right);

// Columns [first, last) owned by grid index i: between the arithmetic midpoints to its neighbours;
// the first and the last strip end at their own frequency.
struct StripColumns {
    int first = 0;
    int last = 0;
};
StripColumns stripColumns(const TDirData& d, int i, double fmin, double fmax, int left, int right);

// Angle position of pixel row r (0 = the bottom row) of a plot with rows 0 … R: u = r/R·180 + 90
// for the ±90° range, u = r/R·360 for ±180°; index t = floor(u), t1 = t + 1 limited to 360,
// fraction q = u − t.
struct RowAngle {
    int t = 0;
    int t1 = 0;
    double q = 0;
};
RowAngle rowAngle(int r, int R, bool range90);

// The map value of grid index i at a row: (1 − q)·y[i][t] + q·y[i][t1].
double rowValue(const TDirData& d, int i, const RowAngle& row);

// Band of a level L, dB: floor((upper − L)·14/(upper − lower)) limited to 0 … 13. A level that is
// not a number takes the quietest band.
int bandIndex(double level, const BandLimits& limits);

// One legend entry: the lower limit of band `band`, formatted with 5 significant digits.
struct LegendEntry {
    std::string text;
    int band = 0;
    TColor color = 0;
};
// Label j = j/14·(upper − lower) + lower for j = 0 … 13, the lower limit of band 13 − j.
std::vector<LegendEntry> dirLegend(const BandLimits& limits);

// One filled rectangle of the map.
struct DirMapRect {
    PixelRect rect;
    int band = 0;
    TColor color = 0;
};

// What the map's paint draws.
struct DirMapPicture {
    std::string title;
    std::string note;
    std::string axisTitle;
    BandLimits limits{};
    int angleMin = -180; // angle of the bottom row, degrees
    int angleMax = 180;  // angle of the top row
    std::vector<DirMapRect> rects;
    std::vector<LegendEntry> legend;
};

// Rectangles of a data set whose `y` already holds the map values. The plot's rows are
// plot.top … plot.bottom (R = plot.bottom − plot.top, row 0 at plot.bottom), its columns
// plot.left … plot.right. Consecutive rows of one band in a strip become one rectangle.
std::vector<DirMapRect> dirMapRects(const TDirData& d, double fmin, double fmax,
                                    const BandLimits& limits, bool range90, const PixelRect& plot);

// The whole paint of the map: sets the band limits and the reference from the view options,
// computes the map values into plot.DirData().y and returns rectangles, legend and texts. A data
// set that is not valid gives no rectangles.
DirMapPicture paintDirMap(TDirPlot& plot, const DirViewOptions& options, const PixelRect& area);

} // namespace sonora
