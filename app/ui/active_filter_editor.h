// The active-filter editor: a modeless window over a copy of one amplifier's level and its 12
// filter stages, with the chain's magnitude and phase drawn live; "&Übernehmen" and "&Ok" hand
// the copy to the workspace ("Aktives Filter " + n + " editieren").
#pragma once

#include <QDialog>

#include "model/records.h"
#include "model/user_prompt.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace sonora {
class Workspace;
}

namespace sonora::ui {

class ChartView;

class ActiveFilterEditor : public QDialog {
    Q_OBJECT
public:
    // Edits a copy of amplifier `amp`'s chain (0-based); messages of the entry rules go to
    // `prompt` (Latin-1 texts).
    ActiveFilterEditor(Workspace& workspace, UserPrompt& prompt, int amp,
                       QWidget* parent = nullptr);
    ~ActiveFilterEditor() override;

    int amp() const { return amp_; }
    const TAktfilter& chain() const { return chain_; } // the edited copy
    int currentStage() const { return stage_; }
    void selectStage(int stage);

    // Reads the level field and hands the copy to the workspace (undo step and recalculation).
    void apply();

    void done(int result) override; // closing reads no more entries

    QListWidget* stageList() const { return stages_; }
    QComboBox* kindList() const { return kind_; }
    QTableWidget* parameterTable() const { return parameters_; }
    QLineEdit* levelField() const { return level_; }
    QCheckBox* optimizeLevelSwitch() const { return optimizeLevel_; }
    QCheckBox* optimizeStageSwitch() const { return optimizeStage_; }
    ChartView* chart() const { return chart_; }
    QLabel* checkText() const { return check_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void showStage();         // kind, parameter rows and switch of the current stage
    void fillParameterRows(); // only the parameters of the current stage's kind
    void kindChosen(int typ);
    void parameterEdited(int row, int column);
    void readLevel(); // the level rule: an entry that is not a usable level becomes 0 dB
    void refreshStageCaption(int stage);
    void refreshChart();

    Workspace& workspace_;
    UserPrompt& prompt_;
    const int amp_;
    TAktfilter chain_;
    int stage_ = 0;
    bool closing_ = false;

    QLineEdit* level_ = nullptr;
    QCheckBox* optimizeLevel_ = nullptr;
    QListWidget* stages_ = nullptr;
    QGroupBox* stageBox_ = nullptr;
    QComboBox* kind_ = nullptr;
    QTableWidget* parameters_ = nullptr;
    QCheckBox* optimizeStage_ = nullptr;
    ChartView* chart_ = nullptr;
    QLabel* check_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace sonora::ui
