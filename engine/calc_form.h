// The main window's side of the interactive calculation: requests, progress and status line, the
// error list and the window's copy of the last result. The GUI shows what this holds.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/calc_thread.h"

namespace sonora {

enum class StatusFace {
    Normal,  // the normal face colour
    Running, // grey (RGB 128,128,128) while a run is in progress
    Failed,  // red; a click opens the error list
};

// Whether the form keeps its own copy of each result. The window does, because its run object
// goes on computing while the charts show the last result; the command line reads the run
// object's record once the run has ended and needs no copy.
enum class ResultCopy { Kept, None };

// Texts are Latin-1, as everywhere in the core. Implements CalcListener by doing the work at once,
// on the calling thread: the command line and tests use it so; a GUI forwards the worker's calls
// to its own thread and then calls the same methods there.
class TFormRechnen : public CalcListener {
public:
    explicit TFormRechnen(ResultCopy copy = ResultCopy::Kept);

    // The interactive run object "R" this form drives (not owned).
    void attach(TCalcThread* calc) { calc_ = calc; }

    // CalcNew / CalcAllNew: mark the window's copy invalid and hand the project to "R".
    void CalcNew(const TProjekt& p);
    void CalcAllNew(const TProjekt& p);
    // Called while CalcNew waits for a previous request to be taken (a GUI serves events here).
    std::function<void()> whileWaiting;
    // Called after ResultsBack, where the window redraws its charts.
    std::function<void()> onResults;

    // Adds a stage text to the error list unless it is "OK".
    void ErrOutput(std::string_view text);

    void showProgress(const TCalcThread& calc) override;
    void showFinalMessage(const TCalcThread& calc) override;
    void resultsBack(const TCalcThread& calc) override;

    std::vector<std::string> ErrMemo; // the error list, one entry per text
    int errCount = 0;
    std::string statusText;
    StatusFace statusFace = StatusFace::Normal;
    std::unique_ptr<TResult> result; // the main window's copy of the last result (or null)

private:
    TCalcThread* calc_ = nullptr;
};

// "Berechnung läuft: " + percentage with 4 significant digits + "%" (Latin-1).
std::string progressText(int ready, int all);

extern const char* const kMsgCalcOk;     // "Berechnung war erfolgreich."
extern const char* const kMsgCalcFailed; // "Berechnung fehlerhaft. Klick hier für Fehlerliste"

} // namespace sonora
