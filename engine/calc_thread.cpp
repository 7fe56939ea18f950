#include "engine/calc_thread.h"

#include <cstring>

#include "engine/baffle_ahead.h"
#include "engine/stages.h"
#include "engine/worker_pool.h"
#include "model/frequency_grid.h"
#include "model/large_block.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace sonora {

namespace {

constexpr std::chrono::milliseconds kRequestPoll{100}; // how often a waiting requester looks again
constexpr double kSecondsPerDay = 86400.0;
constexpr std::size_t kCommentLimit = 64;

void lowerThisThreadPriority() {
#if defined(__linux__)
    // On Linux the nice value is per thread; one step up is "one step below normal".
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, tid);
    if (errno == 0) {
        setpriority(PRIO_PROCESS, tid, nice + 1);
    }
#endif
}

bool differs(const void* a, const void* b, std::size_t n) {
    return std::memcmp(a, b, n) != 0;
}

template <typename T> bool recordDiffers(const T& a, const T& b) {
    return differs(&a, &b, sizeof(T));
}

bool isPending(const StatusText& t) {
    return t == std::string_view(kStatusPending);
}

void markPending(StatusText& t) {
    t.assign(kStatusPending);
}

} // namespace

DayTime nowInDays() {
    using namespace std::chrono;
    const auto t = duration<double>(system_clock::now().time_since_epoch()).count();
    return t / kSecondsPerDay;
}

void CalcStages::driverCheck(TCalcThread& calc) {
    CalcChassiskontrolle(calc);
}
void CalcStages::baffle(TCalcThread& calc, int chassis) {
    CalcBaffle(calc, chassis);
}
void CalcStages::activeFilter(TCalcThread& calc, int amp) {
    CalcActiveFilter(calc, amp);
}
void CalcStages::driver(TCalcThread& calc, int chassis) {
    CalcDriver(calc, chassis);
}
void CalcStages::crossover(TCalcThread& calc, int amp) {
    CalcCrossover(calc, amp);
}
void CalcStages::box(TCalcThread& calc) {
    CalcBox(calc);
}

int countPendingStages(const TCalcStruct& cs, int nAmps, int nChassis) {
    int count = 0;
    count += isPending(cs.bChassiskontrolle) ? 1 : 0;
    count += isPending(cs.bfgang_box) ? 1 : 0;
    for (int i = 0; i < nAmps && i < kMaxAmps; ++i) {
        count += isPending(cs.bfgang_akt[i]) ? 1 : 0;
        count += isPending(cs.bfgang_weiche[i]) ? 1 : 0;
    }
    for (int i = 0; i < nChassis && i < kMaxChassis; ++i) {
        count += isPending(cs.bfgang_sw[i]) ? 1 : 0;
        count += isPending(cs.bfgang_ch[i]) ? 1 : 0;
    }
    return count;
}

int ampOfChassis(const TProjekt& p, int chassis) {
    for (int i = 0; i < p.nAmps && i < kMaxAmps; ++i) {
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            const TPart& part = p.amp[i].weiche[slot];
            if (part.typ == kPartDriver && part.chassisnr == chassis) {
                return i;
            }
        }
    }
    return -1;
}

void markChangedStages(const TProjekt& neu, const TProjekt& akt, TCalcStruct& cs) {
    const int nChassis = neu.nChassis < kMaxChassis ? neu.nChassis : kMaxChassis;
    const int nAmps = neu.nAmps < kMaxAmps ? neu.nAmps : kMaxAmps;
    for (int i = 0; i < nChassis; ++i) {
        const TChassis& cn = neu.chassis[i];
        const TChassis& ca = akt.chassis[i];
        const TSchallwand& sn = neu.schallwand[i];
        const TSchallwand& sa = akt.schallwand[i];
        if (recordDiffers(sn, sa) || differs(&cn.seo, &ca.seo, sizeof cn.seo)) {
            markPending(cs.bfgang_sw[i]);
            markPending(cs.bfgang_box);
            // A response measured in the box to simulate depends on the baffle too.
            if (cn.fgang_which == 5 && cn.useFGangA) {
                markPending(cs.bfgang_ch[i]);
            }
        }
        if (recordDiffers(neu.einbau[i], akt.einbau[i]) || recordDiffers(cn, ca) ||
            differs(&sn.swd, &sa.swd, sizeof sn.swd)) {
            markPending(cs.bfgang_ch[i]);
            const int amp = ampOfChassis(neu, i);
            if (amp >= 0) {
                markPending(cs.bfgang_weiche[amp]);
            }
            // The baffle reads of the driver only its directional data and membrane shape (and
            // seo, above): a changed Thiele-Small value or mounting leaves the baffle as it was.
            if (recordDiffers(cn.Richt, ca.Richt) || cn.membranform != ca.membranform) {
                markPending(cs.bfgang_sw[i]);
            }
            markPending(cs.bfgang_box);
        }
    }
    for (int i = 0; i < nAmps; ++i) {
        if (recordDiffers(neu.amp[i].weiche, akt.amp[i].weiche)) {
            markPending(cs.bfgang_weiche[i]);
            markPending(cs.bChassiskontrolle);
            markPending(cs.bfgang_box);
        }
        if (recordDiffers(neu.amp[i].aktfilter, akt.amp[i].aktfilter)) {
            markPending(cs.bfgang_akt[i]);
            markPending(cs.bfgang_box);
        }
    }
}

