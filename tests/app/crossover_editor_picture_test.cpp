#include "app/shell/crossover_editor_picture.h"

#include <gtest/gtest.h>

#include <set>

#include "model/crossover_grid.h"

namespace sonora {
namespace {

constexpr int kLastVerticalSlot = 300;

std::vector<int> gridSlots() {
    std::vector<int> slots;
    for (int s = 0; s < kFirstFreeWireSlot; ++s) {
        if (gridSlotNodes(s).nod2 != 0) {
            slots.push_back(s);
        }
    }
    return slots;
}

TEST(CrossoverPicture, EveryGridSlotAnswersAtItsCentreAndNoRectanglesOverlap) {
    const std::vector<int> slots = gridSlots();
    ASSERT_EQ(slots.size(), 241u); // 12 rows of 10 horizontal, 11 columns of 11 vertical
    EXPECT_EQ(slots.back(), kLastVerticalSlot);
    for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
        const SchematicGeometry g = schematicGeometry(preset);
        for (int s : slots) {
            const SchematicRect r = slotRect(g, s);
            ASSERT_LT(r.left, r.right) << s;
            ASSERT_LT(r.top, r.bottom) << s;
            EXPECT_GE(r.left, 0);
            EXPECT_GE(r.top, 0);
            EXPECT_LE(r.right, g.width);
            EXPECT_LE(r.bottom, g.height);
            const SchematicPoint centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            EXPECT_EQ(hitSlot(g, centre), s) << "preset " << preset;
            // The four corners belong to this slot only: no neighbour shares a pixel.
            for (SchematicPoint corner :
                 {SchematicPoint{r.left, r.top}, SchematicPoint{r.right - 1, r.top},
                  SchematicPoint{r.left, r.bottom - 1},
                  SchematicPoint{r.right - 1, r.bottom - 1}}) {
                EXPECT_EQ(hitSlot(g, corner), s) << "preset " << preset;
            }
        }
    }
}

TEST(CrossoverPicture, HitTestAtTheBordersOfAHorizontalAndAVerticalSlot) {
    for (int preset = 0; preset < kSchematicSizePresets; ++preset) {
        SCOPED_TRACE(preset);
        const SchematicGeometry g = schematicGeometry(preset);
        // Horizontal slot 53 joins nodes 58 and 59 (row 5, columns 3 and 4).
        const SchematicPoint a = nodePosition(g, 58);
        const SchematicPoint b = nodePosition(g, 59);
        ASSERT_EQ(b.x - a.x, g.pitch);
        ASSERT_EQ(b.y, a.y);
        const int w = g.halfBody;
        EXPECT_EQ(hitSlot(g, {a.x + w, a.y}), 53);
        EXPECT_EQ(hitSlot(g, {a.x + w - 1, a.y}), -1) << "the square around a node is no slot";
        EXPECT_EQ(hitSlot(g, {b.x - w - 1, a.y}), 53);
        EXPECT_EQ(hitSlot(g, {b.x - w, a.y}), -1);
        EXPECT_EQ(hitSlot(g, {a.x + g.pitch / 2, a.y - w}), 53);
        EXPECT_EQ(hitSlot(g, {a.x + g.pitch / 2, a.y - w - 1}), -1);
        EXPECT_EQ(hitSlot(g, {a.x + g.pitch / 2, a.y + w - 1}), 53);
        EXPECT_EQ(hitSlot(g, {a.x + g.pitch / 2, a.y + w}), -1);
        // Vertical slot 180 + 11 * 5 + 3 = 238 joins node 58 and node 69 below it.
        const SchematicPoint c = nodePosition(g, 69);
        ASSERT_EQ(c.y - a.y, g.pitch);
        EXPECT_EQ(hitSlot(g, {a.x, a.y + w}), 238);
        EXPECT_EQ(hitSlot(g, {a.x, a.y + w - 1}), -1);
        EXPECT_EQ(hitSlot(g, {a.x, c.y - w - 1}), 238);
        EXPECT_EQ(hitSlot(g, {a.x, c.y - w}), -1);
        EXPECT_EQ(hitSlot(g, {a.x - w, a.y + g.pitch / 2}), 238);
        EXPECT_EQ(hitSlot(g, {a.x - w - 1, a.y + g.pitch / 2}), -1);
        EXPECT_EQ(hitSlot(g, {a.x + w - 1, a.y + g.pitch / 2}), 238);
        EXPECT_EQ(hitSlot(g, {a.x + w, a.y + g.pitch / 2}), -1);
        // Outside the canvas.
        EXPECT_EQ(hitSlot(g, {-1, -1}), -1);
        EXPECT_EQ(hitSlot(g, {g.width, g.height}), -1);
    }
    // The presets differ, and an unknown preset is the default (2).
    EXPECT_LT(schematicGeometry(0).pitch, schematicGeometry(1).pitch);
    EXPECT_LT(schematicGeometry(1).pitch, schematicGeometry(2).pitch);
    EXPECT_EQ(schematicGeometry(7).pitch, schematicGeometry(2).pitch);
}

TEST(CrossoverPicture, ADragAlongARowTouchesOnlyThatRowsSlots) {
    const SchematicGeometry g = schematicGeometry(1);
    const SchematicPoint first = nodePosition(g, 11 * 4);
    const SchematicPoint last = nodePosition(g, 11 * 4 + 10);
    std::set<int> hit;
    for (int x = first.x; x <= last.x; ++x) {
        const int s = hitSlot(g, {x, first.y});
        if (s >= 0) {
            hit.insert(s);
        }
    }
    std::set<int> row4;
    for (int c = 0; c < 10; ++c) {
        row4.insert(40 + c);
    }
    EXPECT_EQ(hit, row4);
}

TEST(CrossoverPicture, PartValueTexts) {
    EXPECT_EQ(resistorValueText(6.8), "6,80 Ohm");
    EXPECT_EQ(resistorValueText(0.1), "0,10 Ohm");  // lower end of the plain range
    EXPECT_EQ(resistorValueText(999), "999  Ohm");  // the fixed text is filled with a blank
    EXPECT_EQ(resistorValueText(4700), "4k70 Ohm"); // above 999: engineering text
    EXPECT_EQ(resistorValueText(0.05), "50m0 Ohm");
    EXPECT_EQ(capacitorValueText(4.7e-6), "4,70 µF");
    EXPECT_EQ(capacitorValueText(1e-7), "0,10 µF"); // 1e-7 * 1e6 is not exactly 0.1
    EXPECT_EQ(capacitorValueText(47e-9), "47n0 F");
    EXPECT_EQ(capacitorValueText(2.2e-3), "2m20 F");
    EXPECT_EQ(coilValueText(0.33e-3), "0,33 mH");
    EXPECT_EQ(coilValueText(2.2e-3), "2,20 mH");
    EXPECT_EQ(coilValueText(1.5), "1.50 H");
    EXPECT_EQ(coilValueText(47e-6), "47µ0 H");
}

TEST(CrossoverPicture, SlotDescriptions) {
    TPart weiche[kPartSlots] = {};
    assignGridNodes(weiche);
    weiche[0].typ = kPartAmplifier;
    weiche[0].verpolt = -1;
    weiche[1].typ = kPartCoil;
    weiche[1].value = 0.33e-3;
    weiche[1].Rvalue = 0.35;
    weiche[1].bem.assign("L1");
    weiche[1].bOptimize = true;
    weiche[180].typ = kPartDriver;
    weiche[180].chassisnr = 2;
    weiche[180].verpolt = 1;
    weiche[181].typ = kPartWire;
    weiche[181].bOptimize = true;    // a stray mark on a wire is not shown
    weiche[130].typ = kPartResistor; // an unused slot is never drawn
    weiche[kFirstFreeWireSlot].typ = kPartWire;
    weiche[kFirstFreeWireSlot].nod1 = 5;
    weiche[kFirstFreeWireSlot].nod2 = 127;
    DriverNames drivers;
    drivers.count = 3;
    drivers.names[2] = "Hochtöner";

    const SchematicPicture p = drawSchematic(weiche, drivers, {});
    ASSERT_EQ(p.parts.size(), 5u);
    EXPECT_EQ(p.nodes.size(), static_cast<std::size_t>(kGridNodes));
    EXPECT_EQ(p.parts[0].text, "Amp");
    EXPECT_FALSE(p.parts[0].negative);
    EXPECT_EQ(p.parts[1].text, "0,33 mH");
    EXPECT_EQ(p.parts[1].secondText, "0,35 Ohm");
    EXPECT_TRUE(p.parts[1].optimize);
    EXPECT_EQ(p.parts[2].text, "Chassis 3");
    EXPECT_TRUE(p.parts[2].negative);
    EXPECT_EQ(p.parts[2].orientation, SlotOrientation::Vertical);
    EXPECT_FALSE(p.parts[3].optimize);
    EXPECT_EQ(p.parts[4].orientation, SlotOrientation::Free);
    EXPECT_EQ(p.parts[4].from, nodePosition(p.geometry, 5));
    EXPECT_EQ(p.parts[4].to, nodePosition(p.geometry, 127));

    SchematicOptions print;
    print.printView = true;
    print.labelInsteadOfResistance = true;
    const SchematicPicture q = drawSchematic(weiche, drivers, print);
    EXPECT_EQ(q.parts[2].text, "Hochtöner");
    EXPECT_EQ(q.parts[1].secondText, "L1");

    SchematicOptions numbers;
    numbers.numbers = SchematicNumbers::PartNumbers;
    EXPECT_EQ(drawSchematic(weiche, drivers, numbers).parts[2].text, "180");
    numbers.numbers = SchematicNumbers::NodeNumbers;
    const SchematicPicture n = drawSchematic(weiche, drivers, numbers);
    EXPECT_EQ(n.nodes[131].text, "131");
    EXPECT_TRUE(n.parts[1].text.empty());
}

} // namespace
} // namespace sonora
