#include "app/shell/undo_stack.h"

#include <algorithm>

namespace sonora {

void UndoStack::shiftUp() {
    // Slot 20's block (or an empty slot) moves round to slot 0, where it is overwritten.
    std::rotate(slots_.rbegin(), slots_.rbegin() + 1, slots_.rend());
    std::rotate(labels_.rbegin(), labels_.rbegin() + 1, labels_.rend());
    std::rotate(names_.rbegin(), names_.rbegin() + 1, names_.rend());
}

void UndoStack::push(const TProjekt& project, const std::string& label, const UndoNames& names) {
    shiftUp();
    if (!slots_[0]) {
        slots_[0] = std::make_unique<TProjekt>(project);
    } else {
        *slots_[0] = project;
    }
    labels_[0] = label;
    names_[0] = names;
}

bool UndoStack::undo(TProjekt& project, UndoNames* names) {
    if (empty()) {
        return false;
    }
    project = *slots_[0];
    if (names != nullptr) {
        *names = names_[0];
    }
    drop();
    return true;
}

void UndoStack::drop() {
    // Slot 0's block goes to slot 20 and keeps its memory for the next push.
    std::rotate(slots_.begin(), slots_.begin() + 1, slots_.end());
    std::rotate(labels_.begin(), labels_.begin() + 1, labels_.end());
    std::rotate(names_.begin(), names_.begin() + 1, names_.end());
    labels_[kUndoSlots - 1].clear();
    names_[kUndoSlots - 1] = UndoNames{};
}

int UndoStack::size() const {
    return static_cast<int>(
        std::count_if(labels_.begin(), labels_.end(), [](const auto& l) { return !l.empty(); }));
}

const TProjekt* UndoStack::snapshot(int slot) const {
    const auto i = static_cast<std::size_t>(slot);
    return i < slots_.size() && !labels_[i].empty() ? slots_[i].get() : nullptr;
}

} // namespace sonora
