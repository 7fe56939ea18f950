// The optimizer's time-outs: a start design, a step or a fixed part that takes too long ends the
// run as if it had finished (notice shown, progress cleared), object 0 keeps the best design, and
// the next start waits for the late run objects and then runs normally.
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "opti_test_support.h"
#include "optimizer/opti_thread.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
using testing::BowlRating;
using testing::InstantStages;
using testing::part;
using testing::projectWithParts;
using testing::RecordingHost;

constexpr auto kGenerous = 60s; // only guards against a hang
// A slow box stage takes several times longer than the shortened waits below, so the time-out is
// certain, while the waits stay long enough that instant stages never time out on a busy machine.
// The waits are shortened to about 2 s: far beyond an instant stage even under ThreadSanitizer on
// a loaded machine, far below the slow stage.
constexpr auto kSlowStage = 5000ms;
constexpr int kShortStartPolls = 25; // 80 ms polls: the start design times out after ~2 s
constexpr int kShortStepPolls = 200; // 10 ms polls: a step times out after ~2 s

// Instant stages whose box stage sleeps on the chosen run objects ("o1", "o2", "o3").
class SlowBoxStages : public InstantStages {
public:
    void box(TCalcThread& c) override {
        const bool best = c.kennung == "o1";
        if ((best && slowBest) || (!best && slowCandidates)) {
            ++slowRuns;
            std::this_thread::sleep_for(kSlowStage);
        }
        InstantStages::box(c);
    }
    std::atomic<bool> slowBest{false};
    std::atomic<bool> slowCandidates{false};
    std::atomic<int> slowRuns{0};
};

// Calls `afterDisplay` with the number of grade displays so far.
class TriggerHost : public RecordingHost {
public:
    void Noten2Memo(const TBewertungen& grades, const TResult& res) override {
        RecordingHost::Noten2Memo(grades, res);
        if (afterDisplay) {
            afterDisplay(static_cast<int>(notes.size()));
        }
    }
    std::function<void(int)> afterDisplay;
};

struct TimeoutRig {
    SlowBoxStages stages;
    TriggerHost host;
    std::unique_ptr<TOptiThread> thread;
    std::unique_ptr<TResult> res = std::make_unique<TResult>();
    std::unique_ptr<TCalcStruct> cs = std::make_unique<TCalcStruct>();

    explicit TimeoutRig(const BowlRating& rating) {
        TOptiThread::Options o;
        o.host = &host;
        o.stages = &stages;
        o.rating = rating.function();
        o.lowerPriority = false;
        o.startDesignPolls = kShortStartPolls;
        o.stepPolls = kShortStepPolls;
        thread = std::make_unique<TOptiThread>(o);
    }
    void start(const TProjekt& p) { thread->start(p, *res, *cs, host.HoleAlleBewPara()); }
    const TOptiThread::RunObject& best() const { return thread->runObject(TOptiThread::kBest); }
    void waitForLateObjects() {
        for (int k = 0; k < TOptiThread::kRunObjects; ++k) {
            ASSERT_TRUE(thread->waitRunObjectIdle(k, kGenerous));
        }
    }
};

TEST(OptiTimeout, SlowStartDesignEndsTheRunAndTheNextStartRecovers) {
    auto p = projectWithParts({part(kPartResistor, 24.0)});
    BowlRating bowl;
    bowl.targets = {{0, 8.0}};
    TimeoutRig rig(bowl);
    rig.stages.slowBest = rig.stages.slowCandidates = true;
    rig.start(*p);
    ASSERT_TRUE(rig.thread->waitUntilIdle(kGenerous));
    // The run gave up while the objects were still calculating: no grades were shown (object 0 is
    // not readable then), no pass ran, and the run ended like a finished one.
    EXPECT_FALSE(rig.thread->runObjectsIdle());
    EXPECT_TRUE(rig.host.notes.empty());
    EXPECT_EQ(rig.thread->completedPasses(), 0);
    EXPECT_EQ(rig.host.readyShown, 1);
    EXPECT_EQ(rig.host.lastPercentage, -1);
    EXPECT_EQ(rig.host.parameterReads, 1); // only the start's reading: no pass began
    EXPECT_FALSE(rig.thread->isRunning());

    // With quick stages again the next start waits for the late objects and then runs normally.
    rig.stages.slowBest = rig.stages.slowCandidates = false;
    rig.start(*p);
    ASSERT_TRUE(rig.thread->waitUntilIdle(kGenerous));
    ASSERT_GE(rig.host.notes.size(), 2u);
    EXPECT_NEAR(rig.host.notes.front(), bowl.note(*p), 1e-12);
    EXPECT_EQ(rig.host.readyShown, 2);
    EXPECT_NEAR(rig.best().calc->newProjekt->amp[0].weiche[0].value, 8.0, 8.0 * 0.02);
}

