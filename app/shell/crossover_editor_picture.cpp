#include "app/shell/crossover_editor_picture.h"

#include <algorithm>

#include "model/crossover_grid.h"
#include "model/units.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr int kDefaultSizePreset = 2;
// Node pitch of the three presets, pixels: small, medium, large.
constexpr int kPitch[kSchematicSizePresets] = {48, 64, 80};
constexpr int kFontDivisor = 6;    // value text height = pitch / 6
constexpr int kBodyDivisor = 4;    // half body thickness = pitch / 4
constexpr int kMarginDivisor = 2;  // margin = pitch / 2
constexpr int kValueTextWidth = 4; // characters of the fixed number text of a part value

// Ranges in which a value is shown as a fixed number text in the entry unit; outside them the
// four-character engineering text in the base unit is shown.
constexpr double kResistorLow = 0.1;       // Ohm
constexpr double kResistorHigh = 999;      // Ohm
constexpr double kCapacitorLow = 1e-7;     // F
constexpr double kCapacitorHigh = 9.99e-4; // F
constexpr double kCoilLow = 1e-4;          // H
constexpr double kCoilHigh = 0.999;        // H

std::string valueText(double value, double low, double high, double toEntryUnit,
                      const char* baseUnit, const char* entryUnit) {
    if (value < low || value > high) {
        return latin1ToUtf8(engineeringText(value)) + baseUnit;
    }
    return fixedNumberText(kValueTextWidth, value * toEntryUnit) + entryUnit;
}

bool isGridSlot(int slot) {
    return slot >= 0 && slot < kFirstFreeWireSlot && gridSlotNodes(slot).nod2 != 0;
}

} // namespace

SchematicGeometry schematicGeometry(int preset) {
    if (preset < 0 || preset >= kSchematicSizePresets) {
        preset = kDefaultSizePreset;
    }
    SchematicGeometry g{};
    g.pitch = kPitch[preset];
    g.margin = g.pitch / kMarginDivisor;
    g.halfBody = g.pitch / kBodyDivisor;
    g.fontPixels = g.pitch / kFontDivisor;
    g.width = 2 * g.margin + (kGridColumns - 1) * g.pitch;
    g.height = 2 * g.margin + (kGridRows - 1) * g.pitch;
    return g;
}

SchematicPoint nodePosition(const SchematicGeometry& g, int node) {
    node = std::clamp(node, 0, kOffGridNode);
    if (node == kOffGridNode) {
        return {g.margin, g.height - g.margin / 2};
    }
    const int column = node % kGridColumns;
    const int row = node / kGridColumns;
    return {std::min(g.margin + column * g.pitch, g.width - 1),
            std::min(g.margin + row * g.pitch, g.height - 1)};
}

SchematicRect slotRect(const SchematicGeometry& g, int slot) {
    if (!isGridSlot(slot)) {
        return {0, 0, 0, 0};
    }
    const SlotNodes n = gridSlotNodes(slot);
    const SchematicPoint a = nodePosition(g, n.nod1);
    const SchematicPoint b = nodePosition(g, n.nod2);
    const int w = g.halfBody;
    if (n.nod2 == n.nod1 + 1) { // horizontal
        return {a.x + w, a.y - w, b.x - w, a.y + w};
    }
    return {a.x - w, a.y + w, a.x + w, b.y - w};
}

SchematicRect offGridMarker(const SchematicGeometry& g) {
    const SchematicPoint at = nodePosition(g, kOffGridNode);
    const int r = std::max(g.margin / 3, 2);
    return {at.x - r, at.y - r, at.x + r + 1, at.y + r + 1};
}

int hitSlot(const SchematicGeometry& g, SchematicPoint p) {
    for (int slot = kFirstFreeWireSlot - 1; slot >= 0; --slot) {
        if (isGridSlot(slot) && slotRect(g, slot).contains(p)) {
            return slot;
        }
    }
    return -1;
}

std::string resistorValueText(double ohm) {
    return valueText(ohm, kResistorLow, kResistorHigh, 1, " Ohm", " Ohm");
}

