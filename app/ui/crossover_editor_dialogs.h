// The crossover editor's small dialogs over their models: the part dialog (kind, value in µF,
// mH or Ohm, polarity, optimizer mark, label, driver, the part library), the eight free wires
// and the key assignment of the mouse.
#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include "app/shell/crossover_editor_dialogs.h"
#include "app/shell/crossover_editor_mouse.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sonora::ui {

class PartDialogWindow : public QDialog {
    Q_OBJECT
public:
    // `drivers`: the driver choice, one entry per driver of the project (index = chassisnr).
    // `partsFolder`: where the part library reads its files (UTF-8).
    PartDialogWindow(const PartDialog& start, const std::vector<std::string>& drivers,
                     std::string partsFolder, QWidget* parent = nullptr);

    PartDialog values() const;
    void setValues(const PartDialog& dialog);

    QComboBox* kindChoice() const { return kind_; }
    QLineEdit* valueField() const { return value_; }
    QLineEdit* resistanceField() const { return resistance_; }
    QCheckBox* negativeBox() const { return negative_; }
    QCheckBox* optimizeBox() const { return optimize_; }
    QLineEdit* labelField() const { return label_; }
    QComboBox* driverChoice() const { return driver_; }
    QPushButton* libraryButton() const { return library_; }

    // Opens the part library on the page of the current kind (window-modal).
    void openLibrary();

private:
    void kindChanged();

    std::string partsFolder_;
    int hiddenDriver_ = 0; // a chassisnr beyond the project's drivers, kept when not changed
    QComboBox* kind_;
    QLabel* valueUnit_;
    QLineEdit* value_;
    QLabel* resistanceCaption_;
    QLineEdit* resistance_;
    QCheckBox* negative_;
    QCheckBox* optimize_;
    QLineEdit* label_;
    QComboBox* driver_;
    QPushButton* library_;
};

// Moves `dialog` next to `global` (the pointer), kept on the screen that holds the point.
void placeNextToPointer(QWidget* dialog, QPoint global);

class FreeWiresDialog : public QDialog {
    Q_OBJECT
public:
    explicit FreeWiresDialog(const FreeWires& start, QWidget* parent = nullptr);
    // The entries with node numbers read and clamped to 0..132.
    FreeWires values() const;

    QCheckBox* onBox(int index) const { return rows_[index].on; }
    QLineEdit* node1Field(int index) const { return rows_[index].nod1; }
    QLineEdit* node2Field(int index) const { return rows_[index].nod2; }

private:
    struct Row {
        QCheckBox* on;
        QLineEdit* nod1;
        QLineEdit* nod2;
    };
    std::array<Row, kFreeWires> rows_{};
};

class MouseAssignmentDialog : public QDialog {
    Q_OBJECT
public:
    explicit MouseAssignmentDialog(std::int32_t code, QWidget* parent = nullptr);
    std::int32_t code() const;
    // Position 1..6 as the code counts them.
    QComboBox* choice(int position) const { return choices_[position - 1]; }

private:
    std::array<QComboBox*, kMouseCombinations> choices_{};
};

} // namespace sonora::ui
