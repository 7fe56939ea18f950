// The optimizer thread on instant stages and a closed-form rating: it finds a known minimum,
// leaves a gain alone that it cannot move, keeps the best design when stopped while fixing, and
// hands back the best design or the start design on closing.
#include <chrono>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "opti_test_support.h"
#include "optimizer/opti_thread.h"
#include "optimizer/opti_window.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
using testing::BowlRating;
using testing::InstantStages;
using testing::part;
using testing::projectWithParts;
using testing::RecordingHost;

constexpr auto kGenerous = 60s; // only guards against a hang

// A seed result and stage texts as the interactive object leaves them after a run.
struct Seed {
    std::unique_ptr<TResult> res = std::make_unique<TResult>();
    std::unique_ptr<TCalcStruct> cs = std::make_unique<TCalcStruct>();
};

struct Rig {
    InstantStages stages;
    RecordingHost host;
    std::unique_ptr<TOptiThread> thread;
    Seed seed;

    explicit Rig(const BowlRating& rating, OptiHost* otherHost = nullptr) {
        TOptiThread::Options o;
        o.host = otherHost != nullptr ? otherHost : &host;
        o.stages = &stages;
        o.rating = rating.function();
        o.lowerPriority = false;
        thread = std::make_unique<TOptiThread>(o);
    }
    void runToEnd(const TProjekt& p) {
        thread->start(p, *seed.res, *seed.cs, host.HoleAlleBewPara());
        ASSERT_TRUE(thread->waitUntilIdle(kGenerous));
    }
    const TProjekt& best() const { return *thread->runObject(TOptiThread::kBest).calc->newProjekt; }
    double bestNote() const { return thread->runObject(TOptiThread::kBest).Bewertungen.Note; }
};

TEST(OptiThread, FindsTheMinimumOfABowlAndFixesEveryPartCoilsFirst) {
    // Start 2x off for the coil, 0.5x for the capacitor, 3x for the resistor.
    auto p = projectWithParts(
        {part(kPartResistor, 24.0), part(kPartCapacitor, 5e-6), part(kPartCoil, 2e-3, 0.3)});
    BowlRating bowl;
    bowl.targets = {{0, 8.0}, {1, 10e-6}, {2, 1e-3}};
    Rig rig(bowl);
    rig.runToEnd(*p);

    const TProjekt& best = rig.best();
    EXPECT_NEAR(best.amp[0].weiche[0].value, 8.0, 8.0 * 0.02);
    EXPECT_NEAR(best.amp[0].weiche[1].value, 10e-6, 10e-6 * 0.02);
    EXPECT_NEAR(best.amp[0].weiche[2].value, 1e-3, 1e-3 * 0.02);
    EXPECT_LT(rig.bestNote(), 1e-3);
    // The object's grades belong to its design.
    EXPECT_DOUBLE_EQ(rig.bestNote(), bowl.note(best));
    // Start grades first, then one display per pass; the best never gets worse.
    ASSERT_GE(rig.host.notes.size(), 2u);
    EXPECT_NEAR(rig.host.notes.front(), bowl.note(*p), 1e-12);
    for (std::size_t i = 1; i < rig.host.notes.size(); ++i) {
        EXPECT_LE(rig.host.notes[i], rig.host.notes[i - 1]);
    }
    // Every part was fixed once, in the order coil, capacitor, resistor; then the run ended by
    // itself with the notice and a cleared progress bar.
    ASSERT_EQ(rig.host.fixed.size(), 3u);
    EXPECT_EQ(rig.host.fixed[0].typ, kPartCoil);
    EXPECT_EQ(rig.host.fixed[1].typ, kPartCapacitor);
    EXPECT_EQ(rig.host.fixed[2].typ, kPartResistor);
    EXPECT_EQ(rig.thread->optiValues().count, 0);
    // The last pass had the resistor left: one mark for its step, one for the all-values step.
    const std::string marks = rig.thread->fortschritt();
    ASSERT_EQ(marks.size(), 2u) << marks;
    EXPECT_NE(std::string("S.").find(marks[0]), std::string::npos) << marks;
    EXPECT_NE(std::string("V-").find(marks[1]), std::string::npos) << marks;
    EXPECT_EQ(rig.host.readyShown, 1);
    EXPECT_EQ(rig.host.lastPercentage, -1);
    EXPECT_EQ(rig.thread->progressPermille(), -1);
    // Start, then once per pass.
    EXPECT_EQ(rig.host.parameterReads, 1 + rig.thread->completedPasses());
    // The start design stays untouched.
    EXPECT_DOUBLE_EQ(rig.thread->merkprojekt().amp[0].weiche[2].value, 2e-3);
}

