// The workspace's editor, undo, reference and other commands.
#include <algorithm>
#include <utility>

#include "app/shell/dropped_files.h"
#include "app/shell/workspace.h"
#include "app/shell/workspace_text.h"
#include "engine/driver_model.h"
#include "model/driver_copy.h"
#include "storage/file_io.h"
#include "storage/project_file.h"

namespace sonora {

using namespace workspace_text;

namespace {

bool validAmp(int amp) {
    return amp >= 0 && amp < kMaxAmps;
}
bool validDriver(int driver) {
    return driver >= 0 && driver < kMaxChassis;
}

} // namespace

// ---- editors

EditorOpen Workspace::openEditor(EditorKind editor, int index) {
    const auto refuse = [this](const std::string& utf8) {
        prompt_.showMessage(latin1(utf8));
        return EditorOpen::Refused;
    };
    const auto front = [this](EditorKind kind) {
        view_.bringEditorToFront(kind);
        return EditorOpen::AlreadyOpen;
    };
    const std::string n = std::to_string(index + 1);
    // The editing menus are off while the optimizer is open; the model keeps to that as well.
    const bool editingLocked = editors_.OptimizerOpen && editor != EditorKind::Optimizer;
    switch (editor) {
    case EditorKind::Chassis:
        if (editingLocked || index < 0 || index >= std::min<int>(project_->nChassis, kMaxChassis)) {
            return EditorOpen::Refused;
        }
        if (editors_.CHEditorOpen) {
            return editors_.chassis == index
                       ? front(editor)
                       : refuse("Editieren von Chassis " + n +
                                " nicht möglich, da Chassis-Editor gerade mit anderem Chassis "
                                "geöffnet ist.");
        }
        editors_.CHEditorOpen = true;
        editors_.chassis = index;
        break;
    case EditorKind::Weiche:
        if (editingLocked || index < 0 || index >= std::min<int>(project_->nAmps, kMaxAmps)) {
            return EditorOpen::Refused;
        }
        if (editors_.WEEditorOpen) {
            return editors_.weiche == index
                       ? front(editor)
                       : refuse("Passive Weiche editieren von Verstärker " + n +
                                " nicht möglich, da Weicheneditor gerade mit anderer Weiche "
                                "eöffnet ist.");
        }
        editors_.WEEditorOpen = true;
        editors_.weiche = index;
        break;
    case EditorKind::Aktfilter:
        if (editingLocked || index < 0 || index >= std::min<int>(project_->nAmps, kMaxAmps)) {
            return EditorOpen::Refused;
        }
        if (editors_.AFEditorOpen) {
            return editors_.aktfilter == index
                       ? front(editor)
                       : refuse("Aktive Filter von Verstärker " + n +
                                " editieren nicht möglich, da Editor gerade mit anderen aktiven "
                                "Filtern geöffnet ist.");
        }
        editors_.AFEditorOpen = true;
        editors_.aktfilter = index;
        break;
    case EditorKind::GemGeh:
        if (editingLocked) {
            return EditorOpen::Refused;
        }
        if (editors_.GemGehEditorOpen) {
            return front(editor);
        }
        editors_.GemGehEditorOpen = true;
        break;
    case EditorKind::Optimizer: {
        if (editors_.OptimizerOpen) {
            return front(editor);
        }
        if (!waitForCalculation(kCalcWaitTimeout)) {
            return EditorOpen::Refused;
        }
        bool blocked = false;
        const auto block = [&](bool open, EditorKind kind, const char* message) {
            if (open) {
                prompt_.showMessage(latin1(message));
                view_.bringEditorToFront(kind);
                blocked = true;
            }
        };
        block(editors_.WEEditorOpen, EditorKind::Weiche, "Bitte erst Weichheneditor schließen.");
        block(editors_.CHEditorOpen, EditorKind::Chassis, "Bitte erst Chasssiseditor schließen.");
        block(editors_.AFEditorOpen, EditorKind::Aktfilter,
              "Bitte erst Editor für aktive Filter schließen.");
        if (blocked) {
            return EditorOpen::Refused;
        }
        editors_.OptimizerOpen = true;
        break;
    }
    }
    refreshMenus();
    return EditorOpen::Open;
}

bool Workspace::mayOpenCrossingFinder() {
    return waitForCalculation(kCalcWaitTimeout);
}

void Workspace::acceptFolders(const BaseFolders& base, bool usePresets,
                              const FolderPresets& texts) {
    closeFoldersDialog(env_, base, usePresets, texts, prompt_);
}

void Workspace::editorClosed(EditorKind editor) {
    switch (editor) {
    case EditorKind::Chassis:
        editors_.CHEditorOpen = false;
        editors_.chassis = -1;
        break;
    case EditorKind::Weiche:
        editors_.WEEditorOpen = false;
        editors_.weiche = -1;
        break;
    case EditorKind::Aktfilter:
        editors_.AFEditorOpen = false;
        editors_.aktfilter = -1;
        break;
    case EditorKind::GemGeh:
        editors_.GemGehEditorOpen = false;
        break;
    case EditorKind::Optimizer:
        editors_.OptimizerOpen = false;
        break;
    }
    refreshMenus();
}

void Workspace::acceptCrossover(int amp, const TAmp& edited) {
    if (!validAmp(amp)) {
        return;
    }
    pushUndo(crossoverUndoLabel(amp));
    std::copy_n(edited.weiche, kUsedPartSlots, project_->amp[amp].weiche);
    changed(false);
}

void Workspace::acceptActiveFilter(int amp, const TAktfilter& edited) {
    if (!validAmp(amp)) {
        return;
    }
    pushUndo(activeFilterUndoLabel(amp));
    project_->amp[amp].aktfilter = edited;
    changed(false);
}

void Workspace::acceptDriver(int driver, const TChassis& chassis, const TEinbau& einbau,
                             const TSchallwand& schallwand) {
    if (!validDriver(driver)) {
        return;
    }
    pushUndo(driverUndoLabel(driver));
    project_->chassis[driver] = chassis;
    project_->einbau[driver] = einbau;
    project_->schallwand[driver] = schallwand;
    changed(false);
}

void Workspace::acceptSharedCabinet(const TGemGeh& gemgeh,
                                    std::span<const TSchallwand, kMaxChassis> schallwand) {
    pushUndo(kUndoSharedCabinet);
    project_->Gemgeh = gemgeh;
    std::copy(schallwand.begin(), schallwand.end(), project_->schallwand);
    changed(false);
}

void Workspace::applyOptimizerResult(const TProjekt& optimized) {
    pushUndo(kUndoOptimizerResult);
    *project_ = optimized;
    changed(false);
}

void Workspace::restoreOptimizerStart(const TProjekt& start, bool marksAdded) {
    *project_ = start;
    if (marksAdded) {
        changed(false);
    } else {
        calc_.calcNew(*project_); // the charts showed the optimizer's designs
    }
}

void Workspace::beginDriverCopy() {
    pushUndo(kUndoDriverCopy);
    driverCopySnapshot_ = true;
    refreshMenus();
}

void Workspace::acceptDriverCopy(const DriverCopyRequest& r) {
    if (!driverCopySnapshot_) {
        pushUndo(kUndoDriverCopy);
    }
    driverCopySnapshot_ = false;
    const DriverCopyOptions options{r.withEinbau, r.withSchallwand};
    const bool done = r.swap ? swapDrivers(*project_, r.source, r.target, options)
                             : copyDriver(*project_, r.source, r.target, options);
    if (!done) {
        undo_.drop(); // nothing changed: no step to undo
        refreshMenus();
        return;
    }
    changed(false);
}

void Workspace::cancelDriverCopy() {
    if (driverCopySnapshot_) {
        undo_.drop();
        driverCopySnapshot_ = false;
    }
    refreshMenus();
}

// ---- undo

void Workspace::undo() {
    closeEditors(EditorSet{.chassis = true, .weiche = true, .aktfilter = true});
    UndoNames names;
    if (!undo_.undo(*project_, &names)) {
        refreshMenus();
        return;
    }
    // The snapshot's own file: saving it again must not go over the file that replaced it.
    fileName_ = names.file.empty() ? std::string(kNoNameProject) : names.file;
    dialogFolder_ = names.dialogFolder;
    dialogFileName_ = names.dialogFileName;
    refreshTitle();
    calc_.calcNew(*project_);
    saved_ = false;
    noteChange();
    refreshMenus();
}

// ---- reference project

void Workspace::rememberReference() {
    if (!waitForCalculation(std::chrono::milliseconds{0})) {
        return;
    }
    *reference_ = *project_;
    referenceValid_ = true;
    view_.rememberComparison(ComparisonCharts::All);
    refreshMenus();
}

void Workspace::restoreReference() {
    if (!referenceValid_) {
        return;
    }
    closeEditors(EditorSet{.chassis = true, .weiche = true, .aktfilter = true});
    pushUndo(kUndoRestoreReference);
    *project_ = *reference_;
    changed(true);
}

void Workspace::swapWithReference() {
    if (!referenceValid_ || !waitForCalculation(kCalcWaitTimeout)) {
        return;
    }
    pushUndo(kUndoSwapReference);
    view_.rememberComparison(ComparisonCharts::WithoutDirectivity);
    closeEditors(EditorSet{.chassis = true, .weiche = true, .aktfilter = true});
    std::swap(project_, reference_); // the two blocks change owners, nothing is copied
    changed(true);
}

void Workspace::deleteReference() {
    referenceValid_ = false;
    view_.clearComparison();
    refreshMenus();
}

// ---- other commands

void Workspace::filesDropped(const std::vector<std::string>& names) {
    if (editors_.anyOpen()) {
        return; // the window does not accept drops while an editor is open
    }
    const DropDecision d = classifyDroppedFiles(names);
    if (d.kind == DropKind::OneFile) {
        const std::string& file = d.files.front();
        const int answer =
            prompt_.choose(latin1(file) + "\r\n" + "laden?", latin1(kDropButtons), kButton2);
        if (answer == kButton1) {
            if (mayDiscardChanges()) {
                loadProject(file);
            }
        } else if (answer == kButton2) {
            view_.startInstance(file);
        }
    } else if (d.kind == DropKind::Several) {
        for (const std::string& file : d.files) {
            view_.startInstance(file);
        }
    }
}

void Workspace::newerDriverTick() {
    if (!toCheckForNewerChasssisFiles_) {
        return;
    }
    NewerDriverTickResult r = newerDrivers_.tick(*project_, prompt_);
    switch (r.outcome) {
    case NewerDriverOutcome::Idle:
        toCheckForNewerChasssisFiles_ = false;
        break;
    case NewerDriverOutcome::Reloaded:
        if (r.chassis && validDriver(r.driver)) {
            pushUndo(r.undoLabel);
            TChassis& c = project_->chassis[r.driver];
            c = *r.chassis;
            deriveAsMounted(c, project_->einbau[r.driver]);
            changed(false);
        }
        break;
    default: // busy, no match, declined, load failed: the next tick goes on
        break;
    }
}

bool Workspace::startCabinetVisualisation(const std::string& program) {
    if (!fileExists(program)) {
        prompt_.showMessage(latin1(program) + " nicht gefunden.");
        return false;
    }
    std::string error;
    const std::string description = writeCabinetDescription(*project_, paths_.tempFolder, error);
    if (description.empty()) {
        prompt_.showMessage(latin1(error));
        return false;
    }
    view_.startProgram(program, description, paths_.programFolder);
    return true;
}

} // namespace sonora
