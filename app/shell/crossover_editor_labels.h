// Where the texts of the crossover schematic go: the rectangle each part symbol covers, and a
// place for every value text and polarity mark that touches no other text and no symbol. Text
// widths come from a measuring function, so the canvas passes its font metrics and tests can
// pass the same.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/shell/crossover_editor_picture.h"

namespace sonora {

// Proportions of the drawn symbols, relative to a slot's body (its hit rectangle): the painter
// and the layout both read them, so the rectangles below are the symbols as they are drawn.
inline constexpr double kSymbolBodyFill = 0.5;    // resistor and magnet: share of the thickness
inline constexpr double kSymbolPlateGap = 0.2;    // capacitor: gap between plates, share of length
inline constexpr double kSymbolPlateHeight = 0.8; // capacitor: plate height, share of thickness
inline constexpr int kSymbolCoilTurns = 4;        // humps of the coil

// Width in pixels of a UTF-8 text drawn with a font `fontPixels` high.
using TextMeasure = std::function<int(const std::string& text, int fontPixels)>;

// Height of one text line drawn with a font `fontPixels` high.
int schematicLineHeight(int fontPixels);

// The pixels a slot's drawn symbol covers (half-open, one pixel of pen added on each side).
// Wires have no symbol and give an empty rectangle.
SchematicRect symbolRect(const SlotPicture& s);

bool rectsIntersect(const SchematicRect& a, const SchematicRect& b);

enum class LabelKind {
    Text,     // the value (and a coil's second line), a driver's name, "Amp", a slot number
    Polarity, // the "+" of a driver or amplifier output
};

struct SchematicLabel {
    int slot;
    LabelKind kind;
    std::vector<std::string> lines; // one or two lines, drawn centred in `rect`
    int fontPixels;                 // the geometry's text height, or smaller where room is short
    SchematicRect rect;             // empty when `placed` is false
    bool placed = false;            // false: no free place at any size; the text is not drawn
};

struct SchematicLayout {
    std::vector<SchematicRect> symbols; // the drawn symbols, and the off-grid node's marker
    // In slot order, polarity marks after their part's text; the second lines of texts that
    // had to be split come last.
    std::vector<SchematicLabel> labels;
};

// Smallest text height the layout shrinks a label to before it gives up on it.
inline constexpr int kMinLabelPixels = 6;

// Places the texts of `picture`. Each label tries places around its own symbol (both sides of
// the wire, shifted along it, then across its leads) and takes the first free one, preferring
// places that cross no wire; labels that find none at full size are tried again, smaller, after
// all others have their places, and may push one placed label to another place of its own; a
// two-line text that still finds none is split into its lines. No placed label overlaps another,
// a symbol, or the canvas edge.
SchematicLayout layoutLabels(const SchematicPicture& picture, const TextMeasure& measure);

// The tooltip at `p` (UTF-8): the note on node 132 over its marker, the texts of a part whose
// label found no place over that part; empty elsewhere.
std::string schematicTipAt(const SchematicPicture& picture, const SchematicLayout& layout,
                           SchematicPoint p);

} // namespace sonora
