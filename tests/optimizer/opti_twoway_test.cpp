// A real optimization: the first design of the two-way example (the figures below were measured
// on it) with its woofer low-pass detuned by a factor of two, computed by the engine's stages and
// rated by BewerteErgebnisse on a reduced grid.
#include <chrono>
#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "engine/example_projects.h"
#include "optimizer/opti_thread.h"
#include "optimizer/opti_window.h"
#include "optimizer/rating_params.h"
#include "tests/optimizer/design_note.h"
#include "tests/support/first_example_designs.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;

constexpr int kGridPoints = 40;  // reduced grid: the run stays well within a unit test's time
constexpr int kMaxPasses = 16;   // the bound on the run: it is stopped after this many passes
constexpr double kWithin = 0.25; // the recovered values stay within 25 % of the design

using testing::defaultParameters;

// The grade of a design computed and rated on its own run object.
double noteOf(const TProjekt& p) {
    return testing::designGrades(p).Note;
}

// The window with the default rating controls; it stops the run after kMaxPasses passes.
class BoundedWindow : public OptimizerWindow {
public:
    BoundedWindow(UserPrompt& prompt, const TProjekt& p) : OptimizerWindow(prompt) {
        const TBewertungsparameter para = defaultParameters(p); // the controls' start values
        readParameters = [para] { return para; };
    }
    void Noten2Memo(const TBewertungen& grades, const TResult& res) override {
        OptimizerWindow::Noten2Memo(grades, res);
        ++displays;
        if (displays > kMaxPasses && thread != nullptr) {
            thread->requestStop();
        }
    }
    TOptiThread* thread = nullptr;
    int displays = 0;
};

TEST(OptiTwoWay, DetunedLowPassComesBackAndTheGradeFalls) {
    auto p = std::make_unique<TProjekt>();
    test::buildFirstTwoWayDesign(*p, kGridPoints);
    const int coilSlot = verticalSlot(0, 0);      // woofer series coil, 0.72 mH
    const int capacitorSlot = verticalSlot(1, 0); // woofer shunt capacitor, 5.6 µF
    TPart& coil = p->amp[0].weiche[coilSlot];
    TPart& capacitor = p->amp[0].weiche[capacitorSlot];
    ASSERT_EQ(coil.typ, kPartCoil);
    ASSERT_EQ(capacitor.typ, kPartCapacitor);
    const double coilDesign = coil.value, capacitorDesign = capacitor.value;
    const double designNote = noteOf(*p);
    coil.value *= 2;
    capacitor.value *= 2;
    coil.bOptimize = capacitor.bOptimize = true;

    ScriptedPrompt prompt;
    BoundedWindow window(prompt, *p);
    auto mainResult = std::make_unique<TResult>();
    window.mainResult = mainResult.get();
    TOptiThread::Options o;
    o.host = &window;
    o.lowerPriority = false;
    TOptiThread thread(o);
    window.attach(&thread);
    window.thread = &thread;
    auto interactive = std::make_unique<TCalcThread>(TCalcThread::Options{});
    prompt.choices = {2}; // no reference project
    ASSERT_TRUE(window.start(*p, *interactive, *mainResult));
    ASSERT_TRUE(thread.waitUntilIdle(300s));

    ASSERT_GE(window.history.size(), 2);
    const double before = window.history[0].Note;
    const double after = thread.runObject(TOptiThread::kBest).Bewertungen.Note;
    // Measured on this grid: 7.02 detuned, 5.60 for the hand-made design, 5.40 after the 16
    // passes. (Before the rating floored its reference lines, a zero crossing of the fitted
    // line made the detuned design rate 54; the tweeter of this design is so much louder than
    // the woofer that the woofer's low-pass moves the grade by a quarter only.)
    std::printf("Note detuned %.4f, design %.4f, after %.4f, passes %d\n", before, designNote,
                after, thread.completedPasses());
    EXPECT_GT(before, 1.2 * designNote);
    EXPECT_LT(after, 0.8 * before);
    EXPECT_LE(after, designNote); // at least as good as the hand-made design
    const TProjekt& best = *thread.runObject(TOptiThread::kBest).calc->newProjekt;
    const double coilNow = best.amp[0].weiche[coilSlot].value;
    const double capacitorNow = best.amp[0].weiche[capacitorSlot].value;
    std::printf("coil %.4g H (design %.4g), capacitor %.4g F (design %.4g)\n", coilNow, coilDesign,
                capacitorNow, capacitorDesign);
    // The coil sets the woofer's corner and comes back; the shunt capacitor behind the loud
    // tweeter moves the grade so little that the bounded run leaves it near its detuned value
    // (12.1 µF), so only its staying within its start and the step's reach is checked.
    EXPECT_NEAR(coilNow, coilDesign, kWithin * coilDesign);
    EXPECT_LT(capacitorNow, 2.5 * capacitorDesign);
    EXPECT_GT(capacitorNow, 0.5 * capacitorDesign);
    EXPECT_LE(thread.completedPasses(), kMaxPasses + 1);
    // The history's value curves: every entry holds how far each marked value of the best design
    // stood from its (detuned) start; the first entry is the start itself, the last the end.
    const OptiValueList& values = thread.historyValues(); // OptiValues loses every fixed part
    int coilIndex = -1;
    for (int i = 0; i < values.count; ++i) {
        const TOptiValue& v = values.values[static_cast<std::size_t>(i)];
        if (!v.bAktiv && !v.bRValue && v.Partnr == coilSlot) {
            coilIndex = i;
        }
    }
    ASSERT_GE(coilIndex, 0);
    const auto coilAt = static_cast<std::size_t>(coilIndex);
    const OptiHistoryEntry& first = window.history[0];
    const OptiHistoryEntry& last = window.history[window.history.size() - 1];
    EXPECT_EQ(first.nValues, values.count);
    EXPECT_EQ(first.change[coilAt], 0);
    EXPECT_NEAR(last.change[coilAt], 100 * (coilNow / (2 * coilDesign) - 1), 1e-9);
    EXPECT_LT(last.change[coilAt], -25); // the doubled coil came most of the way back
    ASSERT_EQ(window.historyValueNames.size(), static_cast<std::size_t>(values.count));
    EXPECT_EQ(window.historyValueNames[coilAt], "L W1/" + std::to_string(coilSlot + 1));
    // The window shows the detuned start and the latest grades; the main window got the best
    // result as a valid one.
    EXPECT_NE(window.ergebnisseVor, window.ergebnisseNach);
    EXPECT_TRUE(mainResult->valid);
    EXPECT_EQ(mainResult->nfreq, kGridPoints);
}

} // namespace
} // namespace sonora