// A stop inside a pass ends the run at once: that pass is neither counted nor shown as one.
TEST(OptiThread, APassEndedByAStopIsNotReportedAsComplete) {
    class StopInSecondPass : public RecordingHost {
    public:
        TBewertungsparameter HoleAlleBewPara() override {
            TBewertungsparameter para = RecordingHost::HoleAlleBewPara();
            if (parameterReads == 2) { // read at the start of pass 2
                thread->requestStop();
            }
            return para;
        }
        TOptiThread* thread = nullptr;
    };
    auto p = projectWithParts({part(kPartCapacitor, 5e-6), part(kPartCoil, 2e-3, 0.3)});
    BowlRating bowl;
    bowl.targets = {{0, 10e-6}, {1, 1e-3}};
    StopInSecondPass host;
    Rig rig(bowl, &host);
    host.thread = rig.thread.get();
    rig.runToEnd(*p);

    EXPECT_EQ(host.parameterReads, 2);
    EXPECT_EQ(rig.thread->completedPasses(), 1);
    EXPECT_EQ(host.notes.size(), 2u); // the start and pass 1, not the stopped pass 2
    EXPECT_EQ(host.readyShown, 0);
    // The stopped pass may still have improved object 0: its grades belong to its design.
    EXPECT_DOUBLE_EQ(rig.bestNote(), bowl.note(rig.best()));
    EXPECT_LE(rig.bestNote(), host.notes.back());
}

TEST(OptiThread, GainOfTheOnlyAmplifierWithAllGainsMarkedNeverMoves) {
    auto p = projectWithParts({});
    p->amp[0].aktfilter.bOptiPeg = true;
    p->amp[0].aktfilter.pegel = 0.7; // the bowl would like 1
    BowlRating bowl;
    bowl.gains = true;
    Rig rig(bowl);
    rig.runToEnd(*p);
    EXPECT_TRUE(rig.thread->allAmpsGainMarked());
    EXPECT_EQ(rig.best().amp[0].aktfilter.pegel, 0.7);
    // No crossover part to fix: a stagnating run ends by itself.
    EXPECT_TRUE(rig.host.fixed.empty());
    EXPECT_EQ(rig.host.readyShown, 1);

    // Without "every gain marked" (two amplifiers, one marked) the same gain moves to its best.
    p->nAmps = 2;
    rig.runToEnd(*p);
    EXPECT_FALSE(rig.thread->allAmpsGainMarked());
    EXPECT_NEAR(rig.best().amp[0].aktfilter.pegel, 1.0, 0.02);
    EXPECT_EQ(rig.best().amp[1].aktfilter.pegel, 1.0);
}

