#include "workspace_fixture.h"

namespace sonora::test {
namespace {

TEST_F(WorkspaceTest, ReferenceRememberSwapRestoreAndDelete) {
    ws->startUp(std::nullopt);
    changeLevel(2);
    ws->rememberReference();
    EXPECT_TRUE(ws->referenceValid());
    EXPECT_TRUE(view.menus.referenceCommands);
    ASSERT_EQ(view.remembered.size(), 1u);
    EXPECT_EQ(view.remembered[0], ComparisonCharts::All);
    EXPECT_EQ(calc.waits.back(), std::chrono::milliseconds{0}); // remembering does not wait

    changeLevel(5);
    const int all = calc.calcAllNewCount;
    ws->swapWithReference();
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 2);
    EXPECT_EQ(ws->reference().amp[0].aktfilter.pegel, 5);
    EXPECT_EQ(ws->undoStack().label(0), "Projekt mit Referenzprojekt tauschen");
    EXPECT_EQ(view.remembered.back(), ComparisonCharts::WithoutDirectivity);
    EXPECT_EQ(calc.waits.back(), kCalcWaitTimeout);
    EXPECT_EQ(calc.calcAllNewCount, all + 1);
    ws->undo();
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 5);

    ws->restoreReference();
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 5); // the reference holds 5 since the swap
    EXPECT_EQ(ws->undoStack().label(0), "Referenz wiederherstellen");
    EXPECT_EQ(calc.calcAllNewCount, all + 2);

    ws->deleteReference();
    EXPECT_FALSE(ws->referenceValid());
    EXPECT_FALSE(view.menus.referenceCommands);
    EXPECT_EQ(view.cleared, 1);
    const int snapshots = ws->undoStack().size();
    ws->swapWithReference(); // no reference: nothing happens
    ws->restoreReference();
    EXPECT_EQ(ws->undoStack().size(), snapshots);
}

TEST_F(WorkspaceTest, TheWaitForARunningCalculationRetriesAndGivesUpOnAbbrechen) {
    ws->startUp(std::nullopt);
    changeLevel(2);
    ws->rememberReference();
    changeLevel(3);

    calc.busyWaits = 100;    // the run does not finish
    prompt.choices = {1, 2}; // "nochmal versuchen", then "abbrechen"
    ws->swapWithReference();
    EXPECT_EQ(prompt.questions, (std::vector<std::string>{"Rechnung muss erst beendet sein.",
                                                          "Rechnung muss erst beendet sein."}));
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 3);
    EXPECT_NE(ws->undoStack().label(0), "Projekt mit Referenzprojekt tauschen");
    prompt.choices = {2};
    EXPECT_EQ(ws->openEditor(EditorKind::Optimizer), EditorOpen::Refused);
    EXPECT_FALSE(ws->editors().OptimizerOpen);
    prompt.choices = {2};
    EXPECT_FALSE(ws->mayOpenCrossingFinder());

    calc.busyWaits = 1;
    prompt.choices = {1}; // the second look finds it finished
    prompt.questions.clear();
    ws->swapWithReference();
    EXPECT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 2);
}

} // namespace
} // namespace sonora::test
