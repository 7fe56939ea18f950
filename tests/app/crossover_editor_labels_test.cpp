// The label layout of the crossover schematic with a stand-in font (every character the same
// width): a grid with a part in every slot, the polarity marks, the off-grid node 132 and texts
// too wide for any place.
#include "app/shell/crossover_editor_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>

#include "engine/example_projects.h"
#include "model/crossover_grid.h"
#include "tests/app/crossover_dense_grid.h"

namespace sonora {
namespace {

// Characters of a UTF-8 text (continuation bytes not counted) times 0.6 of the font height,
// about the advance of a sans-serif font's digits.
int monoWidth(const std::string& text, int pixels) {
    int chars = 0;
    for (unsigned char c : text) {
        chars += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return (chars * pixels * 6 + 9) / 10;
}

const TextMeasure kMono = monoWidth;

// Every overlap of the layout, as text for the failure message; empty when there is none.
std::string overlaps(const SchematicPicture& picture, const SchematicLayout& layout) {
    std::string out;
    const SchematicGeometry& g = picture.geometry;
    for (std::size_t a = 0; a < layout.labels.size(); ++a) {
        const SchematicLabel& la = layout.labels[a];
        if (!la.placed) {
            continue;
        }
        const SchematicRect& r = la.rect;
        if (r.left < 0 || r.top < 0 || r.right > g.width || r.bottom > g.height) {
            out += "label of slot " + std::to_string(la.slot) + " leaves the canvas\n";
        }
        for (std::size_t b = a + 1; b < layout.labels.size(); ++b) {
            if (layout.labels[b].placed && rectsIntersect(r, layout.labels[b].rect)) {
                out += "labels of slots " + std::to_string(la.slot) + " and " +
                       std::to_string(layout.labels[b].slot) + "\n";
            }
        }
        for (const SchematicRect& s : layout.symbols) {
            if (rectsIntersect(r, s)) {
                out += "label of slot " + std::to_string(la.slot) + " on a symbol\n";
            }
        }
    }
    return out;
}

TEST(CrossoverLabels, SymbolsStayInsideTheirSlotAndCoverTheirCentre) {
    TPart weiche[kPartSlots] = {};
    test::fillEveryGridSlot(weiche);
    for (int slot : {53, 238}) { // one horizontal and one vertical slot of each kind
        for (PartTyp typ :
             {kPartResistor, kPartCapacitor, kPartCoil, kPartDriver, kPartAmplifier}) {
            weiche[slot].typ = typ;
            for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
                SchematicOptions o;
                o.sizePreset = preset;
                const SchematicPicture p = drawSchematic(weiche, {}, o);
                const auto it = std::find_if(p.parts.begin(), p.parts.end(),
                                             [&](const SlotPicture& s) { return s.slot == slot; });
                ASSERT_NE(it, p.parts.end());
                const SchematicRect sym = symbolRect(*it);
                const SchematicRect body = it->body;
                SCOPED_TRACE(std::to_string(slot) + " kind " + std::to_string(typ));
                // The pen may stand one pixel over the hit rectangle, never more.
                EXPECT_GE(sym.left, body.left - 2);
                EXPECT_GE(sym.top, body.top - 2);
                EXPECT_LE(sym.right, body.right + 2);
                EXPECT_LE(sym.bottom, body.bottom + 2);
                const int cx = (it->from.x + it->to.x) / 2;
                const int cy = (it->from.y + it->to.y) / 2;
                EXPECT_TRUE(sym.contains({cx, cy}));
            }
        }
    }
    weiche[53].typ = kPartWire;
    const SchematicPicture p = drawSchematic(weiche, {}, {});
    for (const SlotPicture& s : p.parts) {
        if (s.slot == 53) {
            const SchematicRect r = symbolRect(s);
            EXPECT_TRUE(r.left >= r.right || r.top >= r.bottom) << "a wire has no symbol";
        }
    }
}

TEST(CrossoverLabels, AGridFullOfPartsKeepsEveryTextApartInEveryViewAndSize) {
    auto project = std::make_unique<TProjekt>();
    test::denseThreeWay(*project);
    const DriverNames drivers = driverNamesOf(*project);
    for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
        for (SchematicNumbers numbers : {SchematicNumbers::Values, SchematicNumbers::PartNumbers}) {
            SchematicOptions o;
            o.sizePreset = preset;
            o.numbers = numbers;
            const SchematicPicture p = drawSchematic(project->amp[0].weiche, drivers, o);
            const SchematicLayout layout = layoutLabels(p, kMono);
            SCOPED_TRACE("preset " + std::to_string(preset));
            EXPECT_EQ(overlaps(p, layout), "");
            std::set<int> texts;
            for (const SchematicLabel& l : layout.labels) {
                if (l.kind == LabelKind::Text) {
                    texts.insert(l.slot);
                }
                EXPECT_TRUE(l.placed) << "slot " << l.slot << " " << l.lines.front();
                EXPECT_GE(l.fontPixels, std::min(kMinLabelPixels, p.geometry.fontPixels));
            }
            // One text per part; wires have one only in the part-number view.
            int parts = 0;
            for (const SlotPicture& s : p.parts) {
                parts += s.orientation != SlotOrientation::Free &&
                                 (s.typ > kPartWire || numbers == SchematicNumbers::PartNumbers)
                             ? 1
                             : 0;
            }
            if (numbers == SchematicNumbers::PartNumbers) {
                EXPECT_EQ(parts, 241);
            }
            EXPECT_EQ(static_cast<int>(texts.size()), parts);
        }
    }
}

TEST(CrossoverLabels, ThePlusStandsAtThePositiveTerminal) {
    TPart weiche[kPartSlots] = {};
    const int h = horizontalSlot(3, 4);
    const int v = verticalSlot(6, 2);
    weiche[h].typ = kPartDriver;
    weiche[v].typ = kPartAmplifier;
    for (std::int16_t polarity : {kPolarityNormal, kPolarityReversed}) {
        weiche[h].verpolt = polarity;
        weiche[v].verpolt = polarity;
        const SchematicPicture p = drawSchematic(weiche, {}, {});
        const SchematicLayout layout = layoutLabels(p, kMono);
        EXPECT_EQ(overlaps(p, layout), "");
        int marks = 0;
        for (const SchematicLabel& l : layout.labels) {
            if (l.kind != LabelKind::Polarity) {
                continue;
            }
            ++marks;
            ASSERT_TRUE(l.placed);
            ASSERT_EQ(l.lines, std::vector<std::string>{"+"});
            const SlotPicture& s = l.slot == h ? p.parts[0] : p.parts[1];
            const bool reversed = polarity == kPolarityReversed;
            // Nearer to nod1 than to nod2, or the other way round when reversed.
            const double mx = (l.rect.left + l.rect.right) / 2.0;
            const double my = (l.rect.top + l.rect.bottom) / 2.0;
            const double to1 = std::hypot(mx - s.from.x, my - s.from.y);
            const double to2 = std::hypot(mx - s.to.x, my - s.to.y);
            EXPECT_EQ(to1 < to2, !reversed) << "slot " << l.slot;
        }
        EXPECT_EQ(marks, 2);
    }
}

TEST(CrossoverLabels, AFreeWireToNode132IsDrawnInsideTheCanvasAndFlagged) {
    TPart weiche[kPartSlots] = {};
    weiche[horizontalSlot(11, 0)].typ = kPartResistor; // a part right above the marker
    weiche[horizontalSlot(11, 0)].value = 8.2;
    weiche[kFirstFreeWireSlot].typ = kPartWire;
    weiche[kFirstFreeWireSlot].nod1 = 5;
    weiche[kFirstFreeWireSlot].nod2 = 120;
    {
        const SchematicPicture p = drawSchematic(weiche, {}, {});
        EXPECT_FALSE(p.offGridNode) << "node 120 is on the grid";
        const SchematicLayout layout = layoutLabels(p, kMono);
        EXPECT_EQ(schematicTipAt(p, layout, nodePosition(p.geometry, kOffGridNode)), "");
    }
    for (int node : {kOffGridNode, 500}) { // a hostile node number ends there too
        weiche[kFirstFreeWireSlot + 3].typ = kPartWire;
        weiche[kFirstFreeWireSlot + 3].nod1 = node;
        weiche[kFirstFreeWireSlot + 3].nod2 = 60;
        for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
            SchematicOptions o;
            o.sizePreset = preset;
            const SchematicPicture p = drawSchematic(weiche, {}, o);
            const SchematicGeometry& g = p.geometry;
            ASSERT_TRUE(p.offGridNode);
            const SlotPicture& wire = p.parts.back();
            ASSERT_EQ(wire.orientation, SlotOrientation::Free);
            // Below the last row, at column 0, not on the canvas edge.
            const SchematicPoint last = nodePosition(g, kGridNodes - kGridColumns);
            EXPECT_EQ(wire.from.x, last.x);
            EXPECT_GT(wire.from.y, last.y);
            EXPECT_LT(wire.from.y, g.height - 1);
            const SchematicRect m = offGridMarker(g);
            EXPECT_TRUE(m.contains(wire.from));
            EXPECT_GE(m.top, last.y + 2) << "the marker stays clear of node 121";
            EXPECT_LE(m.bottom, g.height);
            const SchematicLayout layout = layoutLabels(p, kMono);
            EXPECT_EQ(overlaps(p, layout), "");
            EXPECT_EQ(schematicTipAt(p, layout, wire.from), kOffGridNodeTip);
            EXPECT_EQ(schematicTipAt(p, layout, {m.left - 1, m.top - 1}), "");
        }
    }
}

