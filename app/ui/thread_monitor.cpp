#include "app/ui/thread_monitor.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/calc_bridge.h"
#include "optimizer/opti_thread.h"

namespace sonora::ui {

namespace {
QString state(const char* name, bool running) {
    return QString::fromUtf8(name) +
           (running ? QString::fromUtf8(" läuft.") : QString::fromUtf8(" steht."));
}
} // namespace

QStringList threadMonitorLines(const ThreadStates& states) {
    QStringList lines;
    lines << state("CalcThread", states.calcThread) << state("OThread", states.oThread);
    for (std::size_t k = 0; k < states.oCalcThreads.size(); ++k) {
        lines << state(QStringLiteral("OThread.OCalcThread[%1]").arg(k).toUtf8().constData(),
                       states.oCalcThreads[k]);
    }
    return lines;
}

ThreadStates probeThreads(const CalcBridge& calculation, const TOptiThread* optimizer) {
    ThreadStates s;
    s.calcThread = calculation.running();
    if (optimizer != nullptr) {
        s.oThread = optimizer->isRunning();
        for (int k = 0; k < TOptiThread::kRunObjects; ++k) {
            s.oCalcThreads[static_cast<std::size_t>(k)] = optimizer->runObject(k).calc->isRunning();
        }
    }
    return s;
}

ThreadMonitor::ThreadMonitor(std::function<ThreadStates()> probe, QWidget* parent)
    : QDialog(parent), probe_(std::move(probe)) {
    setObjectName(QStringLiteral("threadMonitor"));
    setWindowTitle(QStringLiteral("Threads"));
    auto* layout = new QVBoxLayout(this);
    lines_ = new QLabel(this);
    lines_->setTextFormat(Qt::PlainText);
    layout->addWidget(lines_);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &ThreadMonitor::refresh);
    timer_->start(kRefreshMs);
    refresh();
}

QString ThreadMonitor::text() const {
    return lines_->text();
}

void ThreadMonitor::refresh() {
    lines_->setText(threadMonitorLines(probe_()).join(QLatin1Char('\n')));
}

ThreadMonitor* showThreadMonitor(QWidget* parent, std::function<ThreadStates()> probe) {
    auto* monitor = parent->findChild<ThreadMonitor*>(QStringLiteral("threadMonitor"),
                                                      Qt::FindDirectChildrenOnly);
    if (monitor == nullptr) {
        monitor = new ThreadMonitor(std::move(probe), parent);
    }
    monitor->show();
    monitor->raise();
    return monitor;
}

} // namespace sonora::ui
