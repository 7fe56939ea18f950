// The calculation run: driver check, change marking, stage order, requests, termination, messages.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
constexpr auto kGenerous = 20s; // only guards against a hang; runs take milliseconds

std::unique_ptr<TProjekt> makeProject(int nAmps, int nChassis) {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    p->nAmps = static_cast<std::int16_t>(nAmps);
    p->nChassis = static_cast<std::int16_t>(nChassis);
    return p;
}

// No pause after stages, normal priority: runs as the command line makes them.
TCalcThread::Options batchOptions() {
    TCalcThread::Options o;
    o.pause = 0ms;
    o.lowerPriority = false;
    return o;
}

void placeDriver(TProjekt& p, int amp, int slot, int chassis) {
    p.amp[amp].weiche[slot].typ = kPartDriver;
    p.amp[amp].weiche[slot].chassisnr = static_cast<std::int16_t>(chassis);
}

// Stages that succeed and note the order in which they ran. One stage can be held at a gate.
class RecordingStages : public CalcStages {
public:
    void driverCheck(TCalcThread& c) override {
        note("check");
        CalcChassiskontrolle(c); // the real check
    }
    void baffle(TCalcThread& c, int i) override {
        note("sw" + std::to_string(i));
        c.CalcStruct.bfgang_sw[i].assign("OK");
    }
    void activeFilter(TCalcThread& c, int i) override {
        note("akt" + std::to_string(i));
        c.CalcStruct.bfgang_akt[i].assign("OK");
    }
    void driver(TCalcThread& c, int i) override {
        note("ch" + std::to_string(i));
        c.CalcStruct.bfgang_ch[i].assign("OK");
    }
    void crossover(TCalcThread& c, int i) override {
        note("we" + std::to_string(i));
        c.CalcStruct.bfgang_weiche[i].assign("OK");
    }
    void box(TCalcThread& c) override {
        note("box");
        c.CalcStruct.bfgang_box.assign("OK");
    }

    std::vector<std::string> take() {
        std::lock_guard lock(m);
        std::vector<std::string> out;
        out.swap(order);
        return out;
    }
    // The next stage named `name` waits until release() is called.
    void holdAt(const std::string& name) {
        std::lock_guard lock(m);
        gate = name;
        held = false;
        released = false;
    }
    void waitUntilHeld() {
        std::unique_lock lock(m);
        ASSERT_TRUE(cv.wait_for(lock, kGenerous, [this] { return held; }));
    }
    void release() {
        std::lock_guard lock(m);
        released = true;
        cv.notify_all();
    }

private:
    void note(const std::string& name) {
        std::unique_lock lock(m);
        order.push_back(name);
        if (name == gate) {
            held = true;
            cv.notify_all();
            cv.wait_for(lock, kGenerous, [this] { return released; });
            gate.clear();
        }
    }
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::string> order;
    std::string gate;
    bool held = false;
    bool released = false;
};

// Counts the callbacks and forwards them to the form.
class CountingListener : public CalcListener {
public:
    explicit CountingListener(TFormRechnen& f) : form(f) {}
    void showProgress(const TCalcThread& c) override {
        ++progress;
        form.showProgress(c);
    }
    void showFinalMessage(const TCalcThread& c) override {
        ++finals;
        lastPercentAll = c.percent_all;
        form.showFinalMessage(c);
    }
    void resultsBack(const TCalcThread& c) override {
        ++results;
        form.resultsBack(c);
    }
    TFormRechnen& form;
    int progress = 0;
    int finals = 0;
    int results = 0;
    int lastPercentAll = -1;
};

// ---------------------------------------------------------------------------------------------
// Driver check

class DriverCheckTest : public ::testing::Test {
protected:
    // An idle run object: its worker waits for evRun and touches nothing meanwhile.
    TCalcThread calc{batchOptions()};
    std::string check() {
        CalcChassiskontrolle(calc);
        return calc.CalcStruct.bChassiskontrolle.str();
    }
};

