#include "app/shell/crossover_editor.h"

#include "workspace_fixture.h"

#include "model/crossover_grid.h"
#include "storage/latin1.h"

namespace sonora::test {
namespace {

constexpr MouseModifiers kPlain{};
constexpr MouseModifiers kShift{true, false};
constexpr MouseModifiers kCtrl{false, true};
constexpr int kPreset = 1;

// Centre of a grid slot's body in the geometry of kPreset.
SchematicPoint centreOf(int slot) {
    const SchematicRect r = slotRect(schematicGeometry(kPreset), slot);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::unique_ptr<TProjekt> emptyProject() {
    auto p = std::make_unique<TProjekt>();
    p->nAmps = 1;
    p->nChassis = 2;
    assignGridNodes(p->amp[0].weiche);
    return p;
}

TEST(CrossoverMouse, TheDefaultCodeMapsTheSixCombinations) {
    const std::int32_t code = ProgramSettings{}.mouseCode;
    ASSERT_EQ(code, 424531);
    EXPECT_EQ(actionFor(code, MouseButton::Left, kPlain), EditorAction::MakeWire);
    EXPECT_EQ(actionFor(code, MouseButton::Right, kPlain), EditorAction::Edit);
    EXPECT_EQ(actionFor(code, MouseButton::Left, kShift), EditorAction::ToggleOptimization);
    EXPECT_EQ(actionFor(code, MouseButton::Right, kShift), EditorAction::ReversePolarity);
    EXPECT_EQ(actionFor(code, MouseButton::Left, kCtrl), EditorAction::Delete);
    EXPECT_EQ(actionFor(code, MouseButton::Right, kCtrl), EditorAction::ReversePolarity);
    EXPECT_EQ(actionFor(code, MouseButton::Left, {true, true}), EditorAction::None);
    // Digits 0 and 6..9 do nothing; a negative code does nothing.
    EXPECT_EQ(actionFor(987060, MouseButton::Left, kPlain), EditorAction::None);
    EXPECT_EQ(actionFor(987060, MouseButton::Right, kPlain), EditorAction::None);
    EXPECT_EQ(actionFor(987060, MouseButton::Left, kCtrl), EditorAction::None);
    EXPECT_EQ(actionFor(-424531, MouseButton::Left, kPlain), EditorAction::None);
}

TEST(CrossoverMouse, KeyAssignmentDialogRoundTrip) {
    const MouseAssignment a = mouseAssignmentOf(424531);
    EXPECT_EQ(a.actions[2], EditorAction::ToggleOptimization); // position 3: Shift + left
    EXPECT_EQ(mouseCodeOf(a), 424531);
    MouseAssignment b = mouseAssignmentOf(987654); // 9, 8, 7, 6 are no actions
    EXPECT_EQ(mouseCodeOf(b), 54);
    b.actions[5] = EditorAction::Delete; // Ctrl + right
    EXPECT_EQ(mouseCodeOf(b), 200054);
    EXPECT_EQ(editorActionCaption(EditorAction::Delete), "Bauteil löschen");
}

TEST(CrossoverEditorMouse, DragRepeatsWireAndDeleteAlongTheRowOnly) {
    auto p = emptyProject();
    CrossoverEditor ed(*p, 0, 424531);
    PressOutcome out = ed.press(centreOf(50), MouseButton::Left, kPlain, kPreset);
    EXPECT_EQ(out.action, EditorAction::MakeWire);
    EXPECT_TRUE(out.changed);
    const SchematicGeometry g = schematicGeometry(kPreset);
    const SchematicPoint end = centreOf(55);
    for (int x = centreOf(50).x; x <= end.x; ++x) {
        ed.move({x, end.y});
    }
    ed.release();
    for (int s = 0; s < kUsedPartSlots; ++s) {
        EXPECT_EQ(ed.slot(s).typ, (s >= 50 && s <= 55) ? kPartWire : kPartEmpty) << s;
    }
    EXPECT_FALSE(ed.move(centreOf(56))) << "released: moves do nothing";

    ed.press(centreOf(52), MouseButton::Left, kCtrl, kPreset);
    ed.move(centreOf(53));
    ed.release();
    EXPECT_EQ(ed.slot(51).typ, kPartWire);
    EXPECT_EQ(ed.slot(52).typ, kPartEmpty);
    EXPECT_EQ(ed.slot(53).typ, kPartEmpty);
    EXPECT_EQ(ed.slot(54).typ, kPartWire);

    // A press outside every slot does nothing; a right click asks for the part dialog.
    out = ed.press({g.margin, g.margin}, MouseButton::Left, kPlain, kPreset);
    EXPECT_EQ(out.slot, -1);
    EXPECT_EQ(out.action, EditorAction::None);
    out = ed.press(centreOf(54), MouseButton::Right, kPlain, kPreset);
    EXPECT_TRUE(out.openPartDialog);
    EXPECT_FALSE(ed.dragging()) << "editing is not repeated";
}

TEST(CrossoverEditorMouse, DragToggleFollowsTheFirstSlotAcrossMixedMarks) {
    auto p = emptyProject();
    TPart* w = p->amp[0].weiche;
    const int slots[] = {10, 11, 12, 13, 14};
    const bool marks[] = {false, true, false, true, false};
    for (int i = 0; i < 5; ++i) {
        w[slots[i]].typ = i == 2 ? kPartWire : kPartResistor;
        w[slots[i]].bOptimize = marks[i];
    }
    CrossoverEditor ed(*p, 0, 424531);
    ed.press(centreOf(10), MouseButton::Left, kShift, kPreset);
    for (int s : {11, 12, 13, 14, 13, 12, 11}) { // back and forth
        ed.move(centreOf(s));
    }
    ed.release();
    EXPECT_TRUE(ed.slot(10).bOptimize);
    EXPECT_TRUE(ed.slot(11).bOptimize);
    EXPECT_TRUE(ed.slot(12).bOptimize) << "every slot takes the flip";
    EXPECT_TRUE(ed.slot(13).bOptimize);
    EXPECT_TRUE(ed.slot(14).bOptimize);

    w[11].bOptimize = false;
    CrossoverEditor ed2(*p, 0, 424531);
    ed2.press(centreOf(13), MouseButton::Left, kShift, kPreset); // 13 was marked: clears
    for (int s : {12, 11, 10}) {
        ed2.move(centreOf(s));
    }
    ed2.release();
    for (int s : {10, 11, 13}) {
        EXPECT_FALSE(ed2.slot(s).bOptimize) << s;
    }
    EXPECT_FALSE(ed2.slot(14).bOptimize) << "not crossed: unchanged";

    // A drag that starts on an unmarked wire sets: the wire's new state, not the first part's.
    for (int i = 0; i < 5; ++i) {
        w[slots[i]].bOptimize = marks[i];
    }
    CrossoverEditor ed3(*p, 0, 424531);
    EXPECT_TRUE(ed3.press(centreOf(12), MouseButton::Left, kShift, kPreset).changed);
    for (int s : {13, 14}) {
        ed3.move(centreOf(s));
    }
    ed3.release();
    for (int s : {12, 13, 14}) {
        EXPECT_TRUE(ed3.slot(s).bOptimize) << s;
    }
    EXPECT_FALSE(ed3.slot(10).bOptimize) << "not crossed: unchanged";
    // An empty slot flips too: the action works on every slot under the pointer.
    CrossoverEditor ed4(*p, 0, 424531);
    EXPECT_FALSE(ed4.slot(20).bOptimize);
    EXPECT_TRUE(ed4.press(centreOf(20), MouseButton::Left, kShift, kPreset).changed);
    EXPECT_TRUE(ed4.slot(20).bOptimize);
}

TEST(CrossoverEditorMouse, ReversePolarityOncePerSlotEntered) {
    auto p = emptyProject();
    p->amp[0].weiche[180].typ = kPartDriver;
    p->amp[0].weiche[180].verpolt = -1;
    p->amp[0].weiche[191].typ = kPartDriver;
    p->amp[0].weiche[191].verpolt = 1;
    CrossoverEditor ed(*p, 0, 424531);
    const SchematicPoint c = centreOf(180);
    ed.press(c, MouseButton::Right, kCtrl, kPreset);
    ed.move({c.x, c.y + 1}); // still inside 180: no repetition
    ed.move(centreOf(191));
    ed.release();
    EXPECT_EQ(ed.slot(180).verpolt, 2);
    EXPECT_TRUE(isReversedPolarity(ed.slot(180).verpolt));
    EXPECT_EQ(ed.slot(191).verpolt, 0);
    EXPECT_FALSE(isReversedPolarity(ed.slot(191).verpolt));
}

TEST(CrossoverEditorDialog, PartDialogUnitsLabelAndMarks) {
    auto p = emptyProject();
    p->chassis[1].name.assign(utf8ToLatin1("Tieftöner"));
    CrossoverEditor ed(*p, 0, 424531);
    EXPECT_EQ(ed.driverChoices(),
              (std::vector<std::string>{"Chassis 1: ", "Chassis 2: Tieftöner"}));

    PartDialog d = ed.partDialog(3);
    EXPECT_EQ(d.typ, kPartEmpty);
    d.typ = kPartCapacitor;
    d.valueText = "4,7";
    d.negative = true;
    d.optimize = true;
    d.label = "Überbrückungskondensator"; // 24 characters, the first one two bytes in UTF-8
    ed.acceptPartDialog(3, d);
    const TPart& c = ed.slot(3);
    EXPECT_EQ(c.typ, kPartCapacitor);
    EXPECT_DOUBLE_EQ(c.value, 4.7e-6);
    EXPECT_EQ(c.verpolt, 1);
    EXPECT_TRUE(c.bOptimize);
    EXPECT_EQ(c.bem.size(), 16u);
    EXPECT_EQ(latin1ToUtf8(c.bem.view()), "Überbrückungskon");
    EXPECT_EQ(c.nod1, 3) << "the dialog keeps the slot's nodes";
    EXPECT_EQ(c.nod2, 4);
    EXPECT_EQ(clipPartLabel(d.label), "Überbrückungskon");

    d = ed.partDialog(3);
    EXPECT_EQ(d.valueText, "4,7");
    EXPECT_EQ(partValueUnit(d.typ), "µF");

    d.typ = kPartCoil;
    d.valueText = "0.33";
    d.resistanceText = "0,35";
    ed.acceptPartDialog(3, d);
    EXPECT_DOUBLE_EQ(ed.slot(3).value, 0.33e-3);
    EXPECT_DOUBLE_EQ(ed.slot(3).Rvalue, 0.35);

    d.typ = kPartDriver;
    d.negative = false;
    d.optimize = true; // not allowed for a driver
    d.driver = 40;
    ed.acceptPartDialog(3, d);
    EXPECT_FALSE(ed.slot(3).bOptimize);
    EXPECT_EQ(ed.slot(3).verpolt, -1);
    EXPECT_EQ(ed.slot(3).chassisnr, kMaxChassis - 1);
    EXPECT_EQ(ed.slot(3).value, 0);
    EXPECT_EQ(partKindCaption(kPartDriver), "Lautsprecherchassis");
}

TEST(CrossoverEditorDialog, FreeWiresAreClampedAndUncheckedOnesEmptied) {
    auto p = emptyProject();
    TPart* w = p->amp[0].weiche;
    w[kFirstFreeWireSlot + 7].typ = kPartWire;
    w[kFirstFreeWireSlot + 7].nod1 = 1;
    w[kFirstFreeWireSlot + 7].nod2 = 2;
    CrossoverEditor ed(*p, 0, 424531);
    FreeWires fw = ed.freeWires();
    EXPECT_TRUE(fw.entries[7].on);
    EXPECT_FALSE(fw.entries[0].on);
    fw.entries[7].on = false;
    fw.entries[0] = {true, 200, -3};
    fw.entries[1] = {true, readFreeWireNode("200"), readFreeWireNode("-3")};
    ed.acceptFreeWires(fw);
    EXPECT_EQ(ed.slot(kFirstFreeWireSlot).typ, kPartWire);
    EXPECT_EQ(ed.slot(kFirstFreeWireSlot).nod1, 132);
    EXPECT_EQ(ed.slot(kFirstFreeWireSlot).nod2, 0);
    EXPECT_EQ(ed.slot(kFirstFreeWireSlot + 1).nod1, 132);
    EXPECT_EQ(ed.slot(kFirstFreeWireSlot + 1).nod2, 0);
    EXPECT_EQ(ed.slot(kFirstFreeWireSlot + 7).typ, kPartEmpty);
    EXPECT_EQ(freeWireCaption(7), "8. freie Drahtverbindung");
}

TEST(CrossoverEditorMarks, MarkAllResistorsOnlyAndClear) {
    auto p = emptyProject();
    TPart* w = p->amp[0].weiche;
    const std::int16_t kinds[] = {kPartWire, kPartResistor, kPartCapacitor,
                                  kPartCoil, kPartDriver,   kPartAmplifier};
    for (int i = 0; i < 6; ++i) {
        w[i].typ = kinds[i];
        w[i].bOptimize = true;
    }
    CrossoverEditor ed(*p, 0, 424531);
    ed.markResistorsOnly();
    for (int i = 0; i < kUsedPartSlots; ++i) {
        EXPECT_EQ(ed.slot(i).bOptimize, i == 1) << i;
    }
    ed.markAll();
    for (int i = 0; i < kUsedPartSlots; ++i) {
        EXPECT_EQ(ed.slot(i).bOptimize, i >= 1 && i <= 3) << i;
    }
    ed.clearMarks();
    for (int i = 0; i < kUsedPartSlots; ++i) {
        EXPECT_FALSE(ed.slot(i).bOptimize) << i;
    }
}

// ---- closing, through the workspace

class CrossoverEditorClose : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        ws->startUp(std::nullopt);
        ASSERT_EQ(ws->openEditor(EditorKind::Weiche, 0), EditorOpen::Open);
        start = std::make_unique<TProjekt>(ws->project());
    }
    // An editor on amplifier 1 with every slot emptied.
    std::unique_ptr<CrossoverEditor> emptyEditor() {
        auto e = std::make_unique<CrossoverEditor>(ws->project(), 0, 424531);
        for (int s = 0; s < kUsedPartSlots; ++s) {
            if (e->slot(s).typ != kPartEmpty) {
                e->acceptPartDialog(s, PartDialog{});
            }
        }
        return e;
    }
    void placeAmplifierAndDriver(CrossoverEditor& e) {
        PartDialog amp;
        amp.typ = kPartAmplifier;
        e.acceptPartDialog(180, amp);
        PartDialog drv;
        drv.typ = kPartDriver;
        e.acceptPartDialog(181, drv);
    }
    std::unique_ptr<TProjekt> start;
};

TEST_F(CrossoverEditorClose, OkAsksBothQuestionsAndButtonOneKeepsTheEditorOpen) {
    auto ed = emptyEditor();
    const std::string amp = utf8ToLatin1(kNoAmplifierQuestion);
    const std::string drv = utf8ToLatin1(kNoDriverQuestion);

    prompt.choices = {1};
    EXPECT_EQ(ed->ok(prompt, *ws), CloseOutcome::KeepOpen);
    EXPECT_EQ(prompt.questions, std::vector<std::string>{amp});
    EXPECT_TRUE(ws->editors().WEEditorOpen);
    EXPECT_TRUE(sameBytes(ws->project(), *start));

    prompt.questions.clear();
    prompt.choices = {2, 1};
    EXPECT_EQ(ed->ok(prompt, *ws), CloseOutcome::KeepOpen);
    EXPECT_EQ(prompt.questions, (std::vector<std::string>{amp, drv}));
    EXPECT_TRUE(sameBytes(ws->project(), *start));

    prompt.questions.clear();
    prompt.choices = {}; // the default is button 1
    EXPECT_EQ(ed->ok(prompt, *ws), CloseOutcome::KeepOpen);

    prompt.questions.clear();
    prompt.choices = {2, 2};
    EXPECT_EQ(ed->ok(prompt, *ws), CloseOutcome::Closed);
    EXPECT_EQ(prompt.questions.size(), 2u);
    EXPECT_FALSE(ws->editors().WEEditorOpen);
    EXPECT_EQ(ws->undoCaption(), "Rückgängig \"Weiche 1 editieren\"");
    for (int s = 0; s < kUsedPartSlots; ++s) {
        EXPECT_EQ(ws->project().amp[0].weiche[s].typ, kPartEmpty) << s;
    }
    EXPECT_FALSE(ws->saved());
}

TEST_F(CrossoverEditorClose, CompleteNetworkClosesWithoutQuestions) {
    auto ed = emptyEditor();
    placeAmplifierAndDriver(*ed);
    const int calcs = calc.calcNewCount;
    EXPECT_EQ(ed->ok(prompt, *ws), CloseOutcome::Closed);
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(ws->project().amp[0].weiche[180].typ, kPartAmplifier);
    EXPECT_EQ(ws->project().amp[0].weiche[181].typ, kPartDriver);
    EXPECT_EQ(calc.calcNewCount, calcs + 1);
    // The button's caption and the close questions' buttons as the prompt gets them.
    EXPECT_EQ(crossoverCloseButtons(), utf8ToLatin1("jetzt ändern|soll so bleiben"));
}

TEST_F(CrossoverEditorClose, ApplyKeepsTheEditorOpenAndCancelChangesNothing) {
    auto ed = emptyEditor();
    placeAmplifierAndDriver(*ed);
    ed->apply(*ws);
    EXPECT_TRUE(ws->editors().WEEditorOpen);
    EXPECT_EQ(ws->project().amp[0].weiche[180].typ, kPartAmplifier);
    EXPECT_TRUE(ws->canUndo());

    const auto applied = std::make_unique<TProjekt>(ws->project());
    ed->markAll();
    PartDialog r;
    r.typ = kPartResistor;
    r.valueText = "8";
    ed->acceptPartDialog(0, r);
    EXPECT_EQ(ed->cancel(*ws), CloseOutcome::Closed);
    EXPECT_FALSE(ws->editors().WEEditorOpen);
    EXPECT_TRUE(sameBytes(ws->project(), *applied));
}

} // namespace
} // namespace sonora::test
