// The main window's menus as plain data: which menus are enabled and the texts of the entries
// that depend on the project, the editors and the recent files.
#pragma once

#include <string>
#include <vector>

#include "app/shell/workspace_host.h"
#include "model/records.h"
#include "storage/settings.h"

namespace sonora {

// Recent files shown in the file menu ("History 1" ... "History 9").
inline constexpr int kMaxRecentMenuEntries = 9;
// Width of the box volume in the driver menu, characters of the compact number text (litres).
inline constexpr int kDriverMenuVolumeWidth = 5;

// Which modeless editors are open and for which amplifier or driver (index from 0).
struct EditorFlags {
    bool CHEditorOpen = false;     // driver editor
    bool WEEditorOpen = false;     // crossover editor
    bool AFEditorOpen = false;     // active-filter editor
    bool GemGehEditorOpen = false; // shared-cabinet editor
    bool OptimizerOpen = false;    // optimizer window
    int chassis = -1;              // driver of the open driver editor
    int weiche = -1;               // amplifier of the open crossover editor
    int aktfilter = -1;            // amplifier of the open active-filter editor

    bool anyOpen() const {
        return CHEditorOpen || WEEditorOpen || AFEditorOpen || GemGehEditorOpen || OptimizerOpen;
    }
    bool isOpen(EditorKind kind) const;
};

struct RecentMenuEntry {
    std::string name; // "History " + k
    std::string text; // the shortened name, UTF-8
    std::string file; // the full path, UTF-8
};

// An entry of the "&Fenster" menu: an open editor.
struct WindowMenuEntry {
    EditorKind editor;
    std::string text; // UTF-8
};

struct MenuState {
    bool fileMenu = true;  // new, load, save, recent files: off while any editor is open
    bool editMenus = true; // editing commands: off while the optimizer is open
    bool ampMenus = true;  // the amplifier menus: off while the optimizer is open or no amp
    int ampEntries = 0;    // entries of each amplifier menu (amplifiers 1 .. nAmps)
    std::vector<std::string> driverEntries; // one per driver below nChassis, UTF-8
    std::vector<RecentMenuEntry> recent;    // at most kMaxRecentMenuEntries
    bool undoEnabled = false;
    std::string undoCaption;        // "Rückgängig" or "Rückgängig \"label\"", UTF-8
    bool referenceCommands = false; // restore, swap and delete the reference project
    bool windowMenu = false;        // "&Fenster": shown while any editor is open
    std::vector<WindowMenuEntry> windowEntries;
    bool acceptDrops = true; // dropped files: not while an editor is open
};

// "Chassis &" + n + ": " + name, and " in " + volume + "l geschl." (closed box) or
// "l Bassref." (vented box), the volume in litres; n counts from 1. UTF-8.
// The chart tab's driver choice: "Chassis " + n + ": " + name (UTF-8), without the name part for
// a driver that has none.
std::string driverChoiceText(const TProjekt& project, int driver);
std::string driverMenuText(const TProjekt& project, int driver);

// The caption of the undo item for the label in slot 0 (UTF-8): "Rückgängig" alone for an empty
// label, else "Rückgängig" + blank + the label in quotation marks.
std::string undoCaption(const std::string& label);

struct MenuInputs {
    const TProjekt& project;
    const EditorFlags& editors;
    const TFilehistory& history;
    const std::string& undoLabel; // label of undo slot 0, UTF-8; empty: nothing to undo
    bool referenceValid;
};

MenuState computeMenuState(const MenuInputs& in);

} // namespace sonora
