// The part library window of the crossover editor: one page per kind (resistors, coils,
// capacitors) listing the parts folder's entries, "Ausgewählt:" with the selection.
#pragma once

#include <QDialog>
#include <array>

#include "app/shell/crossover_editor_library.h"

class QLabel;
class QListWidget;
class QTabWidget;

namespace sonora::ui {

class PartLibraryDialog : public QDialog {
    Q_OBJECT
public:
    // Opens on the page of `dialog`'s kind with the entry equal to its value selected.
    PartLibraryDialog(PartLibrary library, const PartDialog& dialog, QWidget* parent = nullptr);

    const PartLibrary& library() const { return library_; }
    LibrarySelection selection() const;
    // Selects an entry (as a click would); an index outside the page clears the selection.
    void select(LibraryPage page, int entry);
    // The part dialog's values with the selected entry chosen; false for a separator or nothing.
    bool choose(PartDialog& dialog) const;

    QTabWidget* pages() const { return pages_; }
    QListWidget* list(LibraryPage page) const { return lists_[static_cast<int>(page)]; }
    QLabel* selectedLabel() const { return selected_; }

private:
    void showSelection();

    PartLibrary library_;
    QTabWidget* pages_;
    std::array<QListWidget*, kLibraryPages> lists_{};
    QLabel* selected_;
};

} // namespace sonora::ui