std::string commentWithDate(std::string_view comment, const DateValue& date,
                            const std::locale& locale) {
    std::string out(comment);
    const std::size_t at = out.find("<d>");
    if (at != std::string::npos) {
        out.replace(at, 3, shortDateText(date, locale));
    }
    if (out.size() > kCommentLimit) {
        out.resize(kCommentLimit);
    }
    return out;
}

TCalcThread::TCalcThread(Options options)
    : kennung(options.kennung), isOptimizeThread(options.isOptimizeThread),
      newProjekt(std::make_unique<TProjekt>()), aktProjekt(std::make_unique<TProjekt>()),
      Res(makeZeroedLarge<TResult>()), m(std::make_unique<CrossoverWorkspace>()),
      options_(std::move(options)),
      stages_(options_.stages != nullptr ? options_.stages : &defaultStages_) {
    std::function<void()> onThreadStart;
    if (options_.lowerPriority) {
        onThreadStart = lowerThisThreadPriority; // the pool's threads work for the run's worker
    }
    pool_ = std::make_unique<WorkerPool>(options_.poolSize, std::move(onThreadStart));
    worker_ = std::thread([this] { run(); });
}

TCalcThread::~TCalcThread() {
    terminate();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void TCalcThread::terminate() {
    std::lock_guard lock(mutex_);
    terminated_ = true;
    wake_.notify_all();
    state_.notify_all();
}

void TCalcThread::setEvent() {
    std::lock_guard lock(mutex_);
    signalled_ = true;
    wake_.notify_all();
}

bool TCalcThread::isRunning() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

bool TCalcThread::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return state_.wait_for(lock, timeout, [this] { return !signalled_ || finished(); }) &&
           !signalled_;
}

void TCalcThread::request(const TProjekt& p, std::atomic<bool>& flag,
                          const std::function<void()>& whileWaiting) {
    // A previous request must be taken first: the worker reads newProjekt while a flag is set.
    while (requestPending() && !stopRequested()) {
        if (whileWaiting) {
            whileWaiting();
        }
        std::unique_lock lock(mutex_);
        state_.wait_for(lock, kRequestPoll,
                        [this] { return !requestPending() || stopRequested(); });
    }
    *newProjekt = p;
    flag = true;
    setEvent();
}

void TCalcThread::requestCalcNew(const TProjekt& p, const std::function<void()>& whileWaiting) {
    request(p, bCalcnew, whileWaiting);
}

void TCalcThread::requestCalcAllNew(const TProjekt& p, const std::function<void()>& whileWaiting) {
    request(p, bCalcallnew, whileWaiting);
}

void TCalcThread::startFullRecalculation() {
    markPending(CalcStruct.bChassiskontrolle);
    for (int i = 0; i < kMaxChassis; ++i) {
        markPending(CalcStruct.bfgang_sw[i]);
        markPending(CalcStruct.bfgang_ch[i]);
    }
    for (int i = 0; i < kMaxAmps; ++i) {
        markPending(CalcStruct.bfgang_akt[i]);
        markPending(CalcStruct.bfgang_weiche[i]);
    }
    markPending(CalcStruct.bfgang_box);
    // bCalcnew first: a requester waits while either flag is set, so one must always be.
    bCalcnew = true;
    bCalcallnew = false;
    clearResult(*Res);
}

void TCalcThread::takeRequest() {
    tim = nowInDays();
    tim_sw = tim_ak = tim_ch = tim_we = tim_br = tim_bo = 0;
    markChangedStages(*newProjekt, *aktProjekt, CalcStruct);
    *aktProjekt = *newProjekt;
    percent_all = countPendingStages(CalcStruct, aktProjekt->nAmps, aktProjekt->nChassis);
    percent_ready = 0;
    std::lock_guard lock(mutex_);
    bCalcnew = false;
    state_.notify_all();
}

