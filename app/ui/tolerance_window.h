// The window "Toleranzanalyse": the tolerances, trials and seed of a Monte-Carlo run on a copy of
// the project, start and cancel with a progress bar, the spread of a kept curve around its nominal
// curve as a chart, the largest deviation on axis and the sensitivities of the parts and driver
// values. The run goes on threads of its own; the window polls its progress.
#pragma once

#include <QDialog>
#include <array>
#include <atomic>
#include <functional>
#include <memory>

#include "analysis/tolerance.h"
#include "app/shell/chart_content.h"
#include "app/shell/tolerance_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace sonora::ui {

class ChartView;
class NumberField;

// What the window needs of the main window.
struct ToleranceConnections {
    std::function<const TProjekt&()> project; // the open project, copied when a run starts
    // The main window's spinorama chart, whose comparison layer holds the reference project's
    // curves; null or not set: no comparison layer.
    std::function<const ChartContent*()> spinorama;
};

class ToleranceWindow : public QDialog {
    Q_OBJECT
public:
    explicit ToleranceWindow(ToleranceConnections connections, QWidget* parent = nullptr);
    ~ToleranceWindow() override; // cancels a run and waits for its end

    // "Start": reads the entries and starts a run on a copy of the project. False, with the reason
    // in the status line, when an entry does not read or a run is going on.
    bool start();
    // "Abbrechen": asks the run to stop after its running calculations.
    void cancel();
    bool running() const;

    // The entries as the window shows them.
    ToleranceEntries entries() const;
    void setEntries(const ToleranceEntries& e);

    // The last finished run (trials 0 before the first).
    const ToleranceResult& result() const { return result_; }
    // Redraws the chart of the chosen curve (a new reference project, other display options).
    void redrawChart();

    NumberField* entryField(ToleranceEntry e) const { return fields_[static_cast<std::size_t>(e)]; }
    QComboBox* distributionList() const { return distribution_; }
    QCheckBox* sensitivitiesBox() const { return sensitivities_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* statusLabel() const { return status_; }
    QComboBox* curveList() const { return curve_; }
    ChartView* chart() const { return chart_; }
    QLabel* summaryLabel() const { return summary_; }
    QTableWidget* sensitivityTable() const { return table_; }

signals:
    void runFinished(); // a run ended: finished, cancelled or failed

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Written by the run's threads, read by the window's timer.
    struct Progress {
        std::atomic<int> done{0};
        std::atomic<int> total{0};
    };

    void poll();
    void finishRun();
    void showResult();
    void stopAndWait();
    void refreshButtons();

    ToleranceConnections connections_;
    ToleranceJob job_;
    std::shared_ptr<Progress> progressShared_;
    ToleranceResult result_;
    TAnzOption options_{}; // display options of the project of the last run
    bool runGoing_ = false;

    std::array<NumberField*, kToleranceEntries> fields_{};
    QComboBox* distribution_ = nullptr;
    QCheckBox* sensitivities_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QComboBox* curve_ = nullptr;
    ChartView* chart_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTimer* timer_ = nullptr;
};

// The main window opens its tolerance window with this object name (one per main window).
inline constexpr char kToleranceWindowName[] = "tolerance";

// Opens the tolerance window of `parent` (one at a time); it deletes itself when closed.
ToleranceWindow* showToleranceWindow(QWidget* parent, ToleranceConnections connections);

} // namespace sonora::ui
