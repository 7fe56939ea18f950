#include "app/shell/crossover_editor_dialogs.h"

#include <algorithm>
#include <cmath>

#include "model/units.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {
constexpr int kEntryWidth = 10; // characters of the number texts in the entries
constexpr std::int16_t kPolarityNegative = 1;
constexpr std::int16_t kPolarityNormal = -1;

double readEntry(std::string_view text) {
    const double v = parseFloat(text).value;
    return std::isfinite(v) ? v : 0;
}
} // namespace

std::string partKindCaption(int typ) {
    switch (typ) {
    case kPartEmpty:
        return "keine Verbindung";
    case kPartWire:
        return "Draht";
    case kPartResistor:
        return "Widerstand";
    case kPartCapacitor:
        return "Kondensator";
    case kPartCoil:
        return "Spule";
    case kPartDriver:
        return "Lautsprecherchassis";
    case kPartAmplifier:
        return "Verstärkerausgang";
    default:
        return {};
    }
}

std::string partValueUnit(int typ) {
    switch (typ) {
    case kPartResistor:
        return "Ohm";
    case kPartCapacitor:
        return "µF";
    case kPartCoil:
        return "mH";
    default:
        return {};
    }
}

bool partHasValue(int typ) {
    return typ >= kPartResistor && typ <= kPartCoil;
}
bool partHasResistance(int typ) {
    return typ == kPartCoil;
}
bool partMayOptimize(int typ) {
    return partHasValue(typ);
}
bool partNamesDriver(int typ) {
    return typ == kPartDriver;
}

double partEntryFactor(int typ) {
    switch (typ) {
    case kPartCapacitor:
        return 1 / kMicroPerUnit; // µF -> F
    case kPartCoil:
        return 1 / kMilliPerUnit; // mH -> H
    default:
        return 1;
    }
}

std::string clipPartLabel(std::string_view label) {
    std::string latin1 = utf8ToLatin1(label);
    if (latin1.size() > static_cast<std::size_t>(kMaxPartLabel)) {
        latin1.resize(kMaxPartLabel);
    }
    return latin1ToUtf8(latin1);
}

DriverNames driverNamesOf(const TProjekt& project) {
    DriverNames d;
    d.count = std::clamp<int>(project.nChassis, 0, kMaxChassis);
    for (int i = 0; i < kMaxChassis; ++i) {
        d.names[i] = latin1ToUtf8(project.chassis[i].name.view());
    }
    return d;
}

std::vector<std::string> partDriverChoices(const DriverNames& drivers) {
    std::vector<std::string> choices;
    for (int i = 0; i < drivers.count; ++i) {
        choices.push_back("Chassis " + std::to_string(i + 1) + ": " + drivers.names[i]);
    }
    return choices;
}

PartDialog partDialogOf(const TPart& part) {
    PartDialog d;
    d.typ = (part.typ >= kPartEmpty && part.typ < kPartKinds) ? int{part.typ} : int{kPartEmpty};
    if (partHasValue(d.typ)) {
        d.valueText = compactNumberText(kEntryWidth, part.value / partEntryFactor(d.typ));
    }
    if (partHasResistance(d.typ)) {
        d.resistanceText = compactNumberText(kEntryWidth, part.Rvalue);
    }
    d.negative = isReversedPolarity(part.verpolt);
    d.optimize = part.bOptimize && partMayOptimize(d.typ);
    d.label = latin1ToUtf8(part.bem.view());
    d.driver = part.chassisnr;
    return d;
}

TPart partOfDialog(const PartDialog& dialog, const TPart& slot) {
    TPart p{};
    p.nod1 = slot.nod1;
    p.nod2 = slot.nod2;
    p.typ = static_cast<std::int16_t>(
        (dialog.typ >= kPartEmpty && dialog.typ < kPartKinds) ? dialog.typ : int{kPartEmpty});
    if (partHasValue(p.typ)) {
        p.value = readEntry(dialog.valueText) * partEntryFactor(p.typ);
    }
    if (partHasResistance(p.typ)) {
        p.Rvalue = readEntry(dialog.resistanceText);
    }
    p.verpolt = dialog.negative ? kPolarityNegative : kPolarityNormal;
    p.bOptimize = dialog.optimize && partMayOptimize(p.typ);
    p.bem.assign(utf8ToLatin1(dialog.label)); // cut to 16 when stored
    p.chassisnr = static_cast<std::int16_t>(
        partNamesDriver(p.typ) ? std::clamp(dialog.driver, 0, kMaxChassis - 1) : 0);
    return p;
}

// ---- free wires

std::string freeWireCaption(int index) {
    return std::to_string(index + 1) + ". freie Drahtverbindung";
}

int readFreeWireNode(std::string_view text) {
    const std::int64_t v = parseInteger(text).value;
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, kFreeWireLastNode));
}

FreeWires freeWiresOf(const TPart (&weiche)[kPartSlots]) {
    FreeWires w;
    for (int k = 0; k < kFreeWires; ++k) {
        const TPart& part = weiche[kFirstFreeWireSlot + k];
        w.entries[k] = {part.typ == kPartWire, part.nod1, part.nod2};
    }
    return w;
}

void applyFreeWires(TPart (&weiche)[kPartSlots], const FreeWires& wires) {
    for (int k = 0; k < kFreeWires; ++k) {
        weiche[kFirstFreeWireSlot + k].typ = kPartEmpty;
    }
    for (int k = 0; k < kFreeWires; ++k) {
        const FreeWireEntry& e = wires.entries[k];
        if (!e.on) {
            continue;
        }
        TPart& part = weiche[kFirstFreeWireSlot + k];
        part.typ = kPartWire;
        part.nod1 = std::clamp(e.nod1, 0, kFreeWireLastNode);
        part.nod2 = std::clamp(e.nod2, 0, kFreeWireLastNode);
    }
}

} // namespace sonora
