#include "app/shell/crossover_editor_library.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr int kEntryWidth = 10;     // characters of the number texts copied into the dialog
constexpr double kSameValue = 1e-9; // relative tolerance of the selection compare
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

bool isFieldSeparator(char c) {
    return c == '\t' || c == ';';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

// A field as listed: bounded, control bytes shown as '?', converted to UTF-8.
std::string shownField(std::string_view field) {
    std::string s(field.substr(0, kMaxLibraryFieldBytes));
    for (char& c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < kFirstPrintable || b == kDelete) {
            c = '?';
        }
    }
    return latin1ToUtf8(s);
}

double readValue(std::string_view field) {
    const double v = parseFloat(field).value;
    return std::isfinite(v) ? v : 0;
}

void addLine(PartLibrary& library, std::string_view line) {
    constexpr std::size_t kFields = 4; // kind, label, value, resistance
    std::array<std::string_view, kFields> fields{};
    std::size_t n = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size() && n < kFields; ++i) {
        if (i == line.size() || isFieldSeparator(line[i])) {
            fields[n++] = trimmed(line.substr(start, i - start));
            start = i + 1;
        }
    }
    if (n < 3 || fields[0].size() != 1) { // kind, label and value at least
        return;
    }
    LibraryPage page;
    switch (std::toupper(static_cast<unsigned char>(fields[0][0]))) {
    case 'R':
        page = LibraryPage::Resistors;
        break;
    case 'L':
        page = LibraryPage::Coils;
        break;
    case 'C':
        page = LibraryPage::Capacitors;
        break;
    default:
        return;
    }
    std::vector<LibraryEntry>& entries = library.pages[static_cast<int>(page)];
    if (entries.size() >= kMaxLibraryEntries) {
        return;
    }
    LibraryEntry e;
    e.value = readValue(fields[2]);
    if (!(e.value > 0)) {
        e.separator = true;
        e.text = kLibrarySeparator;
        entries.push_back(std::move(e));
        return;
    }
    e.label = shownField(fields[1]);
    const std::string value = shownField(fields[2]);
    switch (page) {
    case LibraryPage::Resistors:
        e.text = e.label + ":" + value + " Ohm";
        break;
    case LibraryPage::Coils: {
        const std::string_view r = n > 3 ? fields[3] : std::string_view("0");
        e.resistance = readValue(r);
        e.text = e.label + ":" + value + " mH, " + shownField(r) + " Ohm";
        break;
    }
    case LibraryPage::Capacitors:
        e.text = e.label + ":" + value + " µF";
        break;
    }
    entries.push_back(std::move(e));
}

bool sameValue(double a, double b) {
    return std::fabs(a - b) <= kSameValue * std::max(std::fabs(a), std::fabs(b));
}

bool isTextFile(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".txt";
}

} // namespace

void addLibraryText(PartLibrary& library, std::string_view bytes) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\r') {
            if (i > start) {
                addLine(library, bytes.substr(start, i - start));
            }
            start = i + 1;
        }
    }
}

PartLibrary readPartLibrary(const std::string& folder) {
    namespace fs = std::filesystem;
    PartLibrary library;
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && isTextFile(it->path())) {
            files.push_back(it->path());
        }
        if (files.size() >= kMaxLibraryFiles) {
            break;
        }
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::vector<std::uint8_t> bytes;
        if (readFileBytes(file.string(), bytes, kMaxLibraryFileBytes) != ReadStatus::Ok) {
            continue;
        }
        addLibraryText(library, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    return library;
}

LibraryPage libraryPageOf(int typ) {
    switch (typ) {
    case kPartCoil:
        return LibraryPage::Coils;
    case kPartCapacitor:
        return LibraryPage::Capacitors;
    default:
        return LibraryPage::Resistors;
    }
}

int libraryPageKind(LibraryPage page) {
    switch (page) {
    case LibraryPage::Coils:
        return kPartCoil;
    case LibraryPage::Capacitors:
        return kPartCapacitor;
    case LibraryPage::Resistors:
        break;
    }
    return kPartResistor;
}

LibrarySelection librarySelectionFor(const PartLibrary& library, const PartDialog& dialog) {
    LibrarySelection s;
    s.page = libraryPageOf(dialog.typ);
    if (!partHasValue(dialog.typ)) {
        return s;
    }
    const double value = parseFloat(dialog.valueText).value;
    const double resistance = parseFloat(dialog.resistanceText).value;
    const std::vector<LibraryEntry>& entries = library.page(s.page);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LibraryEntry& e = entries[i];
        if (!e.separator && sameValue(e.value, value) &&
            (s.page != LibraryPage::Coils || sameValue(e.resistance, resistance))) {
            s.entry = static_cast<int>(i);
            break;
        }
    }
    return s;
}

std::string librarySelectionText(const PartLibrary& library, const LibrarySelection& selection) {
    std::string text = kLibrarySelectedCaption;
    const std::vector<LibraryEntry>& entries = library.page(selection.page);
    if (selection.entry >= 0 && static_cast<std::size_t>(selection.entry) < entries.size()) {
        text += " " + entries[selection.entry].text;
    }
    return text;
}

bool chooseLibraryEntry(PartDialog& dialog, const PartLibrary& library,
                        const LibrarySelection& selection) {
    const std::vector<LibraryEntry>& entries = library.page(selection.page);
    if (selection.entry < 0 || static_cast<std::size_t>(selection.entry) >= entries.size()) {
        return false;
    }
    const LibraryEntry& e = entries[selection.entry];
    if (e.separator) {
        return false;
    }
    dialog.typ = libraryPageKind(selection.page);
    dialog.valueText = compactNumberText(kEntryWidth, e.value);
    dialog.resistanceText =
        selection.page == LibraryPage::Coils ? compactNumberText(kEntryWidth, e.resistance) : "";
    dialog.label = clipPartLabel(e.label);
    return true;
}

} // namespace sonora