TEST_F(DriverCheckTest, PassesAndRecordsTheAmplifierOfEachDriver) {
    TProjekt& p = *calc.aktProjekt;
    p = *makeProject(2, 3);
    placeDriver(p, 0, 10, 0);
    placeDriver(p, 1, 20, 2);
    EXPECT_EQ(check(), "OK");
    EXPECT_EQ(calc.Res->chassisAmp[0], 0);
    EXPECT_EQ(calc.Res->chassisAmp[1], -1); // in no network: no error
    EXPECT_EQ(calc.Res->chassisAmp[2], 1);
    EXPECT_EQ(calc.Res->chassisAmp[31], -1);
}

TEST_F(DriverCheckTest, DriverInTwoNetworks) {
    TProjekt& p = *calc.aktProjekt;
    p = *makeProject(3, 2);
    placeDriver(p, 0, 3, 1);
    placeDriver(p, 2, 7, 1);
    EXPECT_EQ(check(), "Fehler: Chassis 2 doppelt verwendet in Weiche 1 und 3.");
    EXPECT_EQ(calc.Res->chassisAmp[1], 0);
}

TEST_F(DriverCheckTest, DriverBeyondTheCount) {
    TProjekt& p = *calc.aktProjekt;
    p = *makeProject(1, 2);
    placeDriver(p, 0, 3, 3);
    EXPECT_EQ(check(),
              utf8ToLatin1("Fehler: Chassis 4 nicht verwendbar, wenn nur 2 Chassis angewählt."));
}

TEST_F(DriverCheckTest, SeveralFaultsOneLineEachInDriverOrder) {
    TProjekt& p = *calc.aktProjekt;
    p = *makeProject(2, 2);
    placeDriver(p, 0, 1, 5);
    placeDriver(p, 1, 1, 5);
    placeDriver(p, 0, 2, 0);
    placeDriver(p, 1, 2, 0);
    EXPECT_EQ(check(),
              utf8ToLatin1("Fehler: Chassis 1 doppelt verwendet in Weiche 1 und 2.\r\n"
                           "Fehler: Chassis 6 doppelt verwendet in Weiche 1 und 2.\r\n"
                           "Fehler: Chassis 6 nicht verwendbar, wenn nur 2 Chassis angewählt."));
}

TEST_F(DriverCheckTest, IndexOutsideTheTableEndsTheScan) {
    TProjekt& p = *calc.aktProjekt;
    p = *makeProject(2, 2);
    placeDriver(p, 0, 1, 40);
    placeDriver(p, 1, 1, 0); // after the bad index: not scanned
    EXPECT_EQ(check(), "Fehler in Chassiskontrolle");
    EXPECT_EQ(calc.Res->chassisAmp[0], -1);
}

TEST_F(DriverCheckTest, AmplifiersBeyondTheCountAreIgnored) {
    TProjekt& p = *calc.aktProjekt;
    p = *makeProject(1, 1);
    placeDriver(p, 0, 1, 0);
    placeDriver(p, 4, 1, 0);
    EXPECT_EQ(check(), "OK");
}

// ---------------------------------------------------------------------------------------------
// Change marking