TEST(OptiTimeout, SlowCandidatesEndTheRunAndObjectZeroKeepsTheBestDesign) {
    auto p = projectWithParts({part(kPartResistor, 24.0), part(kPartCapacitor, 5e-6)});
    BowlRating bowl;
    bowl.targets = {{0, 8.0}, {1, 10e-6}};
    TimeoutRig rig(bowl);
    // After the grades of pass 1 every candidate becomes slow: pass 2 times out at its first step.
    rig.host.afterDisplay = [&](int displays) {
        if (displays == 2) {
            rig.stages.slowCandidates = true;
        }
    };
    rig.start(*p);
    ASSERT_TRUE(rig.thread->waitUntilIdle(kGenerous));
    EXPECT_EQ(rig.thread->completedPasses(), 1);
    ASSERT_EQ(rig.host.notes.size(), 2u); // start and pass 1; the timed-out pass shows nothing
    EXPECT_EQ(rig.host.readyShown, 1);
    EXPECT_EQ(rig.host.lastPercentage, -1);
    EXPECT_TRUE(rig.host.fixed.empty());
    // Pass 1 improved the start design; object 0 still holds that design with its own grades.
    const double passOneNote = rig.host.notes[1];
    EXPECT_LT(passOneNote, rig.host.notes[0]);
    EXPECT_DOUBLE_EQ(rig.best().Bewertungen.Note, passOneNote);
    // The candidates finish late and are dropped: object 0 does not change.
    rig.waitForLateObjects();
    EXPECT_GE(rig.stages.slowRuns.load(), 2);
    EXPECT_DOUBLE_EQ(rig.best().Bewertungen.Note, passOneNote);
    EXPECT_DOUBLE_EQ(bowl.note(*rig.best().calc->newProjekt), passOneNote);
    EXPECT_DOUBLE_EQ(rig.thread->merkprojekt().amp[0].weiche[0].value, 24.0);
}

TEST(OptiTimeout, SlowRecalculationOfAFixedPartEndsTheRunWithTheFixedValue) {
    auto p = projectWithParts({part(kPartCapacitor, 5e-6), part(kPartCoil, 2e-3, 0.3)});
    BowlRating bowl;
    bowl.targets = {{0, 10e-6}, {1, 1e-3}};
    TimeoutRig rig(bowl);
    constexpr double kChosen = 1.2e-3; // H, the value the user picks for the coil
    rig.host.onFix = [&](TPart& fix) {
        fix.value = kChosen;
        rig.stages.slowBest = true; // object 0's recalculation with the fixed coil is slow
    };
    rig.start(*p);
    ASSERT_TRUE(rig.thread->waitUntilIdle(kGenerous));
    ASSERT_EQ(rig.host.fixed.size(), 1u);
    EXPECT_EQ(rig.host.fixed[0].typ, kPartCoil);
    EXPECT_EQ(rig.host.readyShown, 1);
    EXPECT_EQ(rig.host.lastPercentage, -1);
    // Nothing moved after the fixing: the capacitor is where the last pass left it, the coil has
    // the chosen value, and once object 0 is done its grades belong to that design.
    rig.waitForLateObjects();
    const TProjekt& best = *rig.best().calc->newProjekt;
    EXPECT_DOUBLE_EQ(best.amp[0].weiche[1].value, kChosen);
    EXPECT_NEAR(best.amp[0].weiche[0].value, 10e-6, 10e-6 * 0.02);
    EXPECT_DOUBLE_EQ(rig.best().Bewertungen.Note, bowl.note(best));
    EXPECT_DOUBLE_EQ(rig.best().Bewertungen.Note, bowl.note(*rig.best().calc->aktProjekt));
}

} // namespace
} // namespace sonora
