#include "optimizer/opti_thread.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "engine/stages.h"

namespace sonora {

namespace {

using namespace std::chrono_literals;

constexpr auto kStartPoll = 100ms;      // the thread looks for a start or termination
constexpr auto kStartDesignPoll = 80ms; // polls while the start design is calculated
constexpr auto kStepPoll = 10ms;        // polls while a step's candidates are calculated
constexpr auto kStartIdlePoll = 500ms;  // start() waits for busy run objects in these slices
constexpr int kPermille = 1000;         // full progress bar
constexpr int kSmoothKeep = 99;         // start progress: 99 % old value, 1 % full bar
constexpr int kSmoothDivisor = 100;
constexpr double kStartAvgNote = 100;  // avgnote before the first pass
constexpr double kImproveFactor = 1.8; // a taken step grows
constexpr double kShrinkBase = 0.6;    // every step then shrinks by 0.6 + 0.1·m
constexpr double kShrinkPerRepeat = 0.1;
constexpr double kMaxStepOfValue = 0.4;     // a step stays below 0.4 of the start value
constexpr int kPassesWithoutRepeat = 7;     // passes 1..7 never repeat an improved step
constexpr int kMaxRepeats = 6;              // m runs 1..6
constexpr double kAllValuesRate = 0.0004;   // growth per repeat of the all-values step
constexpr double kStagnationLimit = 0.0003; // avgnote - Note below this (/extraacurate) stagnates
constexpr double kStagnationKick = 0.0025; // avgnote moves up so one fixing does not follow another
constexpr double kAvgNoteAbove = 1;        // avgnote stays at most this above Note
constexpr double kFixStepOfValue = 0.04;   // after fixing a part the others may step 4 % again
constexpr double kFixStepOfMin = 100;      // ... and at least 100 of their limits

// newProjekt := object 0's newProjekt. Every project of a run starts as Merkprojekt and the
// optimizer only ever changes amplifier records (part values, gains, filter parameters, a fixed
// part), so copying those is the whole copy at a fiftieth of the 7.5 MB.
void copyOptimizedRecords(TProjekt& to, const TProjekt& from) {
    std::copy(std::begin(from.amp), std::end(from.amp), std::begin(to.amp));
}

} // namespace

TOptiThread::TOptiThread(Options options)
    : options_(std::move(options)),
      rate_(options_.rating ? options_.rating : OptiRating(BewerteErgebnisse)),
      Merkprojekt(std::make_unique<TProjekt>()) {
    static const char* const kNames[kRunObjects] = {"o1", "o2", "o3"};
    if (options_.stages == nullptr && !options_.rating) {
        ratedStages_ = std::make_unique<RatedPlaneStages>();
    }
    for (int k = 0; k < kRunObjects; ++k) {
        TCalcThread::Options o;
        o.kennung = kNames[k];
        o.isOptimizeThread = true;
        o.pause = options_.stagePause;
        o.stages = ratedStages_ ? ratedStages_.get() : options_.stages;
        o.lowerPriority = options_.lowerPriority;
        RunObject& r = run(k);
        r.calc = std::make_unique<TCalcThread>(o);
        // Runs on the object's worker thread after its last stage; touches only this object.
        r.calc->rating = [this, k](TCalcThread& calc) {
            RunObject& self = run(k);
            rate_(*calc.Res, *calc.aktProjekt, self.BewPara, self.Bewertungen);
        };
    }
    worker_ = std::thread([this] { threadBody(); });
}

TOptiThread::~TOptiThread() {
    terminate();
    if (worker_.joinable()) {
        worker_.join();
    }
    for (RunObject& r : runs_) {
        r.calc.reset(); // terminates and joins the object's worker
    }
}

void TOptiThread::terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
    wake_.notify_all();
    state_.notify_all();
}

bool TOptiThread::isRunning() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool TOptiThread::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return state_.wait_for(lock, timeout, [this] { return !signalled_ || finished(); }) &&
           !signalled_;
}

bool TOptiThread::runObjectsIdle() const {
    return std::none_of(runs_.begin(), runs_.end(),
                        [](const RunObject& r) { return r.calc->isRunning(); });
}

bool TOptiThread::waitRunObjectIdle(int k, std::chrono::milliseconds timeout) {
    return run(k).calc->waitUntilIdle(timeout);
}

std::string TOptiThread::fortschritt() const {
    std::lock_guard lock(textMutex_);
    return sFortschritt;
}

