#include "app/ui/calc_bridge.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include "engine/worker_pool.h"

namespace sonora::ui {

namespace {
constexpr int kServeSliceMs = 10; // longest wait for events while the GUI waits for the worker
} // namespace

CalcBridge::CalcBridge(std::chrono::milliseconds pause, QObject* parent)
    : QObject(parent), pause_(pause) {
    // A request waits for the previous one to be taken; meanwhile the worker may sit in a
    // blocking call into this thread, so events are served while waiting.
    form_.whileWaiting = [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kServeSliceMs);
    };
    form_.onResults = [this] { emit resultsArrived(); };
}

CalcBridge::~CalcBridge() {
    shutDown();
}

void CalcBridge::ensureStarted() {
    if (calc_ || detached_) {
        return;
    }
    TCalcThread::Options options;
    options.kennung = "R";
    options.pause = pause_;
    options.listener = this;
    options.poolSize = automaticPoolSize();
    calc_ = std::make_unique<TCalcThread>(options);
    form_.attach(calc_.get());
}

void CalcBridge::calcNew(const TProjekt& project) {
    ensureStarted();
    form_.CalcNew(project);
}

void CalcBridge::calcAllNew(const TProjekt& project) {
    ensureStarted();
    form_.CalcAllNew(project);
}

bool CalcBridge::running() const {
    return calc_ && calc_->isRunning();
}

bool CalcBridge::waitFinished(std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (running()) {
        if (clock.elapsed() >= timeout.count()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, kServeSliceMs);
        QThread::msleep(1);
    }
    return true;
}

void CalcBridge::shutDown() {
    detached_ = true;
    if (!calc_) {
        return;
    }
    calc_->terminate();
    // The worker may be waiting in a blocking call into this thread: serve it until the worker
    // has left its loop, then join.
    while (!calc_->finished()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kServeSliceMs);
        QThread::msleep(1);
    }
    form_.attach(nullptr);
    calc_.reset();
}

template <typename F> void CalcBridge::onGuiThread(F work) {
    auto guarded = [this, &work] {
        if (!detached_) {
            work();
        }
    };
    if (QThread::currentThread() == thread()) {
        guarded(); // never block on our own thread
        return;
    }
    if (detached_) {
        return;
    }
    QMetaObject::invokeMethod(this, guarded, Qt::BlockingQueuedConnection);
}

void CalcBridge::showProgress(const TCalcThread& calc) {
    onGuiThread([&] {
        form_.showProgress(calc);
        emit statusChanged();
    });
}

void CalcBridge::showFinalMessage(const TCalcThread& calc) {
    onGuiThread([&] {
        form_.showFinalMessage(calc);
        emit statusChanged();
    });
}

void CalcBridge::resultsBack(const TCalcThread& calc) {
    onGuiThread([&] { form_.resultsBack(calc); });
}

} // namespace sonora::ui
