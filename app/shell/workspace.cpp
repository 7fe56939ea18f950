#include "app/shell/workspace.h"

#include <filesystem>
#include <utility>

#include "app/shell/title.h"
#include "app/shell/workspace_text.h"
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
      reference_(std::make_unique<TProjekt>()), newerDrivers_(env_.folders.drivers) {
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
        readProject(*argument);
    } else {
        // A first start has no default project file yet: the default project stays, silently.
        const std::string file = env_.folders.projects + kDefaultProjectFile;
        if (fileExists(file)) {
            readProject(file);
        }
    }
    saved_ = true;
    toCheckForNewerChasssisFiles_ = true;
    newerDrivers_.request();
    refreshMenus();
    calc_.calcNew(*project_);
    referenceValid_ = false;
    refreshTitle();
    refreshMenus();
    return StartUpOutcome::Running;
}

WindowPlacement Workspace::windowPlacement(ScreenSize screen) const {
    return startWindowPlacement(env_.settings.window, screen);
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
    return true;
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
    pushUndo(kUndoLoadFile);
    closeEditors(EditorSet{.chassis = true, .weiche = true});
    env_.settings.history.AddFile(file);
    const bool opened = readProject(file);
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
        saved_ = true;
        const std::filesystem::path path(name);
        dialogFolder_ = withTrailingSeparator(path.parent_path().string());
        dialogFileName_ = path.filename().string();
        setFile(name);
    }
    refreshMenus();
    return written;
}

bool Workspace::readProject(const std::string& file) {
    switch (openProjectFile(*project_, file, env_.folders.projects, prompt_)) {
    case ProjectOpenStatus::Opened: {
        applyProgramWideOptions();
        const std::filesystem::path path(file);
        dialogFolder_ = withTrailingSeparator(path.parent_path().string());
        dialogFileName_ = path.filename().string();
        setFile(file);
        refreshMenus();
        return true;
    }
    case ProjectOpenStatus::NotAProjectFile:
        // The default project replaced the project: it must not be saved under the old name, and
        // the charts must not go on showing the old results.
        applyProgramWideOptions();
        dialogFileName_.clear();
        setFile(kNoNameProject);
        saved_ = true;
        calc_.calcAllNew(*project_);
        refreshMenus();
        return false;
    case ProjectOpenStatus::WrongFormat:
        refreshMenus(); // the project is unchanged
        return false;
    }
    return false;
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
    undo_.push(*project_, label);
}

void Workspace::changed(bool everything) {
    saved_ = false;
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

bool Workspace::waitForCalculation(std::chrono::milliseconds timeout) {
    while (!calc_.waitFinished(timeout)) {
        if (prompt_.choose(latin1(kWaitQuestion), kWaitButtons, kButton1) != kButton1) {
            return false;
        }
    }
    return true;
}

} // namespace sonora
