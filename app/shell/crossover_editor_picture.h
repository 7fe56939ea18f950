// The crossover schematic as plain data: pixel geometry of the three window sizes, the hit test
// (pixel -> slot), the value texts of the parts and the description of every slot to be painted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/shell/crossover_editor_dialogs.h"
#include "model/records.h"

namespace sonora {

// Window-size presets of the editor ("WEsize"): 0 small, 1 medium, 2 large.
inline constexpr int kSchematicSizePresets = 3;

struct SchematicPoint {
    int x;
    int y;
    bool operator==(const SchematicPoint&) const = default;
};

// Half-open: contains left <= x < right and top <= y < bottom.
struct SchematicRect {
    int left;
    int top;
    int right;
    int bottom;
    bool contains(SchematicPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool operator==(const SchematicRect&) const = default;
};

// Pixel layout of the schematic for one window size. Node (column, row) sits at
// (margin + column * pitch, margin + row * pitch).
struct SchematicGeometry {
    int pitch;      // pixels from one node to the next
    int margin;     // pixels from the canvas edge to the outer nodes
    int halfBody;   // half the thickness of a part's body, pixels (also the gap around a node)
    int fontPixels; // height of the value texts
    int width;      // canvas, pixels
    int height;     // canvas, pixels
};

// The layout of `preset`; presets outside 0..2 give the default preset 2.
SchematicGeometry schematicGeometry(int preset);

// Node 132 is no grid node: only free wires reach it, and they meet nothing else there.
inline constexpr int kOffGridNode = kGridNodes;

// Centre of `node` (11 * row + column). Node 132 would sit in a thirteenth row below the canvas;
// it is drawn halfway between the last row and the bottom edge, below column 0, and flagged
// (offGridMarker). Node numbers outside 0..132 are clamped.
SchematicPoint nodePosition(const SchematicGeometry& g, int node);

// The square marking node 132 where a free wire reaches it.
SchematicRect offGridMarker(const SchematicGeometry& g);

// Tooltip of that marker (UTF-8).
inline constexpr const char* kOffGridNodeTip =
    "Knoten 132 liegt außerhalb des Rasters: eine freie Drahtverbindung dorthin ist nur mit "
    "anderen freien Drahtverbindungen zu Knoten 132 verbunden.";

// The rectangle a grid slot answers to: the part's body between its two nodes, leaving out a
// square of 2 * halfBody around every node, so that a drag along a row does not touch the
// vertical slots it passes. Slots that are not grid slots give an empty rectangle.
SchematicRect slotRect(const SchematicGeometry& g, int slot);

// The slot under `p`, or -1. Where rectangles overlap the highest slot wins (the layout above
// has no overlaps, but the rule keeps a changed layout well defined).
int hitSlot(const SchematicGeometry& g, SchematicPoint p);

// Value texts (UTF-8). Resistors: engineering text below 0.1 or above 999 Ohm, otherwise the
// four-character fixed text, then " Ohm". Capacitors (F): engineering text + " F" below 1e-7 or
// above 9.99e-4, otherwise the value in µF as fixed text + " µF". Coils (H): engineering text
// + " H" below 1e-4 or above 0.999, otherwise the value in mH + " mH".
std::string resistorValueText(double ohm);
std::string capacitorValueText(double farad);
std::string coilValueText(double henry);

// What the value fields show instead of values while a button is held.
enum class SchematicNumbers {
    Values,      // the normal view
    PartNumbers, // "Bauteil Nr.": the slot numbers
    NodeNumbers, // "Knoten Nr.": the node numbers
};

struct SchematicOptions {
    int sizePreset = 2;
    SchematicNumbers numbers = SchematicNumbers::Values;
    bool printView = false;                // "Druckansicht statt Editoransicht"
    bool labelInsteadOfResistance = false; // "Bezeichnung anzeigen statt R-Wert bei Spulen"
};

enum class SlotOrientation { Horizontal, Vertical, Free };

// One slot to be painted. Empty slots are not listed.
struct SlotPicture {
    int slot;
    PartTyp typ;
    SlotOrientation orientation;
    SchematicPoint from;    // position of nod1
    SchematicPoint to;      // position of nod2
    SchematicRect body;     // the hit rectangle (empty for free wires)
    std::string text;       // UTF-8: value, "Chassis " + n, the driver's name, "Amp", a number
    std::string secondText; // coils: the winding resistance, or the label when asked for
    bool negative = false;  // polarity mark of drivers and amplifier outputs
    bool optimize = false;  // marked for the optimizer (resistors, capacitors, coils)
};

struct NodePicture {
    int node;
    SchematicPoint at;
    std::string text; // the node number in the "Knoten Nr." view, empty otherwise
};

struct SchematicPicture {
    SchematicGeometry geometry;
    std::vector<NodePicture> nodes; // the 132 grid nodes
    std::vector<SlotPicture> parts; // grid slots in slot order, then the free wires
    bool offGridNode = false;       // a free wire reaches node 132: its marker is drawn
};

// Text of a driver slot (UTF-8): "Chassis " + (chassisnr + 1), or in print view the name of
// driver chassisnr (empty for an index outside the 32 drivers).
std::string driverSlotText(const TPart& part, const DriverNames& drivers, bool printView);

// The picture of `weiche` (the editor's working copy) with the names of `drivers`.
SchematicPicture drawSchematic(const TPart (&weiche)[kPartSlots], const DriverNames& drivers,
                               const SchematicOptions& options);

} // namespace sonora
