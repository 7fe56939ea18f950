// The project workspace: owner of the open project, the reference project, the undo stack, the
// saved state, the file name, the recent files and the editor flags, and every command that
// changes the project, from start-up to shut-down. Toolkit-free: the main window owns one
// Workspace, shows the file dialogs itself and passes the chosen names in; questions and messages
// go through UserPrompt (texts in Latin-1, as everywhere in the program), the calculation through
// CalcRequests and everything the window must do through WorkspaceView.
#pragma once

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "acoustics/shared_cabinet_dialog.h"
#include "app/shell/display_options.h"
#include "app/shell/menu_state.h"
#include "app/shell/project_properties.h"
#include "app/shell/recovery.h"
#include "app/shell/startup.h"
#include "app/shell/title.h"
#include "app/shell/undo_stack.h"
#include "app/shell/workspace_host.h"
#include "model/records.h"
#include "model/user_prompt.h"
#include "storage/newer_driver_check.h"
#include "storage/project_file.h"
#include "storage/settings.h"

namespace sonora {

// Undo labels (UTF-8).
inline constexpr char kUndoNewProject[] = "Neues Projekt";
inline constexpr char kUndoLoadFile[] = "Datei laden";
inline constexpr char kUndoProjectProperties[] = "Projekteigenschaften ändern";
inline constexpr char kUndoDisplayOptions[] = "Anzeigeoptionen";
inline constexpr const char* kUndoSharedCabinet = kSharedCabinetUndoLabel;
inline constexpr char kUndoOptimizerResult[] = "Optimierung anwenden";
inline constexpr char kUndoDriverCopy[] = "Chassis kopieren";
inline constexpr char kUndoRestoreReference[] = "Referenz wiederherstellen";
inline constexpr char kUndoSwapReference[] = "Projekt mit Referenzprojekt tauschen";
// "Weiche " + n + " editieren", "Aktives Filter " + n + " editieren", "Chassis " + n + "
// editieren"; n counts from 1, `index` from 0.
std::string crossoverUndoLabel(int amp);
std::string activeFilterUndoLabel(int amp);
std::string driverUndoLabel(int driver);

// The project file loaded at start-up when no argument is given, in the projects folder.
inline constexpr char kDefaultProjectFile[] = "Default.LSP";

// How long the commands other than "remember reference" wait for a running calculation.
inline constexpr std::chrono::milliseconds kCalcWaitTimeout{10};

// Paths of the program itself (UTF-8).
struct WorkspacePaths {
    std::string programFolder; // working folder of the cabinet visualisation program
    std::string tempFolder;    // the platform's temporary folder, for the cabinet description
};

enum class StartUpOutcome {
    Running, // the project is loaded and a calculation requested
    Quit,    // the argument file does not exist: the message was shown, the program ends
};

enum class EditorOpen {
    Open,        // the caller opens the editor; the workspace has marked it open
    AlreadyOpen, // open for the same amplifier or driver: brought to the front
    Refused,     // open for another one, or (optimizer) other editors open: message shown
};

// Driver copy and swap dialog ("kopieren nach" / "tauschen mit").
struct DriverCopyRequest {
    int source = 0; // driver index from 0
    int target = 0;
    bool swap = false;           // "tauschen mit" instead of "kopieren nach"
    bool withEinbau = false;     // "incl. Gehäusedaten"
    bool withSchallwand = false; // "incl. Schallwanddaten"
};

class Workspace {
public:
    // `environment` is what startUp of the settings found (folders and Sonora.ini).
    Workspace(UserPrompt& prompt, CalcRequests& calc, WorkspaceView& view,
              ProgramEnvironment environment, WorkspacePaths paths);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // ---- start-up and shut-down
    // Saved := true, the default project, then the argument file (missing: " Datei " + argument +
    // " existiert nicht.\r\n Sonora wird geschlossen." and Quit), loaded as "Datei laden" loads it,
    // or projects folder + "Default.LSP" (only when it exists); then the offer of a recovery copy
    // newer than the project's file ("Wiederherstellen|Verwerfen"), the newer-driver check, menus,
    // CalcNew, reference commands off.
    StartUpOutcome startUp(const std::optional<std::string>& argument);
    // Where the main window goes, from the stored geometry, the screen size and the part of the
    // screen free of panels.
    WindowPlacement windowPlacement(ScreenSize screen, ScreenSize available) const;
    // Editors and tool windows by object name: where one opens, and where it was closed (kept in
    // the settings written at the end).
    WindowGeometry toolWindowPlacement(const std::string& name, const WindowGeometry& main,
                                       int width, int height, ScreenSize screen) const;
    void rememberToolWindow(const std::string& name, const WindowGeometry& geometry);
    // The chart tab shown at the last close, and the one shown now.
    int chartTab() const { return env_.settings.chartTab; }
    void rememberChartTab(int tab) { env_.settings.chartTab = std::clamp(tab, 0, kMaxChartTab); }
    // Closing the main window: closes the optimizer (refused while it stays open), asks to save an
    // unsaved project ("&Ja |&Nein|&Abbruch"; "Ja" saves through WorkspaceView::askSaveFileName and
    // refuses when still unsaved; "Abbruch" refuses). When closing goes ahead the threads are told
    // to terminate, the settings are written and the recovery copy is deleted. `geometry` is stored
    // in every case. True when the program may end.
    bool requestClose(const WindowGeometry& geometry);
    // Called by the window's timer (every few seconds): while the project has unsaved changes that
    // the recovery copy does not hold, writes the copy when kRecoveryInterval has passed since the
    // last one. A copy is also written after every kRecoveryChangeCount-th change.
    void recoveryTick(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());
    // The recovery copy that belongs to the open project's file.
    std::string recoveryFile() const;