class MarkingTest : public ::testing::Test {
protected:
    void SetUp() override {
        akt = makeProject(3, 3);
        placeDriver(*akt, 0, 1, 0);
        placeDriver(*akt, 1, 1, 1);
        placeDriver(*akt, 2, 1, 2);
        neu = std::make_unique<TProjekt>(*akt);
        allOk();
    }
    void allOk() {
        cs.bChassiskontrolle.assign("OK");
        cs.bfgang_box.assign("OK");
        for (auto& t : cs.bfgang_sw)
            t.assign("OK");
        for (auto& t : cs.bfgang_ch)
            t.assign("OK");
        for (auto& t : cs.bfgang_akt)
            t.assign("OK");
        for (auto& t : cs.bfgang_weiche)
            t.assign("OK");
    }
    // Names of the pending stage instances.
    std::vector<std::string> pending() {
        markChangedStages(*neu, *akt, cs);
        std::vector<std::string> out;
        auto f = [](const StatusText& t) { return t == std::string_view("F"); };
        if (f(cs.bChassiskontrolle))
            out.push_back("check");
        for (int i = 0; i < kMaxChassis; ++i)
            if (f(cs.bfgang_sw[i]))
                out.push_back("sw" + std::to_string(i));
        for (int i = 0; i < kMaxAmps; ++i)
            if (f(cs.bfgang_akt[i]))
                out.push_back("akt" + std::to_string(i));
        for (int i = 0; i < kMaxChassis; ++i)
            if (f(cs.bfgang_ch[i]))
                out.push_back("ch" + std::to_string(i));
        for (int i = 0; i < kMaxAmps; ++i)
            if (f(cs.bfgang_weiche[i]))
                out.push_back("we" + std::to_string(i));
        if (f(cs.bfgang_box))
            out.push_back("box");
        return out;
    }
    using V = std::vector<std::string>;
    std::unique_ptr<TProjekt> akt, neu;
    TCalcStruct cs{};
};

TEST_F(MarkingTest, NoChangeMarksNothing) {
    EXPECT_EQ(pending(), V{});
}

TEST_F(MarkingTest, CrossoverPartOfSecondAmplifier) {
    neu->amp[1].weiche[40].typ = kPartResistor;
    neu->amp[1].weiche[40].value = 3.3;
    EXPECT_EQ(pending(), (V{"check", "we1", "box"}));
}

TEST_F(MarkingTest, PartLabelAloneIsAChange) {
    neu->amp[2].weiche[374].bem.assign("R1");
    EXPECT_EQ(pending(), (V{"check", "we2", "box"}));
}

TEST_F(MarkingTest, ActiveFilter) {
    neu->amp[0].aktfilter.fil[3].f = 2500.0;
    EXPECT_EQ(pending(), (V{"akt0", "box"}));
}

TEST_F(MarkingTest, BaffleAndAcousticCentre) {
    neu->schallwand[2].swa = 0.3;
    EXPECT_EQ(pending(), (V{"sw2", "box"}));
    allOk();
    neu = std::make_unique<TProjekt>(*akt);
    neu->chassis[1].seo = 0.004;
    // seo is also a driver field, so the driver's own stages follow as well.
    EXPECT_EQ(pending(), (V{"sw1", "ch1", "we1", "box"}));
}

TEST_F(MarkingTest, BaffleWithResponseMeasuredInTheBox) {
    neu->chassis[0].fgang_which = 5;
    neu->chassis[0].useFGangA = true;
    *akt = *neu;
    neu->schallwand[0].swvert = 0.1;
    EXPECT_EQ(pending(), (V{"sw0", "ch0", "box"}));
}

TEST_F(MarkingTest, DriverAndEnclosureAndOutlet) {
    // The baffle does not read Thiele-Small values or the mounting: it stays as it was.
    neu->chassis[2].qes = 0.4;
    EXPECT_EQ(pending(), (V{"ch2", "we2", "box"}));
    allOk();
    neu = std::make_unique<TProjekt>(*akt);
    neu->einbau[0].Vb = 0.05;
    EXPECT_EQ(pending(), (V{"ch0", "we0", "box"}));
    allOk();
    neu = std::make_unique<TProjekt>(*akt);
    neu->schallwand[1].swd = 0.12;
    EXPECT_EQ(pending(), (V{"sw1", "ch1", "we1", "box"}));
}

TEST_F(MarkingTest, DriverInNoNetworkMarksNoCrossover) {
    neu->chassis[2].fs = 40.0;
    neu->amp[2].weiche[1].typ = kPartEmpty;
    *akt = *neu;
    akt->chassis[2].fs = 41.0;
    EXPECT_EQ(pending(), (V{"ch2", "box"}));
}

