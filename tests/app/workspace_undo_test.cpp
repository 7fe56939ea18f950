#include "workspace_fixture.h"

#include "engine/example_projects.h"

namespace sonora::test {
namespace {

TEST_F(WorkspaceTest, TwentyTwoChangesKeepTwentyOneSnapshotsAndTwentyOneUndosEmptyTheStack) {
    ws->startUp(std::nullopt);
    for (int k = 1; k <= 22; ++k) {
        changeLevel(k);
    }
    EXPECT_EQ(ws->undoStack().size(), kUndoSlots);
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 22);
    EXPECT_EQ(view.menus.undoCaption, "Rückgängig \"Aktives Filter 1 editieren\"");
    EXPECT_TRUE(view.menus.undoEnabled);

    const int calcsBefore = calc.calcNewCount;
    for (int k = 21; k >= 1; --k) {
        ASSERT_TRUE(ws->canUndo()) << k;
        ws->undo();
        EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, k) << "undo restores the state before";
    }
    // The oldest snapshot (the state before change 1) was pushed out by change 22.
    EXPECT_FALSE(ws->canUndo());
    EXPECT_FALSE(view.menus.undoEnabled);
    EXPECT_EQ(view.menus.undoCaption, "Rückgängig");
    EXPECT_EQ(calc.calcNewCount - calcsBefore, 21);
    EXPECT_FALSE(ws->saved());
    ws->undo(); // nothing left: nothing happens
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 1);
}

TEST_F(WorkspaceTest, UndoRestoresTheExactBytesAndClosesTheEditors) {
    ws->startUp(std::nullopt);
    auto before = std::make_unique<TProjekt>(ws->project());
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 84);
    ws->applyOptimizerResult(*p);
    ASSERT_FALSE(sameBytes(ws->project(), *before));
    ASSERT_EQ(ws->openEditor(EditorKind::Chassis, 0), EditorOpen::Open);
    ws->undo();
    EXPECT_TRUE(sameBytes(ws->project(), *before));
    EXPECT_FALSE(ws->editors().CHEditorOpen);
    EXPECT_TRUE(view.closed.back().chassis && view.closed.back().weiche &&
                view.closed.back().aktfilter);
}

TEST_F(WorkspaceTest, EditorAcceptsPushTheirLabelsAndRequestChangedStages) {
    ws->startUp(std::nullopt);
    const int calcs = calc.calcNewCount;
    TAmp amp = ws->project().amp[0];
    amp.weiche[3].typ = kPartResistor;
    amp.weiche[3].value = 8.2;
    amp.aktfilter.pegel = 99; // the crossover editor hands back only the part slots
    ws->acceptCrossover(0, amp);
    EXPECT_EQ(ws->undoStack().label(0), "Weiche 1 editieren");
    EXPECT_EQ(ws->project().amp[0].weiche[3].value, 8.2);
    EXPECT_NE(ws->project().amp[0].aktfilter.pegel, 99);

    TChassis c = ws->project().chassis[1];
    c.fs = 33;
    ws->acceptDriver(1, c, ws->project().einbau[1], ws->project().schallwand[1]);
    EXPECT_EQ(ws->undoStack().label(0), "Chassis 2 editieren");
    EXPECT_EQ(ws->project().chassis[1].fs, 33);

    TGemGeh g = ws->project().Gemgeh;
    g.h = 0.9;
    ws->acceptSharedCabinet(g, std::span<const TSchallwand, kMaxChassis>(ws->project().schallwand));
    EXPECT_EQ(ws->undoStack().label(0), "Gemeinsames Außengehäuse editieren");
    EXPECT_EQ(ws->project().Gemgeh.h, 0.9);

    EXPECT_EQ(calc.calcNewCount - calcs, 3);
    EXPECT_FALSE(ws->saved());
    ws->acceptCrossover(kMaxAmps, amp); // no such amplifier: ignored
    EXPECT_EQ(ws->undoStack().size(), 3);
}

TEST_F(WorkspaceTest, DriverCopyPushesItsSnapshotAndACancelledDialogDropsIt) {
    ws->startUp(std::nullopt);
    changeLevel(2);
    ws->beginDriverCopy();
    EXPECT_EQ(ws->undoStack().label(0), "Chassis kopieren");
    ws->cancelDriverCopy();
    EXPECT_EQ(ws->undoStack().size(), 1);
    EXPECT_EQ(ws->undoStack().label(0), "Aktives Filter 1 editieren");

    TChassis c = ws->project().chassis[0];
    c.fs = 47;
    ws->acceptDriver(0, c, ws->project().einbau[0], ws->project().schallwand[0]);
    ws->beginDriverCopy();
    ws->acceptDriverCopy({.source = 0, .target = 2, .swap = true});
    EXPECT_EQ(ws->project().chassis[2].fs, 47);
    EXPECT_NE(ws->project().chassis[0].fs, 47);
    EXPECT_EQ(ws->undoStack().label(0), "Chassis kopieren");
    ws->undo();
    EXPECT_EQ(ws->project().chassis[0].fs, 47);

    const int held = ws->undoStack().size();
    ws->beginDriverCopy();
    ws->acceptDriverCopy({.source = 1, .target = 1}); // nothing to do: no undo step stays
    EXPECT_EQ(ws->undoStack().size(), held);
}

} // namespace
} // namespace sonora::test
