// The part library of the crossover editor: resistors, coils and capacitors listed in the text
// files "*.txt" of the parts folder, one part per line ("R;R1;6,8", "L;X1;2,2;0,35",
// "C;C1;4,7", fields separated by tab or ";", values in Ohm, mH and µF).
//
// The files come from anywhere, so reading is bounded: files larger than kMaxLibraryFileBytes
// are skipped, fields are cut to kMaxLibraryFieldBytes, at most kMaxLibraryFiles files and
// kMaxLibraryEntries entries per page are read, and control bytes are shown as '?'.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/crossover_editor_dialogs.h"

namespace sonora {

inline constexpr std::size_t kMaxLibraryFileBytes = 1024 * 1024;
inline constexpr std::size_t kMaxLibraryFieldBytes = 64;
inline constexpr std::size_t kMaxLibraryFiles = 256;
inline constexpr std::size_t kMaxLibraryEntries = 10000;

// The line listed for a value of 0 or below.
inline constexpr char kLibrarySeparator[] = "- - - - - - - - - - - - - - - - - - - - - -";
inline constexpr char kLibrarySelectedCaption[] = "Ausgewählt:";

// The pages of the library, one per kind.
enum class LibraryPage { Resistors = 0, Coils = 1, Capacitors = 2 };
inline constexpr int kLibraryPages = 3;

struct LibraryEntry {
    std::string text;       // as listed (UTF-8), or the separator line
    bool separator = false; // a separator cannot be chosen
    double value = 0;       // in the unit shown: Ohm, mH or µF
    double resistance = 0;  // coils: winding resistance, Ohm
    std::string label;      // UTF-8
};

struct PartLibrary {
    std::array<std::vector<LibraryEntry>, kLibraryPages> pages;
    const std::vector<LibraryEntry>& page(LibraryPage p) const {
        return pages[static_cast<int>(p)];
    }
};

// Adds the lines of one file (Latin-1 bytes) to the library.
void addLibraryText(PartLibrary& library, std::string_view bytes);

// Reads every "*.txt" file of `folder` (UTF-8 path; the extension compared without case) in name
// order. A missing folder gives an empty library.
PartLibrary readPartLibrary(const std::string& folder);

// The page of a part kind: resistors, coils, capacitors; other kinds show the resistors.
LibraryPage libraryPageOf(int typ);
// The kind of the parts a page lists.
int libraryPageKind(LibraryPage page);

struct LibrarySelection {
    LibraryPage page = LibraryPage::Resistors;
    int entry = -1; // index on the page, -1 when nothing is selected
};

// Where the library opens for `dialog`: its kind's page and the first entry equal to its value
// (coils: and resistance), compared in the unit shown with a relative tolerance for the rounding
// of the unit conversion.
LibrarySelection librarySelectionFor(const PartLibrary& library, const PartDialog& dialog);

// "Ausgewählt:" followed by the selected entry's text.
std::string librarySelectionText(const PartLibrary& library, const LibrarySelection& selection);

// Choosing an entry: the dialog takes the page's kind, value, resistance and label. A separator
// or an index outside the page changes nothing and gives false.
bool chooseLibraryEntry(PartDialog& dialog, const PartLibrary& library,
                        const LibrarySelection& selection);

} // namespace sonora
