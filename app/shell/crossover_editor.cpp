#include "app/shell/crossover_editor.h"

#include <algorithm>
#include <limits>

#include "app/shell/workspace.h"
#include "model/crossover_grid.h"
#include "storage/latin1.h"

namespace sonora {

std::string crossoverCloseButtons() {
    return utf8ToLatin1("jetzt ändern|soll so bleiben");
}

CrossoverEditor::CrossoverEditor(const TProjekt& project, int amp, std::int32_t mouseCode)
    : drivers_(driverNamesOf(project)), working_(std::make_unique<TAmp>()),
      amp_(std::clamp(amp, 0, kMaxAmps - 1)), mouseCode_(mouseCode) {
    *working_ = project.amp[amp_];
    // The grid slots' nodes are fixed by their position; a project from the reader has them, and
    // setting them here keeps the hit test and the solver in agreement for any other source.
    assignGridNodes(working_->weiche);
}

SchematicPicture CrossoverEditor::picture(const SchematicOptions& options) const {
    return drawSchematic(working_->weiche, drivers_, options);
}

bool CrossoverEditor::act(EditorAction action, int index) {
    TPart& part = working_->weiche[index];
    switch (action) {
    case EditorAction::MakeWire:
        if (part.typ == kPartWire) {
            return false;
        }
        part.typ = kPartWire;
        return true;
    case EditorAction::Delete:
        if (part.typ == kPartEmpty) {
            return false;
        }
        part.typ = kPartEmpty;
        return true;
    case EditorAction::ReversePolarity:
        // 1 - v, kept inside the field's range (a read value of -32768 would wrap around).
        part.verpolt = static_cast<std::int16_t>(
            std::min(1 - int{part.verpolt}, int{std::numeric_limits<std::int16_t>::max()}));
        return true;
    case EditorAction::ToggleOptimization: {
        // Every slot takes the flip, so that the slot a drag starts on decides its state even when
        // it is a wire. Marks on slots other than resistors, capacitors and coils are not drawn,
        // counted or varied by the optimizer.
        if (!toggleKnown_) {
            toggleSet_ = !part.bOptimize;
            toggleKnown_ = true;
        }
        const bool before = part.bOptimize;
        part.bOptimize = toggleSet_;
        return before != part.bOptimize;
    }
    case EditorAction::Edit:
    case EditorAction::None:
        break;
    }
    return false;
}

PressOutcome CrossoverEditor::press(SchematicPoint p, MouseButton button, MouseModifiers modifiers,
                                    int sizePreset) {
    release();
    PressOutcome out;
    const SchematicGeometry g = schematicGeometry(sizePreset);
    out.slot = hitSlot(g, p);
    if (out.slot < 0) {
        return out;
    }
    out.action = actionFor(mouseCode_, button, modifiers);
    switch (out.action) {
    case EditorAction::None:
        break;
    case EditorAction::Edit:
        out.openPartDialog = true;
        break;
    default:
        dragAction_ = out.action;
        dragGeometry_ = g;
        lastSlot_ = out.slot;
        out.changed = act(out.action, out.slot);
        break;
    }
    return out;
}

bool CrossoverEditor::move(SchematicPoint p) {
    if (dragAction_ == EditorAction::None) {
        return false;
    }
    const int s = hitSlot(dragGeometry_, p);
    if (s < 0 || s == lastSlot_) {
        return false;
    }
    lastSlot_ = s;
    return act(dragAction_, s);
}

void CrossoverEditor::release() {
    dragAction_ = EditorAction::None;
    lastSlot_ = -1;
    toggleKnown_ = false;
    toggleSet_ = false;
}

PartDialog CrossoverEditor::partDialog(int index) const {
    return partDialogOf(working_->weiche[std::clamp(index, 0, kUsedPartSlots - 1)]);
}

std::vector<std::string> CrossoverEditor::driverChoices() const {
    return partDriverChoices(drivers_);
}

void CrossoverEditor::acceptPartDialog(int index, const PartDialog& dialog) {
    if (index < 0 || index >= kUsedPartSlots) {
        return;
    }
    TPart& part = working_->weiche[index];
    part = partOfDialog(dialog, part);
}

void CrossoverEditor::markAll() {
    for (int i = 0; i < kUsedPartSlots; ++i) {
        TPart& part = working_->weiche[i];
        part.bOptimize = partMayOptimize(part.typ);
    }
}

void CrossoverEditor::markResistorsOnly() {
    for (int i = 0; i < kUsedPartSlots; ++i) {
        TPart& part = working_->weiche[i];
        part.bOptimize = part.typ == kPartResistor;
    }
}

void CrossoverEditor::clearMarks() {
    for (int i = 0; i < kUsedPartSlots; ++i) {
        working_->weiche[i].bOptimize = false;
    }
}

void CrossoverEditor::apply(Workspace& workspace) {
    workspace.acceptCrossover(amp_, *working_);
}

CloseOutcome CrossoverEditor::ok(UserPrompt& prompt, Workspace& workspace) {
    bool amplifier = false;
    bool driver = false;
    for (int i = 0; i < kUsedPartSlots; ++i) {
        amplifier = amplifier || working_->weiche[i].typ == kPartAmplifier;
        driver = driver || working_->weiche[i].typ == kPartDriver;
    }
    const std::string buttons = crossoverCloseButtons();
    if (!amplifier && prompt.choose(utf8ToLatin1(kNoAmplifierQuestion), buttons,
                                    kCloseKeepEditing) == kCloseKeepEditing) {
        return CloseOutcome::KeepOpen;
    }
    if (!driver && prompt.choose(utf8ToLatin1(kNoDriverQuestion), buttons, kCloseKeepEditing) ==
                       kCloseKeepEditing) {
        return CloseOutcome::KeepOpen;
    }
    release();
    apply(workspace);
    workspace.editorClosed(EditorKind::Weiche);
    return CloseOutcome::Closed;
}

CloseOutcome CrossoverEditor::cancel(Workspace& workspace) {
    release();
    workspace.editorClosed(EditorKind::Weiche);
    return CloseOutcome::Closed;
}

} // namespace sonora
