// The driver copy and swap dialog: source driver, "kopieren nach" or "tauschen mit", target
// driver and the two options. The workspace took its undo snapshot when the dialog opened; OK
// applies the request, cancel drops the snapshot.
#pragma once

#include <QDialog>

#include "app/shell/workspace.h"

class QCheckBox;
class QComboBox;

namespace sonora::ui {

class DriverCopyDialog : public QDialog {
    Q_OBJECT
public:
    // Lists the drivers below `project.nChassis` by number and name.
    explicit DriverCopyDialog(const TProjekt& project, QWidget* parent = nullptr);

    DriverCopyRequest request() const;

    QComboBox* sourceChoice() const { return source_; }
    QComboBox* actionChoice() const { return action_; }
    QComboBox* targetChoice() const { return target_; }
    QCheckBox* einbauSwitch() const { return einbau_; }
    QCheckBox* schallwandSwitch() const { return schallwand_; }

private:
    QComboBox* source_ = nullptr;
    QComboBox* action_ = nullptr; // 0 "kopieren nach", 1 "tauschen mit"
    QComboBox* target_ = nullptr;
    QCheckBox* einbau_ = nullptr;
    QCheckBox* schallwand_ = nullptr;
};

} // namespace sonora::ui
