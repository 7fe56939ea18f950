// "Trennfrequenzbestimmung": two check lists of the project's drivers whose ticks exclude each
// other, and the crossings of the two groups' on-axis levels, recomputed on every change.
#pragma once

#include <QDialog>
#include <functional>

#include "analysis/crossover_finder.h"
#include "model/records.h"
#include "model/result.h"

class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;

namespace sonora::ui {

// The main window's copy of the last result, read at every recomputation (null: none yet).
using FinderResultSource = std::function<const TResult*()>;

class CrossoverFinderWindow : public QDialog {
    Q_OBJECT
public:
    CrossoverFinderWindow(const TProjekt& project, FinderResultSource result,
                          QWidget* parent = nullptr);

    // Fills both lists with the project's drivers; the ticks of drivers that remain are kept.
    void fill(const TProjekt& project);
    // The result memo from the current ticks and result (also after a new result arrived).
    void recompute();

    QListWidget* groupList(int group) const { return group == 1 ? list1_ : list2_; }
    QPlainTextEdit* resultMemo() const { return memo_; }
    QPushButton* closeButton() const { return close_; }
    const GroupTicks& ticks() const { return ticks_; }

private:
    void ticked(int group, QListWidgetItem* item);
    void showTicks();

    FinderResultSource result_;
    GroupTicks ticks_;
    QListWidget* list1_ = nullptr;
    QListWidget* list2_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPushButton* close_ = nullptr;
};

// Opens the finder of `parent` (one at a time: an open one is refilled and brought to the front).
// It deletes itself when closed.
CrossoverFinderWindow* showCrossoverFinder(QWidget* parent, const TProjekt& project,
                                           FinderResultSource result);

} // namespace sonora::ui
