// The main window: result tabs with every chart, the calculation status line, the menus of the
// project files, undo, the reference project, the project's dialogs and the editors' entries, all
// over the toolkit-free Workspace.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/chart_set.h"
#include "app/shell/workspace.h"
#include "app/ui/calc_bridge.h"
#include "app/ui/qt_prompt.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QStackedWidget;
class QTabWidget;
class QTimer;

namespace sonora::ui {

class ChartView;
class DirectivityViews;
class ErrorListDialog;
class StatusLine;

struct MainWindowOptions {
    ProgramEnvironment environment;         // folders and settings from the start-up
    WorkspacePaths paths;                   // program and temporary folder
    std::chrono::milliseconds calcPause{0}; // after each stage but the last of a run
    UserPrompt* prompt = nullptr;           // null: message boxes (tests pass a scripted prompt)
};

class MainWindow : public QMainWindow, public WorkspaceView {
    Q_OBJECT
public:
    explicit MainWindow(MainWindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: default project, the argument file or Default.LSP, the calculation, the window
    // placement. Quit when the argument file does not exist (the message has been shown).
    StartUpOutcome start(const std::optional<std::string>& argument);

    Workspace& workspace() { return *workspace_; }
    CalcBridge& calculation() { return *bridge_; }
    const ChartSet& chartSet() const { return charts_; }
    ChartView* chartView(ChartKind kind, int chassis = 0) const;
    const std::vector<ChartView*>& chartViews() const { return views_; }
    DirectivityViews* directivity() const { return directivity_; } // tabs of the directivity
    QTabWidget* tabs() const { return tabs_; }
    StatusLine* statusLine() const { return status_; }
    QLabel* cursorLabel() const { return cursorText_; }
    QLabel* spinoramaNotes() const { return spinNotes_; }
    ErrorListDialog* errorList() const { return errors_; }
    ChartSwitches switches() const;

    // Moves the frequency cursor as the pointer over the box chart would (frequency in Hz).
    void moveCursorTo(double frequency);
    void leaveCursor();

    // WorkspaceView
    void setTitle(const std::string& title) override;
    void updateMenus(const MenuState& menus) override;
    void redrawCharts() override;
    void rememberComparison(ComparisonCharts charts) override;
    void clearComparison() override;
    void closeEditors(const EditorSet& editors) override;
    void bringEditorToFront(EditorKind editor) override;
    void showQuickGuide() override;
    void openProjectProperties() override;
    std::string askSaveFileName() override;
    void startInstance(const std::string& file) override;
    void startProgram(const std::string& program, const std::string& argument,
                      const std::string& workingFolder) override;

signals:
    void chartsRedrawn();
    void comparisonChanged(); // the reference project's layer was taken or cleared

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildTabs();
    void buildMenus();
    void showStatus();
    void loadWithDialog();
    void saveWithDialog();
    // Menus and the dialogs opened from them (main_menus.cpp).
    void buildCommandMenus();
    void openDisplayOptions();
    void openDriverCopy();
    void chooseVisualisationProgram();
    // The editors' entries: the workspace's open check, then the editor window.
    void openDriverEditor(int driver);
    void openCrossoverEditor(int amp);
    void openActiveFilterEditor(int amp);
    void openSharedCabinetEditor();
    void openOptimizer(); // "Optimierer ...": the open check, then the optimizer window
    QWidget* chartPage(ChartKind kind);

    MainWindowOptions options_;
    std::unique_ptr<QtPrompt> ownPrompt_;
    UserPrompt* prompt_;
    std::unique_ptr<CalcBridge> bridge_;
    std::unique_ptr<Workspace> workspace_;
    ChartSet charts_;
    std::vector<ChartView*> views_; // parallel to charts_.charts()
    DirectivityViews* directivity_ = nullptr;
    int cursorIndex_ = -1;
    bool acceptDrops_ = true;

    QTabWidget* tabs_ = nullptr;
    StatusLine* status_ = nullptr;
    ErrorListDialog* errors_ = nullptr;
    QLabel* cursorText_ = nullptr;
    QLabel* spinNotes_ = nullptr; // the rating and its inputs beside the spinorama
    QCheckBox* cursorSwitch_ = nullptr;
    QCheckBox* impedanceSwitch_ = nullptr;
    QCheckBox* energySwitch_ = nullptr;
    QCheckBox* driversSwitch_ = nullptr;
    QComboBox* directionSet_ = nullptr;
    QComboBox* chassisChoice_ = nullptr;
    QStackedWidget* chassisStack_ = nullptr;
    QTimer* newerDriverTimer_ = nullptr;

    QMenu* fileMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* rememberAction_ = nullptr;
    QAction* restoreAction_ = nullptr;
    QAction* swapAction_ = nullptr;
    QAction* deleteAction_ = nullptr;
    std::vector<QAction*> editActions_; // off while the optimizer is open
    QMenu* driverMenu_ = nullptr;
    std::vector<QMenu*> ampMenus_; // one per possible amplifier, shown below nAmps
    QMenu* windowMenu_ = nullptr;
    std::map<EditorKind, QPointer<QWidget>> editorWindows_; // the open editors' windows
};

} // namespace sonora::ui
