// The checks before a start, with the program's German messages and questions.
#include <memory>

#include <gtest/gtest.h>

#include "opti_test_support.h"
#include "optimizer/opti_start.h"
#include "optimizer/opti_values.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
using testing::part;
using testing::projectWithParts;

struct StartRig {
    ScriptedPrompt prompt;
    std::unique_ptr<TCalcThread> interactive =
        std::make_unique<TCalcThread>(TCalcThread::Options{});
    int referenceRemembered = 0;

    bool check(TProjekt& p, bool optimizerRunning = false) {
        return optimizerStartChecks(p, *interactive, optimizerRunning, prompt,
                                    [this] { ++referenceRemembered; });
    }
};

std::string latin1(const char* utf8) {
    return utf8ToLatin1(utf8);
}

TEST(OptiStart, MarkedProjectPassesAndTheReferenceQuestionComesFirst) {
    auto p = projectWithParts({part(kPartResistor, 4.0)});
    StartRig rig;
    rig.prompt.choices = {1};
    EXPECT_TRUE(rig.check(*p));
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0],
              latin1("Soll Projekt vorher als Referenzprojekt gespeichert werden?"));
    EXPECT_EQ(rig.referenceRemembered, 1);
    rig.prompt.choices = {2};
    EXPECT_TRUE(rig.check(*p));
    EXPECT_EQ(rig.referenceRemembered, 1);
    // A running optimizer refuses at once.
    EXPECT_FALSE(rig.check(*p, true));
    ASSERT_EQ(rig.prompt.messages.size(), 1u);
    EXPECT_EQ(rig.prompt.messages[0], latin1("Optimierung läuft bereits."));
}

TEST(OptiStart, NothingMarkedOffersToMarkResistorsOrAllParts) {
    auto p = projectWithParts({part(kPartResistor, 4.0, 0, false),
                               part(kPartCapacitor, 1e-6, 0, false), part(kPartWire, 0, 0, false)});
    StartRig rig;
    const std::string question =
        latin1("Es wurden keine Bauteile zur Optimierung markiert. Was soll geschehen?");
    rig.prompt.choices = {2, 3}; // no reference; mark it myself
    EXPECT_FALSE(rig.check(*p));
    ASSERT_EQ(rig.prompt.questions.size(), 2u);
    EXPECT_EQ(rig.prompt.questions[1], question);
    EXPECT_FALSE(p->amp[0].weiche[0].bOptimize);

    rig.prompt.choices = {2, 1}; // all resistors
    EXPECT_TRUE(rig.check(*p));
    EXPECT_TRUE(p->amp[0].weiche[0].bOptimize);
    EXPECT_FALSE(p->amp[0].weiche[1].bOptimize);

    p->amp[0].weiche[0].bOptimize = false;
    rig.prompt.choices = {2, 2}; // all parts
    EXPECT_TRUE(rig.check(*p));
    EXPECT_TRUE(p->amp[0].weiche[0].bOptimize);
    EXPECT_TRUE(p->amp[0].weiche[1].bOptimize);
    EXPECT_FALSE(p->amp[0].weiche[2].bOptimize); // a wire is no part to optimize
}

TEST(OptiStart, NoPartsAtAllAndBadDriversAreRefusedWithTheirTexts) {
    auto p = projectWithParts({});
    StartRig rig;
    rig.prompt.choices = {2};
    EXPECT_FALSE(rig.check(*p));
    ASSERT_EQ(rig.prompt.messages.size(), 1u);
    EXPECT_EQ(rig.prompt.messages[0], "Kein Bauteil zum Optimieren in der Weiche vorhanden.");
    p->nAmps = 2;
    rig.prompt.choices = {2};
    EXPECT_FALSE(rig.check(*p));
    EXPECT_EQ(rig.prompt.messages.back(), "Kein Bauteil zum Optimieren in den Weichen vorhanden.");

    // A marked gain is enough to start; then drivers 2 and 3 (of 3) lack Sd or Pmax.
    p->amp[0].aktfilter.bOptiPeg = true;
    p->nChassis = 3;
    p->chassis[1] = p->chassis[0];
    p->chassis[1].Pmax = 0;
    p->chassis[2] = p->chassis[0];
    p->chassis[2].Sd = 0;
    rig.prompt.choices = {2};
    EXPECT_FALSE(rig.check(*p));
    EXPECT_EQ(rig.prompt.messages.back(),
              "Chassis 2:\r" + latin1("Sd, xlin und Pmax müssen > 0 sein."));
    p->chassis[1].Pmax = 50;
    p->chassis[2].Sd = 0.01;
    rig.prompt.choices = {2};
    EXPECT_TRUE(rig.check(*p));
}

TEST(OptiStart, AMarkedFilterStageAloneStartsWithoutAQuestion) {
    // Parts present but unmarked, one filter stage marked: the filter is what gets optimized,
    // so neither the marking question nor a refusal may come.
    auto p = projectWithParts({part(kPartResistor, 4.0, 0, false)});
    p->amp[0].aktfilter.fil[3].typ = 1; // a first kind with a frequency
    p->amp[0].aktfilter.fil[3].f = 2000.0;
    p->amp[0].aktfilter.fil[3].bOptimize = true;
    StartRig rig;
    rig.prompt.choices = {2}; // no reference
    EXPECT_TRUE(rig.check(*p));
    EXPECT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_TRUE(rig.prompt.messages.empty());
    EXPECT_FALSE(p->amp[0].weiche[0].bOptimize); // nothing marked behind the user's back
    const OptiValueList values = collectOptiValues(*p);
    ASSERT_GE(values.count, 1);
    EXPECT_TRUE(values.values[0].bAktiv);
    EXPECT_EQ(values.values[0].Partnr, 3);

    // The same without any crossover part at all.
    auto bare = projectWithParts({});
    bare->amp[0].aktfilter.fil[0] = p->amp[0].aktfilter.fil[3];
    rig.prompt.choices = {2};
    EXPECT_TRUE(rig.check(*bare));
    EXPECT_TRUE(rig.prompt.messages.empty());
}

TEST(OptiStart, WaitsForTheInteractiveRunOrGivesUp) {
    auto p = projectWithParts({part(kPartResistor, 4.0)});
    StartRig rig;
    // A calculation that is still going: a long pause after each stage keeps it running.
    TCalcThread::Options slow;
    slow.pause = 5000ms;
    rig.interactive = std::make_unique<TCalcThread>(slow);
    rig.interactive->requestCalcNew(*p);
    ASSERT_TRUE(rig.interactive->isRunning());
    rig.prompt.choices = {1, 2}; // try again once, then give up
    EXPECT_FALSE(rig.check(*p));
    ASSERT_EQ(rig.prompt.questions.size(), 2u);
    EXPECT_EQ(rig.prompt.questions[0], "Rechnung muss erst beendet sein.");
    EXPECT_EQ(rig.prompt.questions[1], "Rechnung muss erst beendet sein.");
    rig.interactive->terminate();
}

} // namespace
} // namespace sonora
