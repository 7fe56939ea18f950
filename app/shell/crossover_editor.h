// The crossover editor without its window: the working copy of one amplifier's 375 part slots,
// the mouse actions on the schematic (with drag repetition), the part dialog, the free wires, the
// optimizer marks and the three ways of closing. The Qt window paints picture() and forwards its
// mouse events and buttons here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/shell/crossover_editor_dialogs.h"
#include "app/shell/crossover_editor_mouse.h"
#include "app/shell/crossover_editor_picture.h"
#include "model/records.h"
#include "model/user_prompt.h"

namespace sonora {

class Workspace;

// The questions of "&Ok" (UTF-8 here, handed to the prompt in Latin-1) and their buttons; button 1
// ("jetzt ändern") keeps the editor open.
inline constexpr char kNoAmplifierQuestion[] =
    "Es ist kein Verstärker an der Weiche \r\nangeschlossen. ";
inline constexpr char kNoDriverQuestion[] =
    "Es befindet sich kein Chassis in der Weiche.\rWozu ist dann die Weiche und der Verstärker "
    "gut?";
std::string crossoverCloseButtons(); // "jetzt ändern|soll so bleiben" in Latin-1
inline constexpr int kCloseKeepEditing = 1;

// Captions of the editor's buttons and switches (UTF-8).
inline constexpr char kCaptionApply[] = "&Übernehmen";
inline constexpr char kCaptionOk[] = "&Ok";
inline constexpr char kCaptionCancel[] = "&Abbruch";
inline constexpr char kCaptionMarkAll[] = "alle Bauteile zum Optimieren markieren";
inline constexpr char kCaptionMarkResistors[] = "nur Widerstände zum Optimieren markieren";
inline constexpr char kCaptionClearMarks[] = "alle Markierungen entfernen";
inline constexpr char kCaptionPartNumbers[] = "Bauteil Nr.";
inline constexpr char kCaptionNodeNumbers[] = "Knoten Nr.";
inline constexpr char kCaptionPrintView[] = "Druckansicht statt Editoransicht";
inline constexpr char kCaptionLabelView[] = "Bezeichnung anzeigen statt R-Wert bei Spulen";
inline constexpr char kCaptionNegative[] = "Polung negativ";
inline constexpr char kCaptionOptimize[] = "Bauteil optimieren";

// What a mouse press asks of the window.
struct PressOutcome {
    EditorAction action = EditorAction::None;
    int slot = -1;        // the slot under the pointer, -1 outside every slot
    bool changed = false; // the working copy changed: repaint
    // Edit: the window opens the part dialog for `slot` next to the pointer with
    // partDialog(slot) and hands the accepted dialog to acceptPartDialog.
    bool openPartDialog = false;
};

enum class CloseOutcome {
    KeepOpen, // the user chose "jetzt ändern"
    Closed,   // applied (OK) or dropped (cancel); the workspace knows the editor is closed
};

class CrossoverEditor {
public:
    // Opens on a copy of amplifier `amp`'s slots (amp is clamped to 0..5). `mouseCode` is the
    // assignment code ("TBWEopti"). The driver names for the drawing come from `project` and are
    // copied, so the project may change while the editor is open.
    CrossoverEditor(const TProjekt& project, int amp, std::int32_t mouseCode);

    int amp() const { return amp_; }
    const TAmp& working() const { return *working_; }
    const TPart& slot(int index) const { return working_->weiche[index]; }

    std::int32_t mouseCode() const { return mouseCode_; }
    // The key-assignment dialog's OK; the caller also stores the code in the settings.
    void setMouseCode(std::int32_t code) { mouseCode_ = code; }

    // ---- the schematic
    SchematicPicture picture(const SchematicOptions& options) const;

    // ---- mouse: press, moves while the button is down, release
    PressOutcome press(SchematicPoint p, MouseButton button, MouseModifiers modifiers,
                       int sizePreset);
    // Repeats the pressed action (wire, delete, reverse, toggle) on a slot the pointer moves into;
    // true when the working copy changed.
    bool move(SchematicPoint p);
    void release();
    bool dragging() const { return dragAction_ != EditorAction::None; }

    // ---- part dialog
    PartDialog partDialog(int slot) const;
    std::vector<std::string> driverChoices() const;
    void acceptPartDialog(int slot, const PartDialog& dialog);

    // ---- free wires
    FreeWires freeWires() const { return freeWiresOf(working_->weiche); }
    void acceptFreeWires(const FreeWires& wires) { applyFreeWires(working_->weiche, wires); }

    // ---- optimizer marks
    void markAll();           // kinds 2..4 marked, all others cleared
    void markResistorsOnly(); // resistors marked, all others cleared
    void clearMarks();

    // ---- closing
    // "&Übernehmen": the workspace stores the slots under the undo label "Weiche " + n +
    // " editieren", marks the project changed and recalculates; the editor stays open.
    void apply(Workspace& workspace);
    // "&Ok": the two questions, then apply and close.
    CloseOutcome ok(UserPrompt& prompt, Workspace& workspace);
    // "&Abbruch": close without applying.
    CloseOutcome cancel(Workspace& workspace);

private:
    bool act(EditorAction action, int slot); // true when the slot changed

    DriverNames drivers_;
    std::unique_ptr<TAmp> working_;
    int amp_;
    std::int32_t mouseCode_;

    // the drag in progress
    EditorAction dragAction_ = EditorAction::None;
    SchematicGeometry dragGeometry_{};
    int lastSlot_ = -1;        // the slot acted on last, so staying in it does not repeat
    bool toggleSet_ = false;   // the state the first toggled slot took
    bool toggleKnown_ = false; // a slot of the drag has been toggled
};

} // namespace sonora