TEST(OptiThread, StoppingWhileAPartIsFixedKeepsTheBestDesignAndClosingOffersIt) {
    auto p = projectWithParts({part(kPartCapacitor, 5e-6), part(kPartCoil, 2e-3, 0.3)});
    BowlRating bowl;
    bowl.targets = {{0, 10e-6}, {1, 1e-3}};
    ScriptedPrompt prompt;
    OptimizerWindow window(prompt);
    TBewertungen bestWhenFixing{};
    TPart offered{};
    Rig rig(bowl, &window);
    window.attach(rig.thread.get());
    window.partEditor = [&](TPart& fix) {
        // The user is asked for the coil and presses abort meanwhile; the editor still applies
        // the rounded value.
        offered = fix;
        bestWhenFixing = rig.thread->runObject(TOptiThread::kBest).Bewertungen;
        rig.thread->requestStop();
        fix.value = 1.1e-3;
        return true;
    };
    auto interactive = std::make_unique<TCalcThread>(TCalcThread::Options{});
    prompt.choices = {2}; // no reference project
    ASSERT_TRUE(window.start(*p, *interactive, *rig.seed.res));
    EXPECT_TRUE(window.DidOptimize);
    ASSERT_TRUE(rig.thread->waitUntilIdle(kGenerous));

    // The coil was offered at its optimum; object 0 holds that design with the user's value and
    // its own grades, and the finished notice was not shown.
    EXPECT_EQ(offered.typ, kPartCoil);
    EXPECT_NEAR(offered.value, 1e-3, 1e-3 * 0.02);
    const TProjekt& best = rig.best();
    EXPECT_DOUBLE_EQ(best.amp[0].weiche[1].value, 1.1e-3);
    EXPECT_NEAR(best.amp[0].weiche[0].value, 10e-6, 10e-6 * 0.02);
    EXPECT_DOUBLE_EQ(rig.bestNote(), bowl.note(best));
    EXPECT_GT(rig.bestNote(), bestWhenFixing.Note); // the fixed coil is a little off the optimum
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_FALSE(rig.thread->stopRequested()); // cleared at the end of the run

    // Closing: the run is over, so only the apply question comes. "Abbruch" keeps the window,
    // "Ja" applies object 0's design.
    TProjekt& project = *p;
    prompt.choices = {2, 1};
    EXPECT_EQ(window.close(project), OptiCloseResult::KeepOpen);
    EXPECT_EQ(window.close(project), OptiCloseResult::Applied);
    EXPECT_DOUBLE_EQ(project.amp[0].weiche[1].value, 1.1e-3);
    ASSERT_EQ(prompt.questions.size(), 3u);
    EXPECT_EQ(prompt.questions[1], utf8ToLatin1("Optimierungsergebnisse übernehmen?"));
    EXPECT_EQ(std::string(kUndoApplyOptimization), "Optimierung anwenden");

    // "Nein" brings back the design from the start.
    prompt.choices = {3};
    EXPECT_EQ(window.close(project), OptiCloseResult::Restored);
    EXPECT_DOUBLE_EQ(project.amp[0].weiche[1].value, 2e-3);
    EXPECT_DOUBLE_EQ(project.amp[0].weiche[0].value, 5e-6);
    // The window showed the start and the latest grades.
    EXPECT_NE(window.ergebnisseVor.find("Note gesamt"), std::string::npos);
    EXPECT_NE(window.ergebnisseVor, window.ergebnisseNach);
    EXPECT_GE(window.history.size(), 2);
    window.show();
    EXPECT_FALSE(window.DidOptimize);
    EXPECT_EQ(window.close(project), OptiCloseResult::Closed);
}

TEST(OptiThread, AbortDuringARunEndsItWithoutTheNoticeAndCloseAsksFirst) {
    // A slow bowl (many values, far from the targets) so the run is still going when aborted.
    std::vector<TPart> parts;
    BowlRating bowl;
    for (int i = 0; i < 40; ++i) {
        parts.push_back(part(kPartResistor, 100.0 + i));
        bowl.targets.push_back({i, 1.0 + i});
    }
    auto p = projectWithParts(parts);
    ScriptedPrompt prompt;
    OptimizerWindow window(prompt);
    Rig rig(bowl, &window);
    window.attach(rig.thread.get());
    auto interactive = std::make_unique<TCalcThread>(TCalcThread::Options{});
    prompt.choices = {2};
    ASSERT_TRUE(window.start(*p, *interactive, *rig.seed.res));
    // Starting again while it runs is refused before any question.
    EXPECT_FALSE(window.start(*p, *interactive, *rig.seed.res));
    ASSERT_FALSE(prompt.messages.empty());
    EXPECT_EQ(prompt.messages.back(), utf8ToLatin1("Optimierung läuft bereits."));
    prompt.messages.clear();
    // "Nein" to the abort question keeps the window open while the run goes on.
    prompt.choices = {2};
    TProjekt& project = *p;
    EXPECT_EQ(window.close(project), OptiCloseResult::KeepOpen);
    // "Ja" stops it and then asks whether to apply: "Nein" restores the start design.
    prompt.choices = {1, 3};
    EXPECT_EQ(window.close(project), OptiCloseResult::Restored);
    EXPECT_FALSE(rig.thread->isRunning());
    EXPECT_TRUE(rig.thread->runObjectsIdle());
    EXPECT_DOUBLE_EQ(project.amp[0].weiche[0].value, 100.0);
    EXPECT_TRUE(prompt.messages.empty()); // no "erfolgreich beendet" after an abort
    EXPECT_TRUE(window.startEnabled);
}

} // namespace
} // namespace sonora