    // ---- the project files
    // The discard question ("Wirklich alle Änderungen ohne zu sichern verwerfen?") unless saved;
    // true when the caller may go on (the load dialog calls this before it opens).
    bool mayDiscardChanges();
    // "Neu": the discard question, "Neues Projekt", defaults, "noname.LSP", CalcAllNew, quick
    // guide, project properties. False when the user kept the project.
    bool newProject();
    // Loads a file chosen in the open dialog (the discard question is the caller's, see
    // mayDiscardChanges). False when the file does not exist, is not a project file (then the
    // default project replaces the current one) or is damaged or of a wrong version (then the
    // project, its name, the saved flag and the undo stack stay as they were).
    bool loadProject(const std::string& file);
    // Recent file `index` (0 = "History 1"): file name + " existiert nicht." when it is gone.
    bool loadRecent(int index);
    // The save dialog's name: ".LSP" appended unless present (upper-cased compare), names of 4
    // characters or fewer ignored. True when the project was written.
    bool saveProject(const std::string& dialogName);
    // Folder and name the open and save dialogs start with (UTF-8).
    const std::string& dialogFolder() const { return dialogFolder_; }
    const std::string& dialogFileName() const { return dialogFileName_; }

    // ---- dialogs on the whole project
    ProjectProperties projectProperties() const;
    void acceptProjectProperties(const ProjectProperties& properties);
    // The dialog's start values: a copy of the project's options, the switch from the settings.
    DisplayOptionsInput displayOptions() const;
    void acceptDisplayOptions(const DisplayOptionsInput& input);

    // ---- editors
    // Opening an editor for amplifier or driver `index` (ignored for GemGeh). The optimizer waits
    // for the calculation and opens only while no driver, crossover or active-filter editor is
    // open ("Bitte erst ... schließen." and that editor to the front).
    EditorOpen openEditor(EditorKind editor, int index = 0);
    // The crossover-frequency finder: the wait for a running calculation; false on "abbrechen".
    bool mayOpenCrossingFinder();
    // The window reports that an editor has closed.
    void editorClosed(EditorKind editor);
    const EditorFlags& editors() const { return editors_; }

    // Accepting an editor: undo label, the change, saved := false, CalcNew.
    void acceptCrossover(int amp, const TAmp& edited);          // the 375 part slots
    void acceptActiveFilter(int amp, const TAktfilter& edited); // level and stages
    void acceptDriver(int driver, const TChassis& chassis, const TEinbau& einbau,
                      const TSchallwand& schallwand);
    void acceptSharedCabinet(const TGemGeh& gemgeh,
                             std::span<const TSchallwand, kMaxChassis> schallwand);
    void applyOptimizerResult(const TProjekt& optimized);
    // "Nein" on closing the optimizer: the project it started from again (with any marks its
    // start set: `marksAdded` counts as a change), no undo step, CalcNew.
    void restoreOptimizerStart(const TProjekt& start, bool marksAdded);
    // Driver copy/swap: the snapshot is taken when the dialog opens; OK applies, cancel drops it.
    void beginDriverCopy();
    void acceptDriverCopy(const DriverCopyRequest& request);
    void cancelDriverCopy();

