// The crossover editor's two small dialogs as plain data: the part dialog (kind, value in its
// entry unit, polarity, optimizer mark, label, driver) and the eight free wires.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"

namespace sonora {

inline constexpr int kPartKinds = 7;     // typ 0..6
inline constexpr int kMaxPartLabel = 16; // characters of `bem`

// The dialog's caption of a part kind (UTF-8): "keine Verbindung", "Draht", "Widerstand",
// "Kondensator", "Spule", "Lautsprecherchassis", "Verstärkerausgang"; empty outside 0..6.
std::string partKindCaption(int typ);

// Unit of the value entry: "Ohm", "µF", "mH"; empty for kinds without a value.
std::string partValueUnit(int typ);

// Kinds with a value entry (2..4), with a winding resistance (4), that may be marked for the
// optimizer (2..4), and that name a driver (5).
bool partHasValue(int typ);
bool partHasResistance(int typ);
bool partMayOptimize(int typ);
bool partNamesDriver(int typ);

// Entry unit factors: the stored value is the entry times this factor.
double partEntryFactor(int typ);

// Whether a polarity counts as reversed ("Polung negativ" stores 1, the reverse action maps v to
// 1 - v, and the solver takes every value from 1 upward as reversed).
inline bool isReversedPolarity(std::int16_t verpolt) {
    return verpolt >= 1;
}

// `label` (UTF-8) cut to the 16 characters a part keeps.
std::string clipPartLabel(std::string_view label);

// What the part dialog shows and edits. Texts are UTF-8 as the widgets hold them.
struct PartDialog {
    int typ = kPartEmpty;
    std::string valueText;      // in the entry unit (Ohm, µF, mH)
    std::string resistanceText; // coil winding resistance, Ohm
    bool negative = false;      // "Polung negativ"
    bool optimize = false;      // "Bauteil optimieren", only for kinds 2..4
    std::string label;          // at most 16 characters are kept
    int driver = 0;             // chassisnr for kind 5
};

// The project's drivers as the editor shows them (names in UTF-8, index = chassisnr), copied
// when the editor opens.
struct DriverNames {
    std::array<std::string, kMaxChassis> names;
    int count = 0; // drivers in use (nChassis)
};
DriverNames driverNamesOf(const TProjekt& project);

// The driver choice of the dialog: one entry per driver in use (index = chassisnr),
// "Chassis " + n + ": " + name.
std::vector<std::string> partDriverChoices(const DriverNames& drivers);

// The dialog for `part`: its values in the entry units, written with the compact number text.
PartDialog partDialogOf(const TPart& part);

// The record of the accepted dialog: kind, value read with the program's number reader (decimal
// comma or point) and scaled to the stored unit, polarity 1 for "Polung negativ" and -1
// otherwise, the optimizer mark only for kinds 2..4, the label cut to 16 characters, the driver
// clamped to 0..31. Node numbers come from `slot`, which the dialog never changes. A kind outside
// 0..6 becomes 0; an entry that is not a finite number reads as 0.
TPart partOfDialog(const PartDialog& dialog, const TPart& slot);

// ---- free wires

inline constexpr int kFreeWireLastNode = kGridNodes; // node numbers are clamped to 0..132

struct FreeWireEntry {
    bool on = false; // the check box
    int nod1 = 0;
    int nod2 = 0;
};

struct FreeWires {
    std::array<FreeWireEntry, kFreeWires> entries{};
};

// "1. freie Drahtverbindung" .. "8. freie Drahtverbindung" for index 0..7.
std::string freeWireCaption(int index);

// A node number as typed (integer reader), clamped to 0..132.
int readFreeWireNode(std::string_view text);

// The dialog for the free wire slots 367..374: checked where the slot holds a wire.
FreeWires freeWiresOf(const TPart (&weiche)[kPartSlots]);

// On OK: all eight slots become empty, then each checked entry a wire with its two node numbers
// clamped to 0..132.
void applyFreeWires(TPart (&weiche)[kPartSlots], const FreeWires& wires);

} // namespace sonora