TEST_F(MarkingTest, DriverFieldsTheBaffleReads) {
    neu->chassis[1].membranform = 2;
    EXPECT_EQ(pending(), (V{"sw1", "ch1", "we1", "box"}));
    allOk();
    neu = std::make_unique<TProjekt>(*akt);
    neu->chassis[0].Richt.nRicht = 7;
    EXPECT_EQ(pending(), (V{"sw0", "ch0", "we0", "box"}));
}

TEST_F(MarkingTest, OutsideTheComparedRecordsNeedsAFullRun) {
    neu->fMax = 16000.0;
    neu->Gemgeh.h = 1.0;
    neu->comment1.assign("neu");
    neu->chassis[10].fs = 12.0;        // beyond nChassis
    neu->amp[4].aktfilter.pegel = 2.0; // beyond nAmps
    EXPECT_EQ(pending(), V{});
}

TEST(PendingCount, CountsOnlyInstancesInUse) {
    TCalcStruct cs{};
    for (auto& t : cs.bfgang_sw)
        t.assign("F");
    for (auto& t : cs.bfgang_akt)
        t.assign("F");
    cs.bfgang_box.assign("F");
    EXPECT_EQ(countPendingStages(cs, 2, 3), 1 + 2 + 3);
    cs.bChassiskontrolle.assign("F");
    cs.bfgang_ch[2].assign("F");
    cs.bfgang_ch[3].assign("F");
    EXPECT_EQ(countPendingStages(cs, 2, 3), 2 + 2 + 4);
}

// ---------------------------------------------------------------------------------------------
// Runs on the worker thread

class CalcRunTest : public ::testing::Test {
protected:
    CalcRunTest() : listener(form) {}
    void start(int nAmps, int nChassis) {
        project = makeProject(nAmps, nChassis);
        for (int i = 0; i < nChassis; ++i) {
            placeDriver(*project, i % nAmps, 1, i);
        }
        TCalcThread::Options o;
        o.pause = 0ms;
        o.listener = &listener;
        o.stages = &stages;
        o.today = [] { return DateValue{9, 12, 2026}; };
        o.lowerPriority = false;
        calc = std::make_unique<TCalcThread>(o);
        form.attach(calc.get());
    }
    void calcNew() {
        form.CalcNew(*project);
        ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    }
    using V = std::vector<std::string>;
    RecordingStages stages;
    TFormRechnen form;
    CountingListener listener;
    std::unique_ptr<TProjekt> project;
    std::unique_ptr<TCalcThread> calc;
};

TEST_F(CalcRunTest, FirstRunIsFullInStageOrder) {
    start(2, 2);
    calcNew();
    EXPECT_EQ(stages.take(),
              (V{"check", "sw0", "sw1", "akt0", "akt1", "ch0", "ch1", "we0", "we1", "box"}));
    EXPECT_EQ(listener.finals, 1);
    EXPECT_EQ(listener.results, 1);
    EXPECT_EQ(listener.lastPercentAll, 10);
    EXPECT_EQ(calc->percent_ready, 10);
    EXPECT_TRUE(form.result->valid);
    EXPECT_EQ(form.errCount, 0);
    EXPECT_EQ(form.statusText, "Berechnung war erfolgreich.");
    EXPECT_EQ(form.statusFace, StatusFace::Normal);
    EXPECT_EQ(form.ErrMemo, V{"Berechnung war erfolgreich."});
    EXPECT_FALSE(calc->isRunning());
}

TEST_F(CalcRunTest, FinishedRunCarriesGridCountsNamesAndComments) {
    start(1, 2);
    project->sz = 6;
    project->fMin = 20;
    project->fMax = 20000;
    for (int i = 0; i < 6; ++i)
        project->freq[i] = 20.0 * (i + 1);
    project->freq[6] = 0;
    project->chassis[1].name.assign("Hochtoener");
    project->einbau[1].typ = kEinbauBassreflex;
    project->comment1.assign("Messung <d> Raum");
    project->comment2.assign("<d>");
    calcNew();
    const TResult& r = *form.result;
    EXPECT_EQ(r.nfreq, 6);
    EXPECT_EQ(r.freq[5], 120.0);
    EXPECT_EQ(r.freq[6], 0.0);
    EXPECT_EQ(r.nAmps, 1);
    EXPECT_EQ(r.nChassis, 2);
    EXPECT_EQ(r.chassisNames[1].view(), "Hochtoener");
    EXPECT_EQ(r.EinbauTyp[1], kEinbauBassreflex);
    // In the user's short date format: dd.mm.yyyy where the environment names none.
    const std::string date = shortDateText(DateValue{9, 12, 2026}, userLocale());
    EXPECT_EQ(r.comment1.view(), "Messung " + date + " Raum");
    EXPECT_EQ(r.comment2.view(), date);
}

