// The optimizer thread: varies the marked values of a project on three calculation run objects
// ("o1" holds the best design, "o2" and "o3" compute two candidates at once) until the total grade
// stops falling, then fixes the crossover parts one by one.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/calc_thread.h"
#include "optimizer/opti_host.h"
#include "optimizer/opti_values.h"
#include "optimizer/rated_planes.h"
#include "optimizer/rating.h"

namespace sonora {

// Rates a finished calculation; BewerteErgebnisse unless a test substitutes its own.
using OptiRating =
    std::function<void(const TResult& res, const TProjekt& aktProjekt,
                       const TBewertungsparameter& bewPara, TBewertungen& bewertungen)>;

class TOptiThread {
public:
    static constexpr int kStartDesignPolls = 1790; // 80 ms polls: about 143 s
    static constexpr int kStepPolls = 3000;        // 10 ms polls: about 30 s

    struct Options {
        OptiHost* host = nullptr; // the main thread's side; must outlive the thread
        // Stages of the run objects; null: the engine's, whose box stage then computes the
        // planes only at the directions BewerteErgebnisse reads (with a substituted rating at
        // every angle). Passing the engine's stages here computes every angle.
        CalcStages* stages = nullptr;
        OptiRating rating;                       // null: BewerteErgebnisse
        bool lowerPriority = true;               // run objects one step below normal priority
        std::chrono::milliseconds stagePause{0}; // the run objects' pause after a stage
        // Waits that time out end the run as if it had finished: the start design after this
        // many 80 ms polls (about 143 s), a step (and the recalculation of a fixed part) after
        // this many 10 ms polls (about 30 s). Tests shorten them.
        int startDesignPolls = kStartDesignPolls;
        int stepPolls = kStepPolls;
    };

    // One of the three run objects with its own rating parameters and grades. The rating hook of
    // `calc` writes Bewertungen on the object's worker thread at the end of each of its runs.
    struct RunObject {
        std::unique_ptr<TCalcThread> calc;
        TBewertungsparameter BewPara{};
        TBewertungen Bewertungen{};
    };

    static constexpr int kRunObjects = 3;
    static constexpr int kBest = 0; // run object 0 always holds the best design so far

    explicit TOptiThread(Options options);
    ~TOptiThread(); // terminate, wake and join; the run objects then terminate and join theirs
    TOptiThread(const TOptiThread&) = delete;
    TOptiThread& operator=(const TOptiThread&) = delete;

    // Start (main thread, optimizer idle): waits until the run objects are idle (calling
    // `whileWaiting` between 500 ms waits), takes `project` as Merkprojekt and as every run
    // object's project, `res` (the main window's result) and `cs` (the interactive object's stage
    // texts) as their results and `bewPara` (the window's HoleAlleBewPara) as their rating
    // parameters, clears shallstop and signals evRun. The thread takes the interactive results
    // from here: it never reads the interactive object, which may be calculating again by then.
    void start(const TProjekt& project, const TResult& res, const TCalcStruct& cs,
               const TBewertungsparameter& bewPara, const std::function<void()>& whileWaiting = {});

    // Asks a running optimizer to stop after the current step (shallstop).
    void requestStop() { shallstop = true; }
    bool stopRequested() const { return shallstop.load(); }

    // evRun: signalled while a run is in progress.
    bool isRunning() const;
    // Waits until evRun is reset; false on time-out.
    bool waitUntilIdle(std::chrono::milliseconds timeout);
    // True when none of the three run objects is calculating.
    bool runObjectsIdle() const;
    // Waits up to `timeout` for one run object to become idle.
    bool waitRunObjectIdle(int k, std::chrono::milliseconds timeout);

    // First shut-down step (ask to stop at once and wake); the destructor joins. A GUI that
    // forwards the host calls to its own thread calls this, keeps serving them until finished(),
    // then destroys the object.
    void terminate();
    bool finished() const { return bFinalized.load(); }

    // Read these only while the optimizer is idle (or inside a host call).
    const RunObject& runObject(int k) const { return runs_[static_cast<std::size_t>(k)]; }
    const TProjekt& merkprojekt() const { return *Merkprojekt; }
    const OptiValueList& optiValues() const { return OptiValues; }
    // HistValues and the values they belong to (the list collected at the start of the run).
    const std::array<std::array<double, kOptiValueSlots>, 4>& histValues() const {
        return HistValues;
    }
    const OptiValueList& historyValues() const { return startValues_; }
    std::string fortschritt() const;
    int progressPermille() const { return pbtag.load(); }
    double averageNote() const { return avgnote; }
    int completedPasses() const { return passes_; }
    bool allAmpsGainMarked() const { return bOptiAllAmps; }
    const TPart& lastFixpart() const { return fixpart; }

private:
    void threadBody();
    void runOptimization();
    bool startCalculation();
    enum class PassEnd { Complete, Stopped, WaitFailed };
    PassEnd runPass(int pass);
    void proposeStep(const TOptiValue& v);
    void proposeAllValues(int m);
    void adoptIfBetter(int k, bool& improved, double* step);
    void applyStepRules(TOptiValue& v, int m);
    bool fixOnePart();
    void readRatingParameters();
    void selectPlaneAngles(const TBewertungsparameter& bewPara);
    void showBest();
    void startObjects(std::initializer_list<int> objects);
    bool waitObjects(std::initializer_list<int> objects, std::chrono::milliseconds poll,
                     int maxPolls, const std::function<void()>& onPoll = {});
    void setProgress(int permille);
    TProjekt& projectOf(int k) { return *runs_[static_cast<std::size_t>(k)].calc->newProjekt; }
    RunObject& run(int k) { return runs_[static_cast<std::size_t>(k)]; }

    Options options_;
    OptiRating rate_;
    // The run objects' stages when they compute only the rated plane angles, else null.
    std::unique_ptr<RatedPlaneStages> ratedStages_;

    // Fields of the optimizer thread; written by it during a run, by start() while idle.
    mutable std::mutex mutex_;
    std::condition_variable wake_;  // evRun set or termination
    std::condition_variable state_; // evRun reset
    bool signalled_ = false;        // evRun, guarded by mutex_
    std::atomic<bool> bFinalized{false};
    OptiValueList OptiValues;
    // Indexed like the values collected at the start (fixing a part removes it from OptiValues,
    // not from here). Rows 0 and 1: each value's start value; row 2: the best design's value at
    // the latest grade display (the history chart's value curves); row 3 is not used.
    std::array<std::array<double, kOptiValueSlots>, 4> HistValues{};
    OptiValueList startValues_;    // the values as collected at the start
    mutable std::mutex textMutex_; // sFortschritt may be shown while a run goes on
    std::string sFortschritt;      // "S"/"V" improved, "."/"-" not, per step of the pass
    bool bOptiAllAmps = false;     // every amplifier's gain is marked
    std::unique_ptr<TProjekt> Merkprojekt;
    std::array<RunObject, kRunObjects> runs_;
    std::atomic<int> pbtag{-1}; // progress in permille, -1 none
    std::atomic<bool> shallstop{false};
    TPart fixpart{};
    double avgnote = 0;
    double extraacurate = 1; // 25 in an extra-accurate mode the window does not offer
    int passes_ = 0;         // passes completed in the current run
    std::atomic<bool> terminated_{false};
    std::thread worker_;
};

} // namespace sonora
