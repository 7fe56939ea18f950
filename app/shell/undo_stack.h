// The undo stack: 21 project snapshots with their labels, slot 0 the most recent.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "model/records.h"

namespace sonora {

inline constexpr int kUndoSlots = 21;

// The file a snapshot belonged to: the path in the title and the names the file dialogs offered.
struct UndoNames {
    std::string file;           // full path, or "noname.LSP"
    std::string dialogFolder;   // with trailing separator
    std::string dialogFileName; // empty for a project never saved
    bool operator==(const UndoNames&) const = default;
};

// Snapshots are whole projects (several MB each), so every slot is one heap block that is
// allocated when first used and then reused: pushing and popping rotate the blocks and copy only
// the one project that goes in or comes out.
class UndoStack {
public:
    // Shifts slots 0..19 into 1..20 (the old slot 20 is lost) and stores `project` with `label`
    // (UTF-8) and the names of its file in slot 0.
    void push(const TProjekt& project, const std::string& label, const UndoNames& names = {});
    // Copies slot 0 into `project` (and its names into `names` when given), then shifts slots
    // 1..20 into 0..19 and clears label 20. False, and nothing changed, when the stack is empty.
    bool undo(TProjekt& project, UndoNames* names = nullptr);
    // The same shift without restoring.
    void drop();

    // An empty label in slot 0 means the stack is empty.
    bool empty() const { return labels_[0].empty(); }
    const std::string& label(int slot) const { return labels_.at(static_cast<std::size_t>(slot)); }
    // Snapshots held (labels that are not empty).
    int size() const;
    // The snapshot in `slot`, or null when the slot is empty.
    const TProjekt* snapshot(int slot) const;
    const UndoNames& names(int slot) const { return names_.at(static_cast<std::size_t>(slot)); }

private:
    void shiftUp();
    std::array<std::unique_ptr<TProjekt>, kUndoSlots> slots_;
    std::array<std::string, kUndoSlots> labels_;
    std::array<UndoNames, kUndoSlots> names_;
};

} // namespace sonora