TEST_F(CalcRunTest, FullGridFillsTheResultGrid) {
    start(1, 1);
    project->sz = 256;
    for (int i = 0; i < 256; ++i)
        project->freq[i] = 20.0 + i;
    project->freq[256] = 0;
    calcNew();
    EXPECT_EQ(form.result->nfreq, 256);
    EXPECT_EQ(form.result->freq[255], 275.0);
    EXPECT_EQ(form.result->freq[256], 0.0);
}

TEST_F(CalcRunTest, IncrementalRunComputesOnlyChangedStages) {
    start(3, 3);
    calcNew();
    stages.take();
    project->amp[1].weiche[50].typ = kPartCapacitor;
    project->amp[1].weiche[50].value = 4.7e-6;
    calcNew();
    EXPECT_EQ(stages.take(), (V{"check", "we1", "box"}));
    EXPECT_EQ(listener.lastPercentAll, 3);
    EXPECT_TRUE(form.result->valid);
}

TEST_F(CalcRunTest, NoChangeFinishesAtOnceWithoutProgressText) {
    start(1, 1);
    calcNew();
    stages.take();
    form.statusText = "unberuehrt";
    calcNew();
    EXPECT_EQ(stages.take(), V{});
    EXPECT_EQ(listener.lastPercentAll, 0);
    EXPECT_EQ(listener.finals, 2);
    EXPECT_EQ(listener.results, 2);
    // The final message still comes; the progress display left the text alone before it.
    EXPECT_EQ(form.statusText, "Berechnung war erfolgreich.");
    EXPECT_TRUE(form.result->valid);
}

TEST_F(CalcRunTest, CalcAllNewRecomputesEverythingAndClearsResults) {
    start(1, 2);
    calcNew();
    stages.take();
    calc->Res->fgang_box[3][4] = Complex{7, 7}; // left over from an earlier run
    form.CalcAllNew(*project);
    ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    EXPECT_EQ(stages.take(), (V{"check", "sw0", "sw1", "akt0", "ch0", "ch1", "we0", "box"}));
    EXPECT_EQ(form.result->fgang_box[3][4].re, 0.0);
}

TEST_F(CalcRunTest, RequestArrivingMidRunIsTakenAfterTheCurrentStage) {
    start(2, 2);
    stages.holdAt("sw1");
    form.CalcNew(*project);
    stages.waitUntilHeld();
    // While the baffle of driver 2 is being computed, the user changes filter 1 of amp 2.
    project->amp[1].aktfilter.fil[0].typ = 1;
    form.CalcNew(*project); // the first request was taken, so this does not wait
    EXPECT_FALSE(form.result->valid);
    stages.release();
    ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    // akt1 was pending anyway; nothing runs twice and nothing is lost.
    EXPECT_EQ(stages.take(),
              (V{"check", "sw0", "sw1", "akt0", "akt1", "ch0", "ch1", "we0", "we1", "box"}));
    EXPECT_EQ(listener.finals, 1);
    EXPECT_EQ(calc->aktProjekt->amp[1].aktfilter.fil[0].typ, 1);
    EXPECT_TRUE(form.result->valid);
}

