// What the workspace needs from the program around it: the calculation run and the main window.
// The GUI implements both over TCalcThread and its windows; tests use fakes.
#pragma once

#include <chrono>
#include <string>

#include "model/records.h"

namespace sonora {

// The calculation run as the workspace uses it (the run object "R").
class CalcRequests {
public:
    virtual ~CalcRequests() = default;
    // CalcNew: recalculate the stages whose inputs changed since the last run.
    virtual void calcNew(const TProjekt& project) = 0;
    // CalcAllNew: recalculate everything.
    virtual void calcAllNew(const TProjekt& project) = 0;
    // Waits up to `timeout` for the run's "finished" signal; true when no run is in progress.
    // A timeout of 0 only looks.
    virtual bool waitFinished(std::chrono::milliseconds timeout) = 0;
    // Shut-down: tell the optimizer thread and the calculation thread to terminate.
    virtual void terminateThreads() = 0;
};

// The modeless editors of the main window.
enum class EditorKind {
    Chassis,   // driver editor
    Weiche,    // crossover editor
    Aktfilter, // active-filter editor
    GemGeh,    // shared-cabinet editor
    Optimizer, // optimizer window
};

// A set of editors, e.g. those an operation closes.
struct EditorSet {
    bool chassis = false;
    bool weiche = false;
    bool aktfilter = false;
    bool gemgeh = false;
    bool optimizer = false;
};

// Which charts' curves go into the comparison layers.
enum class ComparisonCharts {
    All,                // box charts, the 32 driver charts and the directivity plot
    WithoutDirectivity, // box charts and the 32 driver charts
};

struct MenuState;

// What the workspace asks of the main window. Texts are UTF-8.
class WorkspaceView {
public:
    virtual ~WorkspaceView() = default;
    virtual void setTitle(const std::string& title) = 0;
    virtual void updateMenus(const MenuState& menus) = 0;
    // Redraw every chart from the current result and the project's display options.
    virtual void redrawCharts() = 0;
    // Copy the charts' current curves into their comparison layers and redraw.
    virtual void rememberComparison(ComparisonCharts charts) = 0;
    // Clear every comparison layer and redraw.
    virtual void clearComparison() = 0;
    // Close these editors without applying them. The workspace counts the driver, crossover,
    // active-filter and shared-cabinet editors as closed afterwards; the optimizer window may
    // refuse and counts as closed only once the view reports it with Workspace::editorClosed.
    virtual void closeEditors(const EditorSet& editors) = 0;
    virtual void bringEditorToFront(EditorKind editor) = 0;
    virtual void showQuickGuide() = 0;
    // Open the project-properties dialog; its OK calls Workspace::acceptProjectProperties.
    virtual void openProjectProperties() = 0;
    // The save dialog of the shut-down question; an empty name when it was cancelled.
    virtual std::string askSaveFileName() = 0;
    // Start a second instance of the program with `file` (UTF-8 path) as its only argument,
    // without waiting for it.
    virtual void startInstance(const std::string& file) = 0;
    // Start `program` with `argument` in `workingFolder`, without waiting for it.
    virtual void startProgram(const std::string& program, const std::string& argument,
                              const std::string& workingFolder) = 0;
};

} // namespace sonora
