// The interactive calculation "R" in the window: requests from the workspace, and the worker's
// progress, final message and result hand-over carried to the GUI thread by blocking calls.
#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <memory>

#include "app/shell/workspace_host.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"

namespace sonora::ui {

class CalcBridge : public QObject, public CalcListener, public CalcRequests {
    Q_OBJECT
public:
    // `pause` after each stage but the last of a run ("PauseRechnung" of the settings).
    explicit CalcBridge(std::chrono::milliseconds pause = std::chrono::milliseconds(0),
                        QObject* parent = nullptr);
    ~CalcBridge() override; // shutDown()

    // CalcRequests. The run object is created with the first request, after the start project
    // has been loaded.
    void calcNew(const TProjekt& project) override;
    void calcAllNew(const TProjekt& project) override;
    bool waitFinished(std::chrono::milliseconds timeout) override;
    void terminateThreads() override { shutDown(); }

    // Ends the worker without deadlock: no further display work is done, the worker is told to
    // terminate, and its pending blocking calls are served until it has left its loop; then it
    // is joined. Safe to call more than once.
    void shutDown();

    bool running() const;
    bool started() const { return calc_ != nullptr; }
    // The window's side: status text and face, error list, the copy of the last result.
    const TFormRechnen& form() const { return form_; }

    // CalcListener, called on the worker thread (or directly on the GUI thread).
    void showProgress(const TCalcThread& calc) override;
    void showFinalMessage(const TCalcThread& calc) override;
    void resultsBack(const TCalcThread& calc) override;

signals:
    void statusChanged();  // status text or face changed
    void resultsArrived(); // the window's result copy was replaced: redraw the charts

private:
    void ensureStarted();
    template <typename F> void onGuiThread(F work);

    std::chrono::milliseconds pause_;
    TFormRechnen form_;
    std::unique_ptr<TCalcThread> calc_;
    std::atomic<bool> detached_{false};
};

} // namespace sonora::ui
