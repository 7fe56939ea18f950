// The optimizer window's model on the main thread: start, abort, closing with apply or discard,
// and the answers to the optimizer thread's calls (grade texts, history, fixing a part). The GUI
// shows what it holds and forwards the thread's calls to it with blocking queued calls.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "engine/calc_thread.h"
#include "model/user_prompt.h"
#include "optimizer/opti_fixpart.h"
#include "optimizer/opti_host.h"
#include "optimizer/opti_memo.h"
#include "optimizer/opti_thread.h"

namespace sonora {

// Undo label of applying an optimized design.
inline constexpr char kUndoApplyOptimization[] = "Optimierung anwenden";

enum class OptiCloseResult {
    Closed,   // nothing was optimized since the window was shown: it just closes
    KeepOpen, // the run goes on, or the user chose "Abbruch"
    Applied,  // "Ja": the project is run object 0's design (record the undo step, CalcNew)
    Restored, // "Nein": the project is the one from the start again (CalcNew)
};

class OptimizerWindow : public OptiHost {
public:
    explicit OptimizerWindow(UserPrompt& prompt) : prompt_(prompt) {}

    void attach(TOptiThread* thread) { thread_ = thread; }

    // Showing the window: abort any run, DidOptimize := false.
    void show(const std::function<void()>& pump = {});
    // The start button; false when a check refused. `project` may get marks (nothing marked).
    bool start(TProjekt& project, const TCalcThread& interactive, const TResult& mainResult,
               const std::function<void()>& pump = {});
    // The abort button: ask to stop and wait (250 ms polls, `pump` in between) until it has.
    void abort(const std::function<void()>& pump = {});
    // Closing the window; on Applied or Restored `project` has been replaced.
    OptiCloseResult close(TProjekt& project, const std::function<void()>& pump = {});

    // Calls of the optimizer thread.
    TBewertungsparameter HoleAlleBewPara() override;
    void UpdatePercentage(int pbtag) override { progressPermille = pbtag; }
    void Noten2Memo(const TBewertungen& grades, const TResult& res) override;
    void Choosefixpart(TPart& fixpart) override;
    void ShowOptimizeReady() override;

    // Connections to the rest of the program (all optional).
    std::function<TBewertungsparameter()> readParameters; // the rating parameter controls
    std::function<void()> rememberReference;              // "Projekt als Referenz merken"
    TResult* mainResult = nullptr;                        // the main window's result copy
    std::function<void()> redrawMain;                     // redraw the main window's charts
    std::function<bool(TPart&)> partEditor;               // modal part editor; true on OK
    std::function<void()> beep;
    std::function<void()> readyClosed; // the "Ok" of the finished notice closes the window

    FixChoice resistorChoice = FixChoice::Manual;
    FixChoice capacitorChoice = FixChoice::Manual;

    // What the window shows (Latin-1).
    bool DidOptimize = false;
    std::string ergebnisseVor;  // "Ergebnisse vor Optimierung"
    std::string ergebnisseNach; // "Ergebnisse nach Optimierung"
    std::string devLog;         // developer log
    OptiHistory history;
    std::vector<std::string> historyValueNames; // the value curves' names (optiValueName)
    bool nHistUpdate = false;
    int progressPermille = -1;
    bool startEnabled = true;
    bool abortVisible = false;

private:
    UserPrompt& prompt_;
    TOptiThread* thread_ = nullptr;
    std::chrono::steady_clock::time_point zeit_ = std::chrono::steady_clock::now();
};

} // namespace sonora
