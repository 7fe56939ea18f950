// The shared-cabinet editor "gemeinsames Außengehäuse": a modeless window with the cabinet's
// outer dimensions, bevels and front edge switches, one row per driver (eight to a page) with
// face and position, and a preview of the cabinet with its outlets. Apply derives the drivers'
// baffles and hands them to the workspace.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "acoustics/shared_cabinet_dialog.h"
#include "model/records.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace sonora {
class Workspace;
}

namespace sonora::ui {

class CabinetPreviewWidget;

class SharedCabinetEditor : public QDialog {
    Q_OBJECT
public:
    explicit SharedCabinetEditor(Workspace& workspace, QWidget* parent = nullptr);
    ~SharedCabinetEditor() override;

    // The widgets of one driver row (slots below nChassis only).
    struct Row {
        QGroupBox* box = nullptr;
        QCheckBox* use = nullptr;       // "gem. Außengehäuse"
        QComboBox* face = nullptr;      // "Abstrahlrichtung"
        QLineEdit* a = nullptr;         // "Maß a", cm
        QLineEdit* c = nullptr;         // "Maß c", cm
        QComboBox* rearSide = nullptr;  // "gleiche Seite wie Chassis" / "gegenüber von Chassis"
        QLineEdit* ar = nullptr;        // "Maß a" of the rear outlet, cm
        QLineEdit* cr = nullptr;        // "Maß c" of the rear outlet, cm
        std::vector<QWidget*> position; // shown while the switch is on
        std::vector<QWidget*> rear;     // shown for a vented enclosure as well
    };

    // The cabinet's entries: h, b, t, then the bevels left, right, top, bottom (cm).
    enum CabinetField { H, B, T, Fasl, Fasr, Faso, Fasu, kCabinetFields };
    QLineEdit* cabinetField(CabinetField field) const { return cabinet_[field]; }
    // The front edge switches, in the order left, top, right, bottom.
    QCheckBox* edgeSwitch(int edge) const { return edges_[edge]; }
    const Row& row(int slot) const { return rows_[static_cast<std::size_t>(slot)]; }
    int rowCount() const { return static_cast<int>(rows_.size()); }
    QTabWidget* pages() const { return pages_; }
    QCheckBox* previewSwitch() const { return previewSwitch_; }
    CabinetPreviewWidget* preview() const { return preview_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    // The entries as they stand.
    const SharedCabinetDialog& entries() const { return dialog_; }

    // "&Übernehmen": the cabinet and the derived baffles to the workspace (undo step and
    // recalculation).
    void apply();

    void done(int result) override; // closing clears the preview switch

private:
    QWidget* buildCabinetPage();
    QWidget* buildDriverPage(int page);
    void readEntries();        // the widgets into dialog_
    void refreshRow(int slot); // the row's fields shown as the switch and enclosure say
    void refreshPreview();

    Workspace& workspace_;
    SharedCabinetDialog dialog_;
    std::unique_ptr<TProjekt> scratch_; // the project with the entries applied, for the preview

    QTabWidget* pages_ = nullptr;
    QLineEdit* cabinet_[kCabinetFields] = {};
    QCheckBox* edges_[4] = {};
    std::vector<Row> rows_;
    QCheckBox* previewSwitch_ = nullptr;
    CabinetPreviewWidget* preview_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace sonora::ui