    // ---- undo
    // Restores the project of the last step together with the file name and the dialogs' names
    // that belonged to it.
    void undo();
    bool canUndo() const { return !undo_.empty(); }
    std::string undoCaption() const;
    const UndoStack& undoStack() const { return undo_; }

    // ---- reference project
    void rememberReference(); // "Projekt als Referenz merken"
    void restoreReference();  // "Referenzprojekt wiederherstellen"
    void swapWithReference(); // "Referenzprojekt mit aktuellem Projekt tauschen"
    void deleteReference();   // "Referenzprojekt löschen"
    bool referenceValid() const { return referenceValid_; }
    const TProjekt& reference() const { return *reference_; }

    // ---- other commands
    // Files dropped on the window (UTF-8 paths).
    void filesDropped(const std::vector<std::string>& names);
    // One tick of the timer of the newer-driver-file check (period kNewerDriverTickMs).
    void newerDriverTick();
    // "Gehäusevisualisierung" after the program was chosen in "Visualisierungsprogramm
    // auswählen ...": the cabinet description into the temporary folder and the program started.
    bool startCabinetVisualisation(const std::string& program);
    // Closing the folders dialog: the check box and the six folders stored, the settings written
    // and the folders found again from `base` (as at start-up).
    void acceptFolders(const BaseFolders& base, bool usePresets, const FolderPresets& texts);

    // ---- the window
    // The window width the title is shortened for, pixels; sets the title again.
    void setWindowWidth(int pixels);
    std::string title() const;
    MenuState menuState() const;

    // ---- state
    const TProjekt& project() const { return *project_; }
    bool saved() const { return saved_; }
    const std::string& fileName() const { return fileName_; } // full path, or "noname.LSP"
    bool toCheckForNewerChasssisFiles() const { return toCheckForNewerChasssisFiles_; }
    const ProgramEnvironment& environment() const { return env_; }
    // The crossover editor's mouse assignment code ("TBWEopti") and window size ("WEsize"),
    // written with the settings at program end; values out of range are not taken.
    void setCrossoverEditorSettings(std::int32_t mouseCode, std::int32_t sizePreset) {
        if (mouseCode >= 0 && mouseCode <= kMaxMouseCode) {
            env_.settings.mouseCode = mouseCode;
        }
        if (sizePreset >= 0 && sizePreset < kWindowSizePresets) {
            env_.settings.windowSizePreset = sizePreset;
        }
    }
    const TFilehistory& history() const { return env_.settings.history; }

private:
    void pushUndo(const std::string& label);
    void changed(bool everything); // saved := false and the calculation request
    void noteChange();             // counts a change towards the next recovery copy
    void closeEditors(const EditorSet& editors);
    void refreshTitle();
    void refreshMenus();
    void setFile(const std::string& path);
    void makeDefault(TProjekt& project);
    void applyProgramWideOptions();
    // Steps of "Load project" after the question; `undoStep` pushes "Datei laden" when the project
    // is replaced.
    ProjectOpenStatus readProject(const std::string& file, bool undoStep);
    UndoNames currentNames() const;
    void writeRecovery(std::chrono::steady_clock::time_point now);
    void deleteRecovery();
    void offerRecovery();
    bool waitForCalculation(std::chrono::milliseconds timeout);

    UserPrompt& prompt_;
    CalcRequests& calc_;
    WorkspaceView& view_;
    ProgramEnvironment env_;
    WorkspacePaths paths_;

    std::unique_ptr<TProjekt> project_;
    std::unique_ptr<TProjekt> reference_;
    bool referenceValid_ = false;
    UndoStack undo_;
    bool saved_ = true;
    std::string fileName_ = kNoNameProject;
    std::string dialogFolder_;
    std::string dialogFileName_;
    EditorFlags editors_;
    bool toCheckForNewerChasssisFiles_ = false;
    bool driverCopySnapshot_ = false; // the copy/swap dialog's snapshot is on the stack
    NewerDriverCheck newerDrivers_;
    int windowWidth_ = 1024; // pixels, until the window tells its own
    // Recovery copy: the file last written (deleted when the name changes), the changes since, and
    // when it was written.
    std::string recoveryWritten_;
    int changesSinceRecovery_ = 0;
    std::chrono::steady_clock::time_point lastRecovery_ = std::chrono::steady_clock::now();
};

} // namespace sonora
