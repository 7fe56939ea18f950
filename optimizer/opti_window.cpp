#include "optimizer/opti_window.h"

#include "optimizer/opti_start.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

using namespace std::chrono_literals;

constexpr auto kAbortPoll = 250ms;     // the abort button looks at evRun this often
constexpr auto kCloseIdlePoll = 500ms; // closing waits for the run objects in these slices
constexpr int kReadyBeeps = 3;

enum CloseAnswer { kCloseYes = 1, kCloseCancel = 2, kCloseNo = 3 };
enum StopAnswer { kStopYes = 1, kStopNo = 2 };

} // namespace

void OptimizerWindow::show(const std::function<void()>& pump) {
    abort(pump);
    DidOptimize = false;
}

bool OptimizerWindow::start(TProjekt& project, const TCalcThread& interactive,
                            const TResult& windowResult, const std::function<void()>& pump) {
    if (thread_ == nullptr || !optimizerStartChecks(project, interactive, thread_->isRunning(),
                                                    prompt_, rememberReference)) {
        return false;
    }
    // The window's state first: once started, the thread's calls write it.
    ergebnisseVor.clear();
    ergebnisseNach.clear();
    abortVisible = true;
    history.clear();
    nHistUpdate = true;
    startEnabled = false;
    DidOptimize = true;
    thread_->start(project, windowResult, interactive.CalcStruct, HoleAlleBewPara(), pump);
    return true;
}

void OptimizerWindow::abort(const std::function<void()>& pump) {
    if (thread_ != nullptr) {
        thread_->requestStop();
        while (!thread_->waitUntilIdle(kAbortPoll)) {
            if (pump) {
                pump(); // the thread's blocking calls are served here
            }
        }
    }
    abortVisible = false;
    startEnabled = true;
}

OptiCloseResult OptimizerWindow::close(TProjekt& project, const std::function<void()>& pump) {
    if (!DidOptimize || thread_ == nullptr) {
        return OptiCloseResult::Closed;
    }
    if (thread_->isRunning()) {
        if (prompt_.choose(utf8ToLatin1("Optimierung abbrechen?"), "&Ja|&Nein", kStopNo) ==
            kStopYes) {
            abort(pump);
            while (!thread_->runObjectsIdle()) {
                for (int k = 0; k < TOptiThread::kRunObjects; ++k) {
                    thread_->waitRunObjectIdle(k, kCloseIdlePoll);
                }
                if (pump) {
                    pump();
                }
            }
        }
        if (thread_->isRunning()) {
            return OptiCloseResult::KeepOpen;
        }
    }
    const int answer = prompt_.choose(utf8ToLatin1("Optimierungsergebnisse übernehmen?"),
                                      "&Ja|&Abbruch|&Nein", kCloseCancel);
    if (answer == kCloseYes) {
        project = *thread_->runObject(TOptiThread::kBest).calc->newProjekt;
        return OptiCloseResult::Applied;
    }
    if (answer == kCloseNo) {
        project = thread_->merkprojekt();
        return OptiCloseResult::Restored;
    }
    return OptiCloseResult::KeepOpen;
}

TBewertungsparameter OptimizerWindow::HoleAlleBewPara() {
    return readParameters ? readParameters() : TBewertungsparameter{};
}

void OptimizerWindow::Noten2Memo(const TBewertungen& grades, const TResult& res) {
    const auto now = std::chrono::steady_clock::now();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - zeit_).count();
    devLog += "Zeit: " + std::to_string(seconds) + "s\r\n";
    zeit_ = now;
    ergebnisseNach = gradeLines(grades);
    if (ergebnisseVor.empty()) {
        ergebnisseVor = ergebnisseNach;
    }
    if (mainResult != nullptr) {
        *mainResult = res;
        mainResult->valid = true;
        if (redrawMain) {
            redrawMain();
        }
    }
    if (thread_ != nullptr) {
        const auto& values = thread_->histValues();
        const OptiValueList& list = thread_->historyValues();
        const int n = list.count;
        history.append(grades, valueChanges(values[0], values[2], n), n);
        historyValueNames.resize(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            historyValueNames[static_cast<std::size_t>(i)] =
                optiValueName(list.values[static_cast<std::size_t>(i)]);
        }
    } else {
        history.append(grades);
    }
    nHistUpdate = true;
}

void OptimizerWindow::Choosefixpart(TPart& fixpart) {
    if (roundFixpartToSeries(fixpart, resistorChoice, capacitorChoice)) {
        return;
    }
    if (beep) {
        beep();
    }
    TPart edited = fixpart;
    if (partEditor && partEditor(edited)) {
        fixpart = edited;
    }
}

void OptimizerWindow::ShowOptimizeReady() {
    for (int i = 0; i < kReadyBeeps && beep; ++i) {
        beep();
    }
    prompt_.showMessage(utf8ToLatin1("Die Optimierung wurde erfolgreich beendet."));
    if (readyClosed) {
        readyClosed();
    }
}

} // namespace sonora