TEST_F(CalcRunTest, ChangeOfAFinishedStageMidRunRecomputesIt) {
    start(1, 2);
    stages.holdAt("ch0");
    form.CalcNew(*project);
    stages.waitUntilHeld();
    project->schallwand[0].swb = 0.2; // the baffle of driver 1 is already done
    form.CalcNew(*project);
    stages.release();
    ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    EXPECT_EQ(stages.take(), (V{"check", "sw0", "sw1", "akt0", "ch0", "sw0", "ch1", "we0", "box"}));
    EXPECT_EQ(listener.finals, 1);
}

TEST_F(CalcRunTest, ProgressTextDuringARun) {
    start(1, 1);
    stages.holdAt("box");
    form.CalcNew(*project);
    stages.waitUntilHeld();
    // Held in the last of 6 stages: the progress shown after the 5th was 83,3 %.
    std::string shown;
    {
        // The form is written by the worker's callbacks, which are done before the stage starts.
        shown = form.statusText;
    }
    stages.release();
    ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    EXPECT_EQ(shown, utf8ToLatin1("Berechnung läuft: 83,3%"));
    EXPECT_EQ(form.statusFace, StatusFace::Normal);
}

TEST(ProgressText, FourSignificantDigits) {
    EXPECT_EQ(progressText(1, 3), utf8ToLatin1("Berechnung läuft: 33,3%"));
    EXPECT_EQ(progressText(2, 3), utf8ToLatin1("Berechnung läuft: 66,7%"));
    EXPECT_EQ(progressText(7, 7), utf8ToLatin1("Berechnung läuft: 100%"));
    EXPECT_EQ(progressText(0, 7), utf8ToLatin1("Berechnung läuft: 0%"));
}

TEST(CalcRun, DriverWithoutDataNeverPassesAsValid) {
    TFormRechnen form;
    TCalcThread::Options o;
    o.pause = 0ms;
    o.listener = &form;
    o.lowerPriority = false;
    TCalcThread calc(o);
    form.attach(&calc);
    auto p = makeProject(1, 1);
    placeDriver(*p, 0, 1, 0);
    form.CalcNew(*p);
    ASSERT_TRUE(calc.waitUntilIdle(kGenerous));
    EXPECT_FALSE(form.result->valid);
    EXPECT_EQ(form.statusFace, StatusFace::Failed);
    EXPECT_EQ(form.statusText, utf8ToLatin1("Berechnung fehlerhaft. Klick hier für Fehlerliste"));
    // The default driver has no Thiele-Small values: only its driver stage fails, and the box
    // computes with what there is, so the list holds exactly that one text.
    ASSERT_EQ(form.errCount, 1);
    ASSERT_EQ(form.ErrMemo.size(), 1u);
    EXPECT_EQ(form.ErrMemo[0].rfind("Fehler: Chassis 1: ", 0), 0u);
    EXPECT_EQ(calc.CalcStruct.bfgang_sw[0].str(), "OK");
    EXPECT_EQ(calc.CalcStruct.bfgang_box.str(), "OK");
}

TEST(CalcRun, ErrorListSkipsOkAndCounts) {
    TFormRechnen form;
    form.ErrOutput("OK");
    form.ErrOutput("Fehler: x");
    form.ErrOutput("OKAY");
    EXPECT_EQ(form.errCount, 2);
    EXPECT_EQ(form.ErrMemo, (std::vector<std::string>{"Fehler: x", "OKAY"}));
}

// ---------------------------------------------------------------------------------------------
// Termination

TEST(CalcTermination, WhileWaitingForTheFirstRequest) {
    const auto t0 = std::chrono::steady_clock::now();
    {
        TCalcThread calc(batchOptions());
        EXPECT_FALSE(calc.isRunning());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, kGenerous);
}

TEST(CalcTermination, DuringTheLongPauseAfterAStage) {
    RecordingStages stages;
    auto p = makeProject(1, 1);
    const auto t0 = std::chrono::steady_clock::now();
    {
        TCalcThread::Options o;
        o.pause = std::chrono::hours(1); // woken by termination, not by the clock
        o.stages = &stages;
        o.lowerPriority = false;
        TCalcThread calc(o);
        calc.requestCalcNew(*p);
        // Wait until the first stage has run, so the worker sits in its pause.
        while (calc.percent_ready.load() == 0) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_TRUE(calc.isRunning());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, kGenerous);
    EXPECT_EQ(stages.take().size(), 1u);
}