TEST(CrossoverLabels, TextsWithNoRoomAreLeftOutAndShownAsTooltip) {
    TPart weiche[kPartSlots] = {};
    const int slot = horizontalSlot(5, 5);
    weiche[slot].typ = kPartCoil;
    weiche[slot].value = 2.2e-3;
    weiche[slot].Rvalue = 0.35;
    const SchematicPicture p = drawSchematic(weiche, {}, {});
    const TextMeasure huge = [](const std::string&, int) { return 100000; };
    const SchematicLayout layout = layoutLabels(p, huge);
    ASSERT_EQ(layout.labels.size(), 2u) << "the two lines were tried apart";
    EXPECT_FALSE(layout.labels[0].placed);
    EXPECT_FALSE(layout.labels[1].placed);
    EXPECT_EQ(overlaps(p, layout), "");
    const SchematicRect body = slotRect(p.geometry, slot);
    EXPECT_EQ(
        schematicTipAt(p, layout, {(body.left + body.right) / 2, (body.top + body.bottom) / 2}),
        "2,20 mH, 0,35 Ohm");
    // With room the same text is placed at full size and no tooltip stands in for it.
    const SchematicLayout roomy = layoutLabels(p, kMono);
    ASSERT_TRUE(roomy.labels[0].placed);
    EXPECT_EQ(roomy.labels[0].fontPixels, p.geometry.fontPixels);
    EXPECT_EQ(
        schematicTipAt(p, roomy, {(body.left + body.right) / 2, (body.top + body.bottom) / 2}), "");
}

} // namespace
} // namespace sonora
