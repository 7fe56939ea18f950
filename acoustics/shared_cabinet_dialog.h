// The shared-cabinet dialog without its window: entry texts filled from a project, the apply
// step that writes them back, the rows' visible fields and the page titles.
#pragma once

#include <array>
#include <string>

#include "acoustics/shared_cabinet.h"
#include "model/records.h"

namespace sonora {

// Drivers per page of the dialog.
inline constexpr int kSharedCabinetRowsPerPage = 8;
// Digits of the dialog's number texts (width of compactNumberText, "," included).
inline constexpr int kSharedCabinetDigits = 6;
// The dialog shows lengths in cm, the records hold m.
inline constexpr double kCentimetresPerMetre = 100;

// One driver's row. Lengths are the entry texts in cm as the user sees and edits them.
struct SharedCabinetRow {
    bool usegemgeh = false;
    int direction = 0;  // "Abstrahlrichtung", 0..5
    std::string a, c;   // "Maß a", "Maß c" of the outlet
    int directionr = 0; // 0 "gleiche Seite wie Chassis", 1 "gegenüber von Chassis"
    std::string ar, cr; // "Maß a", "Maß c" of the rear outlet
};

// Everything the dialog holds: the cabinet's entries (texts in cm), its front edge switches and
// one row for each of the 32 driver slots (slots beyond nChassis are not shown but kept, so
// applying writes back what they had).
struct SharedCabinetDialog {
    std::string h, b, t;
    std::string fasl, fasr, faso, fasu;
    bool beugl = true, beugo = true, beugr = true, beugu = true;
    std::array<SharedCabinetRow, kMaxChassis> rows;
};

// Open: the cabinet's values ×100 and each driver's switch, faces, a and c ×100, the rear
// outlet's a and c computed back from its stored position (calcarcr).
SharedCabinetDialog openSharedCabinetDialog(const TProjekt& p);

// The entries of a row read as numbers (cm / 100), ready for swback.
SharedCabinetEntry sharedCabinetEntry(const SharedCabinetRow& row);

// The undo step of an applied dialog (UTF-8); the workspace names its step with it.
inline constexpr char kSharedCabinetUndoLabel[] = "Gemeinsames Außengehäuse editieren";

// Apply: reads the cabinet into p.Gemgeh and, for every one of the 32 slots, sets usegemgeh from
// its row and derives the baffle when set (swback). Entries are read by the program's number
// reader (an unreadable text counts as 0; the baffle stage reports impossible positions).
// Returns the undo label "Gemeinsames Außengehäuse editieren" (Latin-1); the caller pushes it with
// the project as it was before the call and then requests a calculation.
std::string applySharedCabinetDialog(TProjekt& p, const SharedCabinetDialog& dialog);

// Which fields of a row are shown: the position fields whenever the switch is on, the rear
// outlet's fields only for a vented enclosure (typ 2 or 4) as well.
struct SharedCabinetRowFields {
    bool position = false;
    bool rearOutlet = false;
};
SharedCabinetRowFields sharedCabinetRowFields(bool usegemgeh, int einbauTyp);

// The row's caption: driver name, " (", the driver's number counted from 1 and ")" (Latin-1).
std::string sharedCabinetRowTitle(const TProjekt& p, int slot);

// Number of dialog pages for `nChassis` drivers (at least one page).
int sharedCabinetPageCount(int nChassis);
// Title of page `page` (from 0): "Chassis 1 bis 8", …, the last page ending at nChassis.
std::string sharedCabinetPageTitle(int page, int nChassis);

// Captions of the face list (direction 0..5) and of the rear-side list (0, 1), Latin-1.
std::string cabinetFaceCaption(int direction);
std::string rearSideCaption(int directionr);

} // namespace sonora