// Notes when the last stage of a run ended and when its result came back.
class TimingStages : public RecordingStages {
public:
    void box(TCalcThread& c) override {
        RecordingStages::box(c);
        boxEnd = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point boxEnd;
};
class TimingListener : public CalcListener {
public:
    void showProgress(const TCalcThread&) override {}
    void showFinalMessage(const TCalcThread&) override {}
    void resultsBack(const TCalcThread&) override { back = std::chrono::steady_clock::now(); }
    std::chrono::steady_clock::time_point back;
};

TEST(CalcPause, ComesBetweenStagesButNeverAfterTheLast) {
    // No amplifier, no driver: the run is the driver check and the box stage, so exactly one
    // pause lies between them and none may follow the box stage.
    constexpr auto kPause = 1500ms;
    TimingStages stages;
    TimingListener listener;
    auto p = makeProject(0, 0);
    TCalcThread::Options o;
    o.pause = kPause;
    o.stages = &stages;
    o.listener = &listener;
    o.lowerPriority = false;
    TCalcThread calc(o);
    const auto t0 = std::chrono::steady_clock::now();
    calc.requestCalcNew(*p);
    ASSERT_TRUE(calc.waitUntilIdle(kGenerous));
    EXPECT_EQ(stages.take(), (std::vector<std::string>{"check", "box"}));
    EXPECT_GE(stages.boxEnd - t0, kPause);                // the pause between the two
    EXPECT_LT(listener.back - stages.boxEnd, kPause / 2); // the result went out at once
    EXPECT_GT(calc.tim_br * 86400.0, 1.0); // the pause is counted, in days, as tim_br
}

TEST(CalcPause, DefaultsToNone) {
    EXPECT_EQ(TCalcThread::Options{}.pause, 0ms);
}

TEST(CalcTermination, AfterAFinishedRun) {
    RecordingStages stages;
    auto p = makeProject(1, 1);
    TCalcThread::Options o;
    o.pause = 0ms;
    o.stages = &stages;
    o.lowerPriority = false;
    auto calc = std::make_unique<TCalcThread>(o);
    calc->requestCalcNew(*p);
    ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    calc->terminate();
    calc.reset();
    EXPECT_EQ(stages.take().size(), 6u);
}

TEST(CalcRequests, SecondRequestWaitsUntilTheFirstIsTaken) {
    // Many requests in a row from another thread: each must be taken, none may be lost, and the
    // last project is the one calculated.
    RecordingStages stages;
    TCalcThread::Options o;
    o.pause = 0ms;
    o.stages = &stages;
    o.lowerPriority = false;
    TCalcThread calc(o);
    auto p = makeProject(1, 1);
    for (int k = 1; k <= 20; ++k) {
        p->amp[0].aktfilter.pegel = k;
        calc.requestCalcNew(*p);
    }
    ASSERT_TRUE(calc.waitUntilIdle(kGenerous));
    EXPECT_EQ(calc.aktProjekt->amp[0].aktfilter.pegel, 20.0);
    EXPECT_FALSE(calc.requestPending());
}

TEST(CommentDate, FirstMarkerReplacedAndCut) {
    const DateValue d{3, 7, 2026};
    const std::locale c = std::locale::classic();
    EXPECT_EQ(commentWithDate("Box <d>", d, c), "Box 03.07.2026");
    EXPECT_EQ(commentWithDate("<d> und <d>", d, c), "03.07.2026 und <d>");
    EXPECT_EQ(commentWithDate("ohne Datum", d, c), "ohne Datum");
    const std::string longText(60, 'a');
    EXPECT_EQ(commentWithDate(longText + "<d>", d, c), longText + "03.0");
}

} // namespace
} // namespace sonora