TCalcThread::PendingStage TCalcThread::firstPendingStage() const {
    const TProjekt& p = *aktProjekt;
    const int nChassis = p.nChassis < kMaxChassis ? p.nChassis : kMaxChassis;
    const int nAmps = p.nAmps < kMaxAmps ? p.nAmps : kMaxAmps;
    const TCalcStruct& cs = CalcStruct;
    if (isPending(cs.bChassiskontrolle)) {
        return {Stage::DriverCheck, 0};
    }
    for (int i = 0; i < nChassis; ++i) {
        if (isPending(cs.bfgang_sw[i])) {
            return {Stage::Baffle, i};
        }
    }
    for (int i = 0; i < nAmps; ++i) {
        if (isPending(cs.bfgang_akt[i])) {
            return {Stage::ActiveFilter, i};
        }
    }
    for (int i = 0; i < nChassis; ++i) {
        if (isPending(cs.bfgang_ch[i])) {
            return {Stage::Driver, i};
        }
    }
    for (int i = 0; i < nAmps; ++i) {
        if (isPending(cs.bfgang_weiche[i])) {
            return {Stage::Crossover, i};
        }
    }
    if (isPending(cs.bfgang_box)) {
        return {Stage::Box, 0};
    }
    return {Stage::None, 0};
}

void TCalcThread::computeStage(PendingStage s) {
    const DayTime start = nowInDays();
    DayTime* timer = nullptr;
    switch (s.stage) {
    case Stage::DriverCheck:
        stages_->driverCheck(*this);
        timer = &tim_ch; // the driver check counts with the driver stages
        break;
    case Stage::Baffle:
        stages_->baffle(*this, s.index);
        timer = &tim_sw;
        break;
    case Stage::ActiveFilter:
        stages_->activeFilter(*this, s.index);
        timer = &tim_ak;
        break;
    case Stage::Driver:
        stages_->driver(*this, s.index);
        timer = &tim_ch;
        break;
    case Stage::Crossover:
        stages_->crossover(*this, s.index);
        timer = &tim_we;
        break;
    case Stage::Box:
        stages_->box(*this);
        timer = &tim_bo;
        break;
    case Stage::None:
        return;
    }
    // After each stage, so that the span covers what this stage wrote even when a new request
    // with fewer drivers takes over before the run ends.
    coverDriversOf(*aktProjekt, *Res);
    *timer += nowInDays() - start;
}

void TCalcThread::pauseAfterStage() {
    if (options_.pause.count() <= 0) {
        return;
    }
    const DayTime start = nowInDays();
    {
        // Sleep on the run's own event: a new request or termination ends the pause early.
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, options_.pause,
                       [this] { return stopRequested() || requestPending(); });
    }
    tim_br += nowInDays() - start;
}

void TCalcThread::finishRun() {
    TResult& res = *Res;
    const TProjekt& p = *aktProjekt;
    res.valid = false;
    const int n = gridPointCount(p.freq);
    for (int i = 0; i < n; ++i) {
        res.freq[i] = p.freq[i];
    }
    res.freq[n] = 0;
    res.nfreq = n;
    coverDriversOf(p, res);
    res.nAmps = p.nAmps;
    res.nChassis = p.nChassis;
    for (int i = 0; i < kMaxChassis; ++i) {
        res.chassisNames[i] = p.chassis[i].name;
        res.EinbauTyp[i] = p.einbau[i].typ;
    }
    const DateValue date = options_.today ? options_.today() : today();
    const std::locale locale = userLocale();
    res.comment1.assign(commentWithDate(p.comment1.view(), date, locale));
    res.comment2.assign(commentWithDate(p.comment2.view(), date, locale));
    if (isOptimizeThread) {
        if (rating) {
            rating(*this);
        }
        tim = nowInDays() - tim;
    } else if (options_.listener != nullptr) {
        options_.listener->showFinalMessage(*this);
        options_.listener->resultsBack(*this);
    }
}

void TCalcThread::run() {
    bFinalized = false;
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return signalled_ || stopRequested(); });
    }
    bCalcallnew = true; // the first run is always a full one
    if (options_.lowerPriority) {
        lowerThisThreadPriority();
    }
    while (!stopRequested()) {
        if (bCalcallnew) {
            startFullRecalculation();
        }
        if (bCalcnew) {
            takeRequest();
        }
        if (!isOptimizeThread && options_.listener != nullptr) {
            options_.listener->showProgress(*this);
        }
        if (percent_ready == percent_all) {
            finishRun();
            std::unique_lock lock(mutex_);
            if (!requestPending()) {
                signalled_ = false;
            }
            state_.notify_all();
            wake_.wait(lock, [this] { return signalled_ || stopRequested(); });
            continue;
        }
        const PendingStage s = firstPendingStage();
        if (s.stage != Stage::None) {
            computeStage(s);
            ++percent_ready;
            if (percent_ready < percent_all) { // the last stage's result goes out at once
                pauseAfterStage();
            }
        } else {
            percent_ready = percent_all.load(); // nothing left: never spin on a miscount
        }
    }
    std::lock_guard lock(mutex_);
    bFinalized = true;
    state_.notify_all();
}

} // namespace sonora
