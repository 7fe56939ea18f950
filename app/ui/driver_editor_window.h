// The driver editor: one modeless window for one driver of the project. It works on copies of
// the driver's TChassis, TEinbau and TSchallwand; "&Übernehmen" and "&Ok" hand them to the
// workspace (undo step "Chassis " + n + " editieren"), "&Abbruch" drops them.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/shell/workspace.h"
#include "app/ui/driver_editor_fields.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QTabWidget;

namespace sonora::ui {

class BaffleDrawing;
class ChartView;
class CurveTable;
class DirectionsPage;
class NumberField;

// Positions of the damping sliders: 0 "keine Wolle" .. 4 "stark gestopft".
inline constexpr int kDampingSliderMax = 4;

// The four measured-curve tables.
enum class CurveKind { Level, Phase, Impedance, ImpedancePhase };

class DriverEditor : public QWidget {
    Q_OBJECT
public:
    // Edits driver `driver` (from 0) of the workspace's project; messages and questions go to
    // `prompt`. A window of its own above `parent`.
    DriverEditor(Workspace& workspace, int driver, UserPrompt& prompt, QWidget* parent = nullptr);
    ~DriverEditor() override;

    int driver() const { return driver_; }

    // The buttons' actions after their file dialogs (UTF-8 paths). The text imports with an
    // empty name show the help text and their own open dialog first. Each first stores the
    // entries, so nothing typed is lost, and shows the records again afterwards.
    bool importFrequencyText(const std::string& file);
    bool importImpedanceText(const std::string& file);
    bool importLim(const std::string& file);
    bool changeLevel();
    bool fitVoiceCoil();
    bool loadDriverFile(const std::string& file);
    // `dialogName` as the save dialog gave it; ".LSC" is put right first.
    bool saveDriverFile(const std::string& dialogName);
    // "&Übernehmen": entries stored (invalid ones replaced and reported), the enclosure's losses
    // and the derived values computed, the three records handed to the workspace.
    void apply();

    // The records as the entries stand now (invalid entries keep the record's value).
    const TChassis& editedChassis();
    const TEinbau& editedEinbau();
    const TSchallwand& editedBaffle();

    QTabWidget* pages() const { return pages_; }
    NumberField* entry(const char* name) const { return entries_.field(name); }
    CurveTable* curveTable(CurveKind kind) const;
    DirectionsPage* directionsPage() const { return directions_; }
    QLabel* derivedValue(const char* name) const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* applyButton() const { return apply_; }
    QPushButton* fitButton() const { return fit_; }

signals:
    void closed(); // the window has closed, by any of its buttons or from outside

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildIdentityPage();
    QWidget* buildParameterPage();
    QWidget* buildEnclosurePage();
    QWidget* buildBafflePage();
    QWidget* buildFrequencyPage();
    QWidget* buildImpedancePage();
    QWidget* buildInformativePage();
    QWidget* buildButtons();

    DriverRecords records() { return {chassis_.get(), &einbau_, &schallwand_}; }
    // Entries, switches and tables into the records; with `repair` invalid entries are replaced
    // and the user is told.
    void storeEntries(bool repair);
    void readControls(const DriverRecords& into) const;
    void showRecords(); // every entry, switch and table from the records
    void showCurves();  // tables and plots
    void refreshLive(); // derived values, loss factors from the sliders, enabling, drawing
    void showDerived(const TChassis& derived);
    void chooseAndImportText(bool impedance);
    void chooseAndImportLim();
    void chooseAndLoad();
    void chooseAndSave();

    Workspace& workspace_;
    UserPrompt& prompt_;
    int driver_;
    std::unique_ptr<TChassis> chassis_;
    std::unique_ptr<TChassis> scratch_; // the live values' copy
    TEinbau einbau_{};
    TSchallwand schallwand_{};
    TEinbau scratchEinbau_{};
    TSchallwand scratchBaffle_{};
    NumberEntries entries_;
    bool showing_ = false; // while the records are being shown: no live refresh per field

    QTabWidget* pages_ = nullptr;
    // Identity and switches
    QLineEdit* name_ = nullptr;
    QLineEdit* comment_ = nullptr;
    QComboBox* special_ = nullptr;
    QComboBox* membrane_ = nullptr;
    QCheckBox* closedRear_ = nullptr;
    QListWidget* categories_ = nullptr;
    // Parameters
    QPushButton* fit_ = nullptr;
    std::vector<std::pair<QString, QLabel*>> derived_; // field name, label
    // Enclosure
    QComboBox* einbauTyp_ = nullptr;
    QCheckBox* explicitLosses_ = nullptr;
    QSlider* bedv_ = nullptr;
    QSlider* bedc_ = nullptr;
    QSlider* bedk_ = nullptr;
    QSlider* bedvf_ = nullptr;
    QSlider* bedkf_ = nullptr;
    // Baffle
    QCheckBox* edgeLeft_ = nullptr;
    QCheckBox* edgeRight_ = nullptr;
    QCheckBox* edgeTop_ = nullptr;
    QCheckBox* edgeBottom_ = nullptr;
    QCheckBox* sharedCabinet_ = nullptr;
    QComboBox* direction_ = nullptr;
    QComboBox* directionRear_ = nullptr;
    BaffleDrawing* drawing_ = nullptr;
    // Measured curves
    QCheckBox* useA_ = nullptr;
    QCheckBox* useAP_ = nullptr;
    QCheckBox* useA2fs_ = nullptr;
    QCheckBox* useI_ = nullptr;
    QCheckBox* useIP_ = nullptr;
    QComboBox* measuredOn_ = nullptr;
    CurveTable* tables_[4] = {};
    ChartView* levelPlot_ = nullptr;
    ChartView* impedancePlot_ = nullptr;
    DirectionsPage* directions_ = nullptr; // measured directional responses
    // Informative texts
    QLineEdit* fu_ = nullptr;
    QLineEdit* fo_ = nullptr;
    QLineEdit* da_ = nullptr;
    QLineEdit* bnr_ = nullptr;
    // Buttons
    QPushButton* apply_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace sonora::ui