std::string capacitorValueText(double farad) {
    return valueText(farad, kCapacitorLow, kCapacitorHigh, kMicroPerUnit, " F", " µF");
}

std::string coilValueText(double henry) {
    return valueText(henry, kCoilLow, kCoilHigh, kMilliPerUnit, " H", " mH");
}

std::string driverSlotText(const TPart& part, const DriverNames& drivers, bool printView) {
    if (!printView) {
        return "Chassis " + std::to_string(part.chassisnr + 1);
    }
    if (part.chassisnr < 0 || part.chassisnr >= kMaxChassis) {
        return {};
    }
    return drivers.names[part.chassisnr];
}

namespace {

void describeValue(SlotPicture& s, const TPart& part, const DriverNames& drivers,
                   const SchematicOptions& options) {
    switch (s.typ) {
    case kPartResistor:
        s.text = resistorValueText(part.value);
        break;
    case kPartCapacitor:
        s.text = capacitorValueText(part.value);
        break;
    case kPartCoil:
        s.text = coilValueText(part.value);
        s.secondText = options.labelInsteadOfResistance ? latin1ToUtf8(part.bem.view())
                                                        : resistorValueText(part.Rvalue);
        break;
    case kPartDriver:
        s.text = driverSlotText(part, drivers, options.printView);
        break;
    case kPartAmplifier:
        s.text = "Amp";
        break;
    default: // wires carry no text
        break;
    }
}

} // namespace

SchematicPicture drawSchematic(const TPart (&weiche)[kPartSlots], const DriverNames& drivers,
                               const SchematicOptions& options) {
    SchematicPicture picture;
    picture.geometry = schematicGeometry(options.sizePreset);
    const SchematicGeometry& g = picture.geometry;

    picture.nodes.reserve(kGridNodes);
    for (int node = 0; node < kGridNodes; ++node) {
        NodePicture n{node, nodePosition(g, node), {}};
        if (options.numbers == SchematicNumbers::NodeNumbers) {
            n.text = std::to_string(node);
        }
        picture.nodes.push_back(std::move(n));
    }

    for (int slot = 0; slot < kUsedPartSlots; ++slot) {
        const TPart& part = weiche[slot];
        const bool grid = isGridSlot(slot);
        if (part.typ < kPartWire || part.typ > kPartAmplifier || (!grid && !isFreeWireSlot(slot))) {
            continue; // empty, unknown kind, or an unused slot
        }
        if (!grid && part.typ != kPartWire) {
            continue; // a free wire slot holds only wires
        }
        SlotPicture s{};
        s.slot = slot;
        s.typ = static_cast<PartTyp>(part.typ);
        if (grid) {
            const SlotNodes n = gridSlotNodes(slot);
            s.orientation =
                n.nod2 == n.nod1 + 1 ? SlotOrientation::Horizontal : SlotOrientation::Vertical;
            s.from = nodePosition(g, n.nod1);
            s.to = nodePosition(g, n.nod2);
            s.body = slotRect(g, slot);
        } else {
            s.orientation = SlotOrientation::Free;
            s.from = nodePosition(g, part.nod1);
            s.to = nodePosition(g, part.nod2);
            s.body = {0, 0, 0, 0};
            if (part.nod1 >= kOffGridNode || part.nod2 >= kOffGridNode) {
                picture.offGridNode = true;
            }
        }
        s.negative = part.typ >= kPartDriver && isReversedPolarity(part.verpolt);
        s.optimize = part.bOptimize && part.typ >= kPartResistor && part.typ <= kPartCoil;
        switch (options.numbers) {
        case SchematicNumbers::Values:
            describeValue(s, part, drivers, options);
            break;
        case SchematicNumbers::PartNumbers:
            s.text = std::to_string(slot);
            break;
        case SchematicNumbers::NodeNumbers:
            break;
        }
        picture.parts.push_back(std::move(s));
    }
    return picture;
}

} // namespace sonora
