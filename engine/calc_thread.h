// The calculation run object: a worker thread that turns a project into a result, incrementally.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/crossover_solver.h"
#include "model/records.h"
#include "model/result.h"
#include "storage/numbers.h"

namespace sonora {

class TCalcThread;
class WorkerPool;
struct BaffleAhead;

// Display callbacks of the interactive run object. They are called on the worker thread, which
// waits until each returns; a GUI forwards them to its own thread with a blocking call. While a
// callback runs, the run object's results, status texts and counters may be read freely.
class CalcListener {
public:
    virtual ~CalcListener() = default;
    virtual void showProgress(const TCalcThread& calc) = 0;     // after every loop pass
    virtual void showFinalMessage(const TCalcThread& calc) = 0; // once at the end of a run
    virtual void resultsBack(const TCalcThread& calc) = 0;      // after the final message
};

// The stages of a run. The default set calls the engine's stage functions; tests substitute their
// own to watch the order or to make a stage slow.
class CalcStages {
public:
    virtual ~CalcStages() = default;
    virtual void driverCheck(TCalcThread& calc);
    virtual void baffle(TCalcThread& calc, int chassis);
    virtual void activeFilter(TCalcThread& calc, int amp);
    virtual void driver(TCalcThread& calc, int chassis);
    virtual void crossover(TCalcThread& calc, int amp);
    virtual void box(TCalcThread& calc);
};

// Rates a finished run of an optimizer object (BewerteErgebnisse); set by the optimizer.
using CalcRating = std::function<void(TCalcThread& calc)>;

// Time values in days, as the program's date-time values count.
using DayTime = double;
DayTime nowInDays();

class TCalcThread {
public:
    struct Options {
        std::string kennung = "R"; // "R" interactive, "o1".."o3" optimizer objects
        bool isOptimizeThread = false;
        // Pause after each stage but the last of a run, ended early by a new request. The
        // worker runs below normal priority, so the program sets 0 unless the settings ask.
        std::chrono::milliseconds pause{0};
        CalcListener* listener = nullptr; // interactive object only; may be null
        CalcStages* stages = nullptr;     // null: the engine's stages
        std::function<DateValue()> today; // null: the local clock
        bool lowerPriority = true;        // run the worker one step below normal priority
        // Threads that share the work inside a stage, the run's worker included: 1 runs every
        // stage as a plain loop; the window and the command line give automaticPoolSize(), the
        // optimizer's objects keep 1, as they already compute candidates side by side. The
        // results, texts and progress are the same bit for bit whatever the size (after a fault
        // of the box stage see computeBox for the rows behind the fault).
        int poolSize = 1;
    };

    explicit TCalcThread(Options options);
    ~TCalcThread(); // terminate, wake and join
    TCalcThread(const TCalcThread&) = delete;
    TCalcThread& operator=(const TCalcThread&) = delete;

    // Requests as the main window makes them (CalcNew / CalcAllNew): wait until a previous request
    // has been taken, copy the project into newProjekt, set the flag, signal evRun. `whileWaiting`
    // is called between the waits (every 100 ms at most) so a GUI can serve the worker's callbacks.
    void requestCalcNew(const TProjekt& p, const std::function<void()>& whileWaiting = {});
    void requestCalcAllNew(const TProjekt& p, const std::function<void()>& whileWaiting = {});
    // True while a request has been made and not yet taken by the worker.
    bool requestPending() const { return bCalcnew.load() || bCalcallnew.load(); }

    // evRun: signalled while work is requested or in progress.
    void setEvent();
    bool isRunning() const;
    // Waits until evRun is reset (the run is finished); false on time-out.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

    // First shut-down step: ask the worker to stop and wake it. The destructor joins. A GUI that
    // serves blocking callbacks calls this, keeps serving them until finished(), then destroys.
    void terminate();
    bool finished() const { return bFinalized.load(); }

    // The stages' worker pool; stages run on the run's worker and may hand work to it.
    WorkerPool* pool() const { return pool_.get(); }

    // Fields of the run object. The requester writes newProjekt only while both request flags are
    // clear; every stage reads aktProjekt.
    const std::string kennung;
    const bool isOptimizeThread;
    std::unique_ptr<TProjekt> newProjekt;
    std::unique_ptr<TProjekt> aktProjekt;
    std::unique_ptr<TResult> Res;
    std::unique_ptr<CrossoverWorkspace> m;    // scratch of the crossover stage
    std::unique_ptr<BaffleAhead> baffleAhead; // baffles computed ahead on the pool (baffle stage)
    int grad = 0;                             // number of variables of the last crossover solved
    std::atomic<bool> bCalcnew{false};
    std::atomic<bool> bCalcallnew{false};
    TCalcStruct CalcStruct{};
    std::atomic<int> percent_all{0};
    std::atomic<int> percent_ready{0};
    CalcRating rating; // optimizer objects: called when a run finishes

    DayTime tim = 0; // start of the current run; for optimizer objects afterwards its duration
    DayTime tim_sw = 0, tim_ak = 0, tim_ch = 0, tim_we = 0, tim_br = 0, tim_bo = 0;

private:
    enum class Stage { None, DriverCheck, Baffle, ActiveFilter, Driver, Crossover, Box };
    struct PendingStage {
        Stage stage;
        int index;
    };

    void run();
    void startFullRecalculation();
    void takeRequest();
    PendingStage firstPendingStage() const;
    void computeStage(PendingStage s);
    void pauseAfterStage();
    void finishRun();
    void request(const TProjekt& p, std::atomic<bool>& flag,
                 const std::function<void()>& whileWaiting);
    bool stopRequested() const { return terminated_.load(); }

    Options options_;
    CalcStages defaultStages_;
    CalcStages* stages_;
    std::unique_ptr<WorkerPool> pool_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;  // evRun set, a request or termination
    std::condition_variable state_; // evRun reset or a request taken
    bool signalled_ = false;        // evRun, guarded by mutex_
    std::atomic<bool> terminated_{false};
    std::atomic<bool> bFinalized{false};
    std::thread worker_;
};

// Counts the stage instances pending in a run: the driver check, the box stage, the two per
// amplifier below nAmps and the two per driver below nChassis whose text is "F".
int countPendingStages(const TCalcStruct& cs, int nAmps, int nChassis);

// Marks the stages whose inputs differ between the new and the last calculated project, by
// byte comparison of the records.
void markChangedStages(const TProjekt& neu, const TProjekt& akt, TCalcStruct& cs);

// The first amplifier (below nAmps) whose crossover holds the driver, or -1.
int ampOfChassis(const TProjekt& p, int chassis);

// Replaces the first "<d>" of a comment by the date in the short date format of `locale` (the
// user's; see shortDateText); cut to 64 characters.
std::string commentWithDate(std::string_view comment, const DateValue& date,
                            const std::locale& locale = userLocale());

} // namespace sonora
