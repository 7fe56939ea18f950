// The near-field map as the window paints it: coloured cell rectangles, the white margin, the
// distance marks and the colour legend, in pixels of the paint box.
#pragma once

#include <string>
#include <vector>

#include "analysis/dir_data.h"
#include "analysis/dir_map.h" // PixelRect
#include "analysis/near_field.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// The map uses the 14 colours of the directivity map (dirBandColors), loudest first.
inline constexpr int kNearFieldColorCount = kDirBands;

inline constexpr TColor kNearFieldWhite = 0xFFFFFF;
inline constexpr TColor kNearFieldBlack = 0x000000;
inline constexpr TColor kNearFieldMarkColor = 0x808080; // grey (128, 128, 128)
inline constexpr int kNearFieldLeft = 30;               // pixel column of distance 0
inline constexpr int kNearFieldMarginWidth = 29;        // white margin at the left, pixels
inline constexpr int kNearFieldWidthReserve = 32;       // pixels of the width not used for distance

struct NearFieldCell {
    double x;     // distance from the front plane, mm
    double y;     // height above the cabinet's bottom edge, mm
    double level; // band level, dB
    int color;    // index into dirBandColors()
    PixelRect rect;
};

// A straight line from (x1, y1) to (x2, y2), pixels.
struct NearFieldLine {
    int x1, y1, x2, y2;
    TColor color;
};

struct NearFieldLegendEntry {
    TColor color;     // the band's colour
    TColor textColor; // white on dark colours, black otherwise
    std::string text; // "≥" + lower level limit, UTF-8
    PixelRect rect;
};

struct NearFieldMap {
    NearFieldBandRange band;          // grid indices that took part
    std::string frequencyLabel;       // "Frequenz: … Hz" of the scroll-bar index
    double scale = 0;                 // mm per pixel
    std::vector<NearFieldCell> cells; // painted first, in this order
    PixelRect margin;                 // white, painted over the cells
    std::vector<NearFieldLine> marks; // grey distance marks
    std::vector<NearFieldLegendEntry> legend;
};

// Text colour of a legend entry: white when R + 2·G + B of the band colour is below 401.
TColor nearFieldLegendTextColor(TColor color);

// The 14 legend texts: band n covers levels from maxSPL - n·step upwards, labelled "≥" + that
// limit with 3 significant digits.
std::vector<NearFieldLegendEntry> nearFieldLegend(double maxSPL, double step);

// mm per pixel for a paint box `width` pixels wide: maxDistance·1000/(width - 32) (at least one
// pixel of width counts).
double nearFieldScale(double maxDistance, int width);

// Rectangle of the cell at (x, y) mm in pixels of the paint box (y downwards): ceil(30/scale)
// pixels square, left edge 30 + round(x/scale - 15/scale), top (3/4 of height) -
// round(y/scale - 15/scale).
PixelRect nearFieldCellRect(double x, double y, double scale, int height);

// Colours, rectangles, margin, marks (every metre up to the maximum distance, longer every 5 m,
// hanging down from the height-0 line) and legend (a row below the marks) for computed levels.
NearFieldMap layoutNearFieldMap(const NearFieldLevels& levels, const NearFieldSettings& settings,
                                int width, int height);

// The whole redraw: band around grid index `index`, cache, levels and layout. A result without
// the index on its grid gives a map with margin and legend only.
NearFieldMap buildNearFieldMap(const TProjekt& p, const TResult& res, int index,
                               const NearFieldSettings& settings, int width, int height);

} // namespace sonora
