// The settings file "Sonora.ini": window position, recent project files, folder presets, editor
// options and default display options; the start-up that finds the folders and reads it, and the
// writing at program end and after the folders dialog.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "model/records.h"
#include "model/user_prompt.h"
#include "storage/folders.h"

namespace sonora {

inline constexpr int kHistorySlots = 32;   // slots of the recent-files arrays
inline constexpr int kMaxHistoryFiles = 6; // recent files kept

// Longest path taken from the settings file, bytes (the platform's PATH_MAX); longer ones are cut.
inline constexpr std::size_t kMaxSettingsPathLength = 4096;

// The recent project files, most recent first.
class TFilehistory {
public:
    std::string filenames[kHistorySlots];
    std::string shortnames[kHistorySlots];
    int nFiles = 0;

    // A new name goes to place 0 and the others move down (the sixth drops out); a name already
    // in the list (compared exactly) moves from its place to place 0.
    void AddFile(const std::string& name);

    // The menu form: the part before the first separator, "/.../", the part after the last one;
    // a name without a separator becomes "/.../" + name.
    static std::string shorten(const std::string& name);
};

struct WindowGeometry {
    std::int32_t left = -1; // -1: no stored position
    std::int32_t top = -1;
    std::int32_t width = -1;
    std::int32_t height = -1;
    bool operator==(const WindowGeometry&) const = default;
};

// The six folders a user may preset.
struct FolderPresets {
    std::string drivers;
    std::string projects;
    std::string parts;
    std::string reports;
    std::string publications;
    std::string kits;
    bool operator==(const FolderPresets&) const = default;
};

// Default mouse assignment code of the crossover editor (key "TBWE") and the editor's window size.
inline constexpr std::int32_t kDefaultOldMouseCode = 424231;
inline constexpr std::int32_t kMaxMouseCode = 999999; // six decimal digits
inline constexpr std::int32_t kDefaultWindowSizePreset = 2;
inline constexpr std::int32_t kWindowSizePresets = 3; // presets 0, 1, 2

// Longest pause after a calculation stage a settings file may ask for, ms. The pause once left the
// processor to the user; the workers now run below normal priority, so it defaults to 0.
inline constexpr std::int32_t kMaxStagePauseMs = 10000;

// Bounds of what the window part of the settings may hold: a chart tab index, remembered tool
// windows and the length of their names (letters and digits only).
inline constexpr std::int32_t kMaxChartTab = 63;
inline constexpr std::size_t kMaxToolWindows = 32;
inline constexpr std::size_t kMaxToolWindowName = 40;

// "TBWEopti"'s default: `oldCode` with its hundreds digit replaced by 5 (Shift + left toggles the
// optimizer mark).
std::int32_t mouseCodeWithToggle(std::int32_t oldCode);

struct ProgramSettings {
    WindowGeometry window;
    TFilehistory history;
    bool usePresets = false; // "Verzeichnisvorgaben"
    // The folders in effect: the presets while usePresets is set, the derived folders otherwise
    // (what the folders dialog shows).
    FolderPresets presets;
    std::int32_t mouseCode = mouseCodeWithToggle(kDefaultOldMouseCode); // "TBWEopti"
    std::int32_t windowSizePreset = kDefaultWindowSizePreset;           // "WEsize"
    bool useOption = false; // "UseOption": new projects take displayOptions
    // Pause after each stage but the last of a run, ms: the window's run object ("PauseRechnung")
    // and the optimizer's ("PauseOptimierer"). 500 and 40 give the old, patient behaviour.
    std::int32_t calcPauseMs = 0;
    std::int32_t optimizerPauseMs = 0;
    TAnzOption displayOptions; // valid when useOption is set
    std::int32_t chartTab = 0; // the main window's chart tab at the last close ("Tab")
    // Editors and tool windows by their object name, as they were last closed (section
    // "Fenster", keys "<name>.wl", ".wt", ".ww", ".wh").
    std::map<std::string, WindowGeometry> toolWindows;
};

// Everything the start-up decides.
struct ProgramEnvironment {
    FolderPaths folders;
    ProgramSettings settings;
};

// The folders of `folders` as presets.
FolderPresets presetsOf(const FolderPaths& folders);

// Reads the settings file `path` (missing: all defaults). The presets are read only while
// "Verzeichnisvorgaben" is set and default to `derived`. Hostile values are bounded: a window
// value outside -1 .. 65535 becomes -1, a mouse code outside 0 .. 999999 its default, a window
// size preset outside 0 .. 2 becomes 2, a stage pause outside 0 .. kMaxStagePauseMs becomes 0,
// paths are cut to kMaxSettingsPathLength bytes, display options as in a project file.
ProgramSettings readSettings(const std::string& path, const FolderPaths& derived,
                             UserPrompt& prompt);

// The folders with the presets applied while settings.usePresets is set (each with a trailing
// separator; an empty preset keeps the derived folder).
FolderPaths applyPresets(const FolderPaths& derived, const ProgramSettings& settings);

// Start-up: locateFolders, readSettings, applyPresets.
ProgramEnvironment startUp(const BaseFolders& baseFolders, UserPrompt& prompt);

// Writes the settings into the settings file of `folders`, keeping its other contents: "Window",
// "Verzeichnisvorgaben", the six presets and "Sonora" (= folders.base) while presets are on (the
// seven keys removed otherwise), "TBWEopti", "WEsize", the two stage pauses, "File" + k. Shows
// "Zugriffsfehler bei " + path and returns false when the file could not be written.
bool writeSettings(const ProgramSettings& settings, const FolderPaths& folders, UserPrompt& prompt);

// Closing the folders dialog: stores the check box and the six texts, writes the settings and runs
// the start-up again, so that with presets off the derived folders come back.
void closeFoldersDialog(ProgramEnvironment& env, const BaseFolders& baseFolders, bool usePresets,
                        const FolderPresets& texts, UserPrompt& prompt);

// The display options dialog's part of the settings: "UseOption" and, while it is set, the default
// display options in section "Option". Returns false (with the message) on a write error.
bool writeDisplayOptionSettings(const std::string& settingsFile, bool useOption,
                                const TAnzOption& options, UserPrompt& prompt);

} // namespace sonora
