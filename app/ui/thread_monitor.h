// The thread monitor: a small window listing whether the interactive calculation, the optimizer
// thread and its three run objects are running, refreshed by a timer.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>

class QLabel;
class QTimer;

namespace sonora {
class TOptiThread;
}

namespace sonora::ui {

class CalcBridge;

struct ThreadStates {
    bool calcThread = false;            // the interactive run object "R"
    bool oThread = false;               // the optimizer thread
    std::array<bool, 3> oCalcThreads{}; // its run objects "o1", "o2", "o3"
};

// "CalcThread läuft." / "CalcThread steht.", "OThread läuft." / "OThread steht." and
// "OThread.OCalcThread[k] läuft." / "... steht." for k = 0, 1, 2.
QStringList threadMonitorLines(const ThreadStates& states);

// The states now; a missing optimizer (window never opened) counts as standing.
ThreadStates probeThreads(const CalcBridge& calculation, const TOptiThread* optimizer);

class ThreadMonitor : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;

    explicit ThreadMonitor(std::function<ThreadStates()> probe, QWidget* parent = nullptr);
    QString text() const; // the lines shown, separated by "\n"
    void refresh();

private:
    std::function<ThreadStates()> probe_;
    QLabel* lines_;
    QTimer* timer_;
};

// Shows the parent's thread monitor, creating it on first use (object name "threadMonitor").
ThreadMonitor* showThreadMonitor(QWidget* parent, std::function<ThreadStates()> probe);

} // namespace sonora::ui
