// The project-properties dialog: counts of amplifiers and drivers, the frequency grid with its
// three presets, and the two comment lines. It only collects the values; the rules are applied by
// the workspace when the dialog is accepted.
#pragma once

#include <QDialog>

#include "app/shell/project_properties.h"

class QLineEdit;
class QSpinBox;

namespace sonora::ui {

class NumberField;

class ProjectPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProjectPropertiesDialog(const ProjectProperties& start, QWidget* parent = nullptr);

    // What the fields hold now. A number field without a number keeps the start value.
    ProjectProperties values() const;
    void setValues(const ProjectProperties& values);

    QSpinBox* ampsField() const { return amps_; }
    QSpinBox* driversField() const { return drivers_; }
    NumberField* fMinField() const { return fMin_; }
    NumberField* fMaxField() const { return fMax_; }
    QLineEdit* pointsField() const { return points_; }
    QLineEdit* comment1Field() const { return comment1_; }
    QLineEdit* comment2Field() const { return comment2_; }

private:
    void applyPreset(GridPreset preset);

    ProjectProperties start_;
    QSpinBox* amps_ = nullptr;
    QSpinBox* drivers_ = nullptr;
    NumberField* fMin_ = nullptr;
    NumberField* fMax_ = nullptr;
    QLineEdit* points_ = nullptr;
    QLineEdit* comment1_ = nullptr;
    QLineEdit* comment2_ = nullptr;
};

} // namespace sonora::ui