void TOptiThread::start(const TProjekt& project, const TResult& res, const TCalcStruct& cs,
                        const TBewertungsparameter& bewPara,
                        const std::function<void()>& whileWaiting) {
    // A run that timed out may have left an object calculating; it is written only when idle.
    for (int k = 0; k < kRunObjects; ++k) {
        while (!run(k).calc->waitUntilIdle(kStartIdlePoll)) {
            if (whileWaiting) {
                whileWaiting();
            }
        }
    }
    const int nAmps = std::clamp<int>(project.nAmps, 0, kMaxAmps);
    bOptiAllAmps = true;
    for (int a = 0; a < nAmps; ++a) {
        bOptiAllAmps = bOptiAllAmps && project.amp[a].aktfilter.bOptiPeg;
    }
    *Merkprojekt = project;
    extraacurate = 1;
    for (RunObject& r : runs_) {
        *r.calc->newProjekt = project;
        *r.calc->aktProjekt = project;
        *r.calc->Res = res;
        r.calc->CalcStruct = cs;
        r.BewPara = bewPara;
    }
    // The results just taken hold every plane angle: no box stage needs repeating for these.
    selectPlaneAngles(bewPara);
    shallstop = false;
    std::lock_guard lock(mutex_);
    signalled_ = true;
    wake_.notify_all();
}

void TOptiThread::threadBody() {
    bFinalized = false;
    while (!terminated_) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kStartPoll, [this] { return signalled_ || terminated_.load(); });
            if (!signalled_ || terminated_) {
                continue;
            }
        }
        runOptimization();
        setProgress(-1);
        if (!terminated_ && !shallstop) {
            options_.host->ShowOptimizeReady();
        }
        std::lock_guard lock(mutex_);
        shallstop = false;
        signalled_ = false;
        state_.notify_all();
    }
    std::lock_guard lock(mutex_);
    bFinalized = true;
    state_.notify_all();
}

void TOptiThread::setProgress(int permille) {
    pbtag = permille;
    options_.host->UpdatePercentage(permille);
}

void TOptiThread::readRatingParameters() {
    const TBewertungsparameter para = options_.host->HoleAlleBewPara();
    for (RunObject& r : runs_) {
        r.BewPara = para; // every object is idle between steps
    }
    if (ratedStages_ && !(ratedPlaneAngles(para) == ratedStages_->angles)) {
        // Other weights read other directions: every object computes its box stage again at its
        // next run, so that no grade reads an angle its result does not hold.
        selectPlaneAngles(para);
        for (RunObject& r : runs_) {
            r.calc->CalcStruct.bfgang_box.assign(kStatusPending);
        }
    }
}

void TOptiThread::selectPlaneAngles(const TBewertungsparameter& bewPara) {
    if (ratedStages_) {
        ratedStages_->angles = ratedPlaneAngles(bewPara); // every object is idle
    }
}

void TOptiThread::showBest() {
    // The window's charts draw the whole planes: object 0 (idle here) completes its result with
    // one full box stage, unless it still is the result completed last time (a pass that found
    // nothing better). The other outputs and the rated angles come out as they were, bit for
    // bit, so its grades still hold.
    TCalcThread& best = *run(kBest).calc;
    if (ratedStages_ && ratedStages_->complete.load() != best.Res.get()) {
        CalcBox(best);
        ratedStages_->complete = best.Res.get();
    }
    // The history's value curves read the values the shown design holds.
    for (int i = 0; i < startValues_.count; ++i) {
        HistValues[2][static_cast<std::size_t>(i)] =
            optiValueIn(*best.newProjekt, startValues_.values[static_cast<std::size_t>(i)]);
    }
    options_.host->Noten2Memo(run(kBest).Bewertungen, *best.Res);
}

void TOptiThread::startObjects(std::initializer_list<int> objects) {
    for (int k : objects) {
        TCalcThread& c = *run(k).calc;
        c.bCalcnew = true;
        c.setEvent();
    }
}

bool TOptiThread::waitObjects(std::initializer_list<int> objects, std::chrono::milliseconds poll,
                              int maxPolls, const std::function<void()>& onPoll) {
    for (int polls = 0;; ++polls) {
        TCalcThread* busy = nullptr;
        for (int k : objects) {
            if (run(k).calc->isRunning()) {
                busy = run(k).calc.get();
                break;
            }
        }
        if (busy == nullptr) {
            return true;
        }
        if (terminated_ || polls >= maxPolls) {
            return false;
        }
        // Sleeps at most one poll interval; returns early when that object finishes.
        busy->waitUntilIdle(poll);
        if (onPoll) {
            onPoll();
        }
    }
}

