#include "app/shell/workspace.h"

#include <filesystem>
#include <utility>

#include "app/shell/title.h"
#include "app/shell/workspace_text.h"
#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "model/record_defaults.h"
#include "storage/file_io.h"
#include "storage/project_file.h"

namespace sonora {

using namespace workspace_text;

std::string crossoverUndoLabel(int amp) {
    return "Weiche " + std::to_string(amp + 1) + " editieren";
}
std::string activeFilterUndoLabel(int amp) {
    return "Aktives Filter " + std::to_string(amp + 1) + " editieren";
}
std::string driverUndoLabel(int driver) {
    return "Chassis " + std::to_string(driver + 1) + " editieren";
}

Workspace::Workspace(UserPrompt& prompt, CalcRequests& calc, WorkspaceView& view,
                     ProgramEnvironment environment, WorkspacePaths paths)
    : prompt_(prompt), calc_(calc), view_(view), env_(std::move(environment)),
      paths_(std::move(paths)), project_(std::make_unique<TProjekt>()),
      reference_(std::make_unique<TProjekt>()),
      newerDrivers_(env_.folders.drivers, fitVoiceCoilOfOldFile) {
    // A valid project from the first moment; startUp replaces it by the default project.
    initDefaultProjekt(*project_);
    dialogFolder_ = env_.folders.projects;
}

Workspace::~Workspace() = default;

// ---- start-up and shut-down

StartUpOutcome Workspace::startUp(const std::optional<std::string>& argument) {
    saved_ = true;
    makeDefault(*project_);
    if (argument) {
        if (!fileExists(*argument)) {
            prompt_.showMessage(" Datei " + latin1(*argument) + " existiert nicht." + "\r\n" +
                                " Sonora wird geschlossen.");
            return StartUpOutcome::Quit;
        }
        env_.settings.history.AddFile(*argument);
        readProject(*argument, true);
    } else {
        // A first start has no default project file yet: the default project stays, silently.
        const std::string file = env_.folders.projects + kDefaultProjectFile;
        if (fileExists(file)) {
            readProject(file, false);
        }
    }
    saved_ = true;
    offerRecovery();
    toCheckForNewerChasssisFiles_ = true;
    newerDrivers_.request();
    refreshMenus();
    calc_.calcNew(*project_);
    referenceValid_ = false;
    refreshTitle();
    refreshMenus();
    return StartUpOutcome::Running;
}

WindowPlacement Workspace::windowPlacement(ScreenSize screen, ScreenSize available) const {
    return startWindowPlacement(env_.settings.window, screen, available);
}

WindowGeometry Workspace::toolWindowPlacement(const std::string& name, const WindowGeometry& main,
                                              int width, int height, ScreenSize screen) const {
    const auto stored = env_.settings.toolWindows.find(name);
    return sonora::toolWindowPlacement(stored != env_.settings.toolWindows.end() ? &stored->second
                                                                                 : nullptr,
                                       main, width, height, screen);
}

void Workspace::rememberToolWindow(const std::string& name, const WindowGeometry& geometry) {
    if (env_.settings.toolWindows.size() < kMaxToolWindows ||
        env_.settings.toolWindows.count(name) != 0) {
        env_.settings.toolWindows[name] = geometry;
    }
}

bool Workspace::requestClose(const WindowGeometry& geometry) {
    env_.settings.window = geometry;
    if (editors_.OptimizerOpen) {
        view_.closeEditors(EditorSet{.optimizer = true});
        if (editors_.OptimizerOpen) {
            return false;
        }
    }
    if (!saved_) {
        const int answer = prompt_.choose(latin1(kCloseQuestion), kCloseButtons, kButton3);
        if (answer == kButton1) {
            const std::string name = view_.askSaveFileName();
            if (!name.empty()) {
                saveProject(name);
            }
            if (!saved_) {
                return false;
            }
        } else if (answer != kButton2) {
            return false;
        }
    }
    calc_.terminateThreads();
    writeSettings(env_.settings, env_.folders, prompt_);
    deleteRecovery();
    return true;
}

void Workspace::recoveryTick(std::chrono::steady_clock::time_point now) {
    if (changesSinceRecovery_ > 0 && now - lastRecovery_ >= kRecoveryInterval) {
        writeRecovery(now);
    }
}

std::string Workspace::recoveryFile() const {
    return recoveryFileFor(env_.folders.base, fileName_);
}

// ---- the project files

bool Workspace::mayDiscardChanges() {
    return saved_ ||
           prompt_.choose(latin1(kDiscardQuestion), kDiscardButtons, kButton2) == kButton1;
}

bool Workspace::newProject() {
    if (!mayDiscardChanges()) {
        return false;
    }
    pushUndo(kUndoNewProject);
    closeEditors(EditorSet{.chassis = true, .weiche = true});
    deleteRecovery();
    makeDefault(*project_);
    dialogFileName_.clear();
    setFile(kNoNameProject);
    saved_ = true;
    calc_.calcAllNew(*project_);
    refreshMenus();
    view_.showQuickGuide();
    view_.openProjectProperties();
    return true;
}

bool Workspace::loadProject(const std::string& file) {
    if (!fileExists(file)) {
        prompt_.showMessage(latin1(file) + " existiert nicht.");
        return false;
    }
    const ProjectOpenStatus status = readProject(file, true);
    if (status != ProjectOpenStatus::WrongFormat) {
        env_.settings.history.AddFile(file); // a refused file is not offered again
    }
    const bool opened = status == ProjectOpenStatus::Opened;
    if (opened) {
        saved_ = true;
        calc_.calcAllNew(*project_);
        toCheckForNewerChasssisFiles_ = true;
        newerDrivers_.request();
    }
    refreshMenus();
    return opened;
}

bool Workspace::loadRecent(int index) {
    if (index < 0 || index >= std::min(env_.settings.history.nFiles, kMaxRecentMenuEntries)) {
        return false;
    }
    // A copy: AddFile reorders the list the name comes from.
    const std::string file = env_.settings.history.filenames[index];
    return loadProject(file);
}

bool Workspace::saveProject(const std::string& dialogName) {
    const std::string name = projectSaveName(dialogName);
    if (name.empty()) {
        return false;
    }
    env_.settings.history.AddFile(name);
    const bool written = writeProjectFile(*project_, name, true, prompt_);
    if (written) {
        deleteRecovery();
        saved_ = true;
        const std::filesystem::path path(name);
        dialogFolder_ = withTrailingSeparator(path.parent_path().string());
        dialogFileName_ = path.filename().string();
        setFile(name);
    }
    refreshMenus();
    return written;
}

ProjectOpenStatus Workspace::readProject(const std::string& file, bool undoStep) {
    // Read into a copy: a file that is refused must leave the project exactly as it was. The
    // reader keeps what the file does not hold, so the copy starts as the current project.
    auto loaded = std::make_unique<TProjekt>(*project_);
    const ProjectOpenStatus status =
        openProjectFile(*loaded, file, env_.folders.projects, prompt_, fitVoiceCoilOfOldFile);
    if (status == ProjectOpenStatus::WrongFormat) {
        refreshMenus(); // the project, its name, the saved flag and the undo stack are unchanged
        return status;
    }
    if (status == ProjectOpenStatus::Opened) {
        recomputeDerivedDriverValues(*loaded);
    }
    if (undoStep) {
        pushUndo(kUndoLoadFile);
        closeEditors(EditorSet{.chassis = true, .weiche = true});
    }
    deleteRecovery(); // the changes of the project that is replaced were given up
    std::swap(project_, loaded);
    applyProgramWideOptions();
    if (status == ProjectOpenStatus::Opened) {
        const std::filesystem::path path(file);
        dialogFolder_ = withTrailingSeparator(path.parent_path().string());
        dialogFileName_ = path.filename().string();
        setFile(file);
    } else {
        // The default project replaced the project: it must not be saved under the old name, and
        // the charts must not go on showing the old results.
        dialogFileName_.clear();
        setFile(kNoNameProject);
        saved_ = true;
        calc_.calcAllNew(*project_);
    }
    refreshMenus();
    return status;
}

// ---- dialogs on the whole project

ProjectProperties Workspace::projectProperties() const {
    return propertiesOf(*project_);
}

void Workspace::acceptProjectProperties(const ProjectProperties& properties) {
    pushUndo(kUndoProjectProperties);
    closeEditors(EditorSet{.chassis = true, .weiche = true});
    applyProjectProperties(*project_, properties);
    changed(true);
}

DisplayOptionsInput Workspace::displayOptions() const {
    return displayOptionsInputOf(project_->option, env_.settings.useOption);
}

void Workspace::acceptDisplayOptions(const DisplayOptionsInput& input) {
    pushUndo(kUndoDisplayOptions);
    project_->option = sonora::acceptDisplayOptions(input);
    project_->saved = false;
    saved_ = false;
    noteChange();
    writeDisplayOptionSettings(env_.folders.settingsFile, input.allProjects, project_->option,
                               prompt_);
    env_.settings.useOption = input.allProjects;
    if (input.allProjects) {
        env_.settings.displayOptions = project_->option;
    }
    refreshMenus();
    view_.redrawCharts();
}

// ---- the window

void Workspace::setWindowWidth(int pixels) {
    windowWidth_ = pixels;
    refreshTitle();
}

std::string Workspace::title() const {
    return windowTitle(fileName_, windowWidth_);
}

MenuState Workspace::menuState() const {
    return computeMenuState(
        MenuInputs{*project_, editors_, env_.settings.history, undo_.label(0), referenceValid_});
}

std::string Workspace::undoCaption() const {
    return sonora::undoCaption(undo_.label(0));
}

// ---- helpers

void Workspace::pushUndo(const std::string& label) {
    undo_.push(*project_, label, currentNames());
}

UndoNames Workspace::currentNames() const {
    return UndoNames{fileName_, dialogFolder_, dialogFileName_};
}

void Workspace::changed(bool everything) {
    saved_ = false;
    noteChange();
    if (everything) {
        calc_.calcAllNew(*project_);
    } else {
        calc_.calcNew(*project_);
    }
    refreshMenus();
}

void Workspace::closeEditors(const EditorSet& editors) {
    view_.closeEditors(editors);
    if (editors.chassis) {
        editors_.CHEditorOpen = false;
        editors_.chassis = -1;
    }
    if (editors.weiche) {
        editors_.WEEditorOpen = false;
        editors_.weiche = -1;
    }
    if (editors.aktfilter) {
        editors_.AFEditorOpen = false;
        editors_.aktfilter = -1;
    }
    if (editors.gemgeh) {
        editors_.GemGehEditorOpen = false;
    }
}

void Workspace::refreshTitle() {
    view_.setTitle(title());
}

void Workspace::refreshMenus() {
    view_.updateMenus(menuState());
}

void Workspace::setFile(const std::string& path) {
    fileName_ = path;
    refreshTitle();
}

void Workspace::makeDefault(TProjekt& project) {
    makeDefaultProject(project, env_.folders.projects, prompt_);
    if (&project == project_.get()) {
        applyProgramWideOptions();
    }
}

void Workspace::applyProgramWideOptions() {
    if (env_.settings.useOption) {
        project_->option = env_.settings.displayOptions;
    }
}

void Workspace::noteChange() {
    if (++changesSinceRecovery_ >= kRecoveryChangeCount) {
        writeRecovery(std::chrono::steady_clock::now());
    }
}

void Workspace::writeRecovery(std::chrono::steady_clock::time_point now) {
    changesSinceRecovery_ = 0;
    lastRecovery_ = now;
    const std::string copy = recoveryFile();
    if (!recoveryWritten_.empty() && recoveryWritten_ != copy) {
        deleteRecovery(); // an undo gave the project another file name
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(copy).parent_path(), ec);
    // A failed copy is tried again with the next changes; the user is not bothered with it while
    // working, so its messages go nowhere.
    ScriptedPrompt quiet;
    if (writeProjectFile(*project_, copy, true, quiet)) {
        recoveryWritten_ = copy;
    }
}

void Workspace::deleteRecovery() {
    changesSinceRecovery_ = 0;
    if (!recoveryWritten_.empty()) {
        std::error_code ec;
        std::filesystem::remove(recoveryWritten_, ec);
        recoveryWritten_.clear();
    }
}

void Workspace::offerRecovery() {
    const std::string copy = recoveryFile();
    // A project never saved has no file to compare with.
    if (!isRecoveryNewer(copy, fileName_ == kNoNameProject ? std::string() : fileName_)) {
        return;
    }
    const int answer = prompt_.choose(latin1(kRecoveryQuestionStart) + latin1(fileName_) +
                                          latin1(kRecoveryQuestionEnd),
                                      latin1(kRecoveryButtons), kButton1);
    if (answer != kButton1) {
        std::error_code ec;
        std::filesystem::remove(copy, ec);
        return;
    }
    auto restored = std::make_unique<TProjekt>(*project_);
    if (readProjectFile(*restored, copy, true, prompt_, fitVoiceCoilOfOldFile) !=
        ProjectReadStatus::Ok) {
        return; // the messages named the copy; it stays for another try
    }
    recomputeDerivedDriverValues(*restored);
    // The file's own state stays one undo step away.
    pushUndo(kUndoRecovery);
    std::swap(project_, restored);
    applyProgramWideOptions();
    saved_ = false;
    project_->saved = false;
    recoveryWritten_ = copy; // it holds exactly this project until the next change
}

bool Workspace::waitForCalculation(std::chrono::milliseconds timeout) {
    while (!calc_.waitFinished(timeout)) {
        if (prompt_.choose(latin1(kWaitQuestion), kWaitButtons, kButton1) != kButton1) {
            return false;
        }
    }
    return true;
}

} // namespace sonora