bool TOptiThread::startCalculation() {
    setProgress(0);
    for (RunObject& r : runs_) {
        *r.calc->newProjekt = *Merkprojekt;
        *r.calc->aktProjekt = *Merkprojekt;
    }
    startObjects({0, 1, 2});
    return waitObjects({0, 1, 2}, kStartDesignPoll, options_.startDesignPolls, [this] {
        setProgress((kSmoothKeep * pbtag.load() + kPermille) / kSmoothDivisor);
    });
}

void TOptiThread::runOptimization() {
    passes_ = 0;
    {
        std::lock_guard lock(textMutex_);
        sFortschritt.clear();
    }
    OptiValues = collectOptiValues(*Merkprojekt);
    if (OptiValues.count == 0) {
        return;
    }
    if (!startCalculation()) {
        return; // timed out or terminated: ends like a finished run
    }
    startValues_ = OptiValues;
    for (int i = 0; i < OptiValues.count; ++i) {
        HistValues[0][static_cast<std::size_t>(i)] =
            OptiValues.values[static_cast<std::size_t>(i)].Value;
        HistValues[1][static_cast<std::size_t>(i)] =
            OptiValues.values[static_cast<std::size_t>(i)].Value;
    }
    showBest();
    avgnote = kStartAvgNote;
    for (int pass = 1; !shallstop && !terminated_; ++pass) {
        {
            std::lock_guard lock(textMutex_);
            sFortschritt.clear();
        }
        readRatingParameters();
        // A pass ended by a stop is not complete: it is neither counted nor shown as a pass; the
        // best design so far stays in object 0 for the window to apply.
        if (runPass(pass) != PassEnd::Complete) {
            return;
        }
        ++passes_;
        showBest();
        bool finishedRun = true;
        for (int i = 0; i < OptiValues.count; ++i) {
            const TOptiValue& v = OptiValues.values[static_cast<std::size_t>(i)];
            finishedRun = finishedRun && v.dValue <= v.minDvalue;
        }
        const double note = run(kBest).Bewertungen.Note;
        avgnote = 0.5 * note + 0.5 * avgnote;
        avgnote = std::min(avgnote, note + kAvgNoteAbove);
        const bool stagnating = avgnote - note < kStagnationLimit / extraacurate;
        if (stagnating) {
            avgnote += kStagnationKick;
        }
        if (finishedRun || shallstop) {
            return;
        }
        if (stagnating && !fixOnePart()) {
            return;
        }
    }
}

void TOptiThread::proposeStep(const TOptiValue& v) {
    TProjekt& p0 = projectOf(kBest);
    TProjekt& p1 = projectOf(1);
    TProjekt& p2 = projectOf(2);
    const double x = optiValueIn(p0, v);
    const double d = v.dValue;
    double own = d; // how far the value's own entry moves up in object 1 and down in object 2
    if (v.bAktiv && v.atyp == kOptiGain && bOptiAllAmps) {
        // Every gain moves the other way by d/nAmps first; the own amplifier's net move is
        // d - d/nAmps, exactly zero with one amplifier.
        const int nAmps = std::clamp<int>(Merkprojekt->nAmps, 1, kMaxAmps);
        const double share = d / nAmps;
        for (int a = 0; a < nAmps; ++a) {
            p1.amp[a].aktfilter.pegel -= share;
            p2.amp[a].aktfilter.pegel += share;
        }
        own = d - share;
    }
    setOptiValue(p1, v, x + own);
    setOptiValue(p2, v, std::max(x - own, v.minDvalue));
}

void TOptiThread::proposeAllValues(int m) {
    const double a = kAllValuesRate * m;
    const TProjekt& p0 = projectOf(kBest);
    TProjekt& p1 = projectOf(1);
    TProjekt& p2 = projectOf(2);
    for (int i = 0; i < OptiValues.count; ++i) {
        const TOptiValue& v = OptiValues.values[static_cast<std::size_t>(i)];
        if (v.bAktiv) {
            continue;
        }
        const double x = optiValueIn(p0, v);
        const double x1 = std::max((1 + a) * x + a * v.Value, v.minDvalue);
        setOptiValue(p1, v, x1);
        setOptiValue(p2, v, std::max((1 + a) * x1 + a * v.Value, v.minDvalue));
    }
}

void TOptiThread::adoptIfBetter(int k, bool& improved, double* step) {
    RunObject& best = run(kBest);
    RunObject& cand = run(k);
    if (!(cand.Bewertungen.Note < best.Bewertungen.Note)) {
        return;
    }
    // Object 0 takes the candidate's project, result and grades. Exchanging the records instead
    // of copying them keeps each object's result consistent with the project it last calculated,
    // so the next candidate on object k only recomputes what differs from object 0.
    std::swap(best.calc->newProjekt, cand.calc->newProjekt);
    std::swap(best.calc->aktProjekt, cand.calc->aktProjekt);
    std::swap(best.calc->Res, cand.calc->Res);
    std::swap(best.calc->CalcStruct, cand.calc->CalcStruct);
    std::swap(best.Bewertungen, cand.Bewertungen);
    if (step != nullptr) {
        *step *= kImproveFactor;
    }
    improved = true;
}

void TOptiThread::applyStepRules(TOptiValue& v, int m) {
    double d = v.dValue * (kShrinkBase + kShrinkPerRepeat * m);
    d = std::max(d, v.minDvalue);
    d = std::min(d, kMaxStepOfValue * v.Value);
    d = std::min(d, v.maxDvalue);
    v.dValue = d;
}

TOptiThread::PassEnd TOptiThread::runPass(int pass) {
    const int n = OptiValues.count;
    int m = 1;
    int j = 0;
    while (j <= n) {
        setProgress(static_cast<int>(std::lround((j + 1) * static_cast<double>(kPermille) / n)));
        copyOptimizedRecords(projectOf(1), projectOf(kBest));
        copyOptimizedRecords(projectOf(2), projectOf(kBest));
        TOptiValue* v = j < n ? &OptiValues.values[static_cast<std::size_t>(j)] : nullptr;
        if (v != nullptr) {
            proposeStep(*v);
        } else if (pass >= 2) {
            proposeAllValues(m);
        }
        // At j = 0 the best design is rated again: the rating parameters may have changed.
        const bool withBest = j == 0;
        if (withBest) {
            startObjects({0, 1, 2});
        } else {
            startObjects({1, 2});
        }
        const bool ok = withBest ? waitObjects({0, 1, 2}, kStepPoll, options_.stepPolls)
                                 : waitObjects({1, 2}, kStepPoll, options_.stepPolls);
        if (!ok) {
            return PassEnd::WaitFailed;
        }
        if (withBest) {
            avgnote = std::max(avgnote, run(kBest).Bewertungen.Note);
        }
        bool improved = false;
        double* step = v != nullptr ? &v->dValue : nullptr;
        adoptIfBetter(1, improved, step);
        adoptIfBetter(2, improved, step);
        if (v != nullptr) {
            applyStepRules(*v, m);
        }
        {
            std::lock_guard lock(textMutex_);
            sFortschritt += improved ? (v != nullptr ? 'S' : 'V') : (v != nullptr ? '.' : '-');
        }
        if (shallstop) {
            return PassEnd::Stopped;
        }
        if (pass <= kPassesWithoutRepeat || !improved || m == kMaxRepeats) {
            ++j;
            m = 1;
        } else {
            ++m;
        }
    }
    return PassEnd::Complete;
}

bool TOptiThread::fixOnePart() {
    // Coils first, then capacitors, then resistors; among equal kinds the largest start value.
    int candidate = -1;
    int candidateTyp = 0;
    for (int i = 0; i < OptiValues.count; ++i) {
        const TOptiValue& v = OptiValues.values[static_cast<std::size_t>(i)];
        if (v.bAktiv) {
            continue;
        }
        const int typ = optiPartOf(*Merkprojekt, v).typ;
        if (candidate < 0 || typ > candidateTyp ||
            (typ == candidateTyp && !v.bRValue &&
             v.Value > OptiValues.values[static_cast<std::size_t>(candidate)].Value)) {
            candidate = i;
            candidateTyp = typ;
        }
    }
    if (candidate < 0) {
        return false;
    }
    const TOptiValue chosen = OptiValues.values[static_cast<std::size_t>(candidate)];
    TPart& part = projectOf(kBest).amp[chosen.wNr].weiche[chosen.Partnr];
    fixpart = part;
    options_.host->Choosefixpart(fixpart);
    part = fixpart;
    startObjects({kBest});
    if (!waitObjects({kBest}, kStepPoll, options_.stepPolls)) {
        return false;
    }
    removeOptiValue(OptiValues, candidate);
    for (int i = 0; i < OptiValues.count; ++i) {
        TOptiValue& v = OptiValues.values[static_cast<std::size_t>(i)];
        v.dValue = std::max(v.dValue, kFixStepOfValue * v.Value);
        v.dValue = std::max(v.dValue, kFixStepOfMin * v.minDvalue);
    }
    return OptiValues.count > 0;
}

} // namespace sonora
