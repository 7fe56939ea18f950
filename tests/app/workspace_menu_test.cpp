#include "workspace_fixture.h"

#include "app/shell/dropped_files.h"
#include "app/shell/title.h"
#include "model/record_defaults.h"
#include "model/version.h"
#include "storage/latin1.h"

#include <algorithm>

namespace sonora::test {
namespace {

struct MenuRig {
    std::unique_ptr<TProjekt> project = std::make_unique<TProjekt>();
    EditorFlags editors;
    TFilehistory history;
    std::string undoLabel;
    MenuRig() { initDefaultProjekt(*project); }
    MenuState state() const {
        return computeMenuState(MenuInputs{*project, editors, history, undoLabel, false});
    }
};

TEST(MenuStateRules, AmplifierDriverAndRecentEntriesFollowTheProject) {
    MenuRig rig;
    rig.project->nAmps = 0;
    EXPECT_FALSE(rig.state().ampMenus);
    EXPECT_EQ(rig.state().ampEntries, 0);
    rig.project->nAmps = 3;
    EXPECT_TRUE(rig.state().ampMenus);
    EXPECT_EQ(rig.state().ampEntries, 3);

    rig.project->nChassis = 3;
    rig.project->chassis[0].name.assign("Tieft\xF6ner"); // Latin-1 as in the record
    rig.project->einbau[0].typ = kEinbauGeschlossen;
    rig.project->einbau[0].Vb = 0.0205;
    rig.project->einbau[1].typ = kEinbauBassreflex;
    rig.project->einbau[1].Vb = 0.0387879;
    rig.project->chassis[1].name.assign("Bass");
    rig.project->einbau[2].typ = kEinbauIntegriert;
    rig.project->chassis[2].name.assign("HT");
    const MenuState m = rig.state();
    ASSERT_EQ(m.driverEntries.size(), 3u);
    EXPECT_EQ(m.driverEntries[0], "Chassis &1: Tieftöner in 20,5l geschl.");
    EXPECT_EQ(m.driverEntries[1], "Chassis &2: Bass in 38,79l Bassref.");
    EXPECT_EQ(m.driverEntries[2], "Chassis &3: HT");

    for (int k = 0; k < 8; ++k) {
        rig.history.AddFile("/data/p" + std::to_string(k) + ".LSP");
    }
    const MenuState r = rig.state();
    ASSERT_EQ(r.recent.size(), 6u); // the list keeps six
    EXPECT_EQ(r.recent[0].name, "History 1");
    EXPECT_EQ(r.recent[0].file, "/data/p7.LSP");
    EXPECT_EQ(r.recent[0].text, "/.../p7.LSP");
}

TEST(MenuStateRules, EditorsLockMenusAndAreListedInTheWindowMenu) {
    MenuRig rig;
    EXPECT_TRUE(rig.state().fileMenu);
    EXPECT_FALSE(rig.state().windowMenu);
    EXPECT_FALSE(rig.state().undoEnabled);
    rig.editors.WEEditorOpen = true;
    rig.editors.weiche = 1;
    MenuState m = rig.state();
    EXPECT_FALSE(m.fileMenu);
    EXPECT_FALSE(m.acceptDrops);
    EXPECT_TRUE(m.editMenus);
    EXPECT_TRUE(m.windowMenu);
    ASSERT_EQ(m.windowEntries.size(), 1u);
    EXPECT_EQ(m.windowEntries[0].editor, EditorKind::Weiche);
    EXPECT_EQ(m.windowEntries[0].text, "Weicheneditor (Verstärker 2)");
    rig.editors.OptimizerOpen = true;
    rig.undoLabel = "Datei laden";
    m = rig.state();
    EXPECT_FALSE(m.editMenus);
    EXPECT_FALSE(m.ampMenus);
    EXPECT_EQ(m.windowEntries.size(), 2u);
    EXPECT_EQ(m.undoCaption, "Rückgängig \"Datei laden\"");
}

TEST(TitleRules, ShorteningKeepsTheFirstFolderAndFitsTheWidth) {
    const std::string path = "/home/benutzer/Boxen/Projekte/2024/Dreiwege.LSP"; // 47 characters
    EXPECT_EQ(titlePathCapacity(180 + 9 * 47), 47);
    EXPECT_EQ(titlePathCapacity(100), 0);
    EXPECT_EQ(shortenTitlePath(path, 47), path);
    EXPECT_EQ(shortenTitlePath(path, 46), "/.../benutzer/Boxen/Projekte/2024/Dreiwege.LSP");
    EXPECT_EQ(shortenTitlePath(path, 45), "/.../Boxen/Projekte/2024/Dreiwege.LSP");
    EXPECT_EQ(shortenTitlePath(path, 31), "/.../Projekte/2024/Dreiwege.LSP");
    EXPECT_EQ(shortenTitlePath(path, 3), "/.../Dreiwege.LSP"); // the file name always stays
    EXPECT_EQ(shortenTitlePath("Dreiwege.LSP", 3), "Dreiwege.LSP");
    EXPECT_EQ(shortenTitlePath("Boxen/alt/Dreiwege.LSP", 20), "Boxen/.../Dreiwege.LSP");
    // Characters, not bytes: "ä" is one character.
    EXPECT_EQ(shortenTitlePath("/Bausätze/a.LSP", 15), "/Bausätze/a.LSP");

    const std::string title = windowTitle(path, 180 + 9 * 31);
    EXPECT_EQ(title, "Sonora " + std::string(kVersion) +
                         " - TARVELO-Edition [/.../Projekte/2024/Dreiwege.LSP]");
    for (int width : {200, 400, 600, 800}) {
        const std::string shortened = shortenTitlePath(path, titlePathCapacity(width));
        EXPECT_LE(static_cast<int>(shortened.size()), std::max(titlePathCapacity(width), 17))
            << width;
    }
}

TEST(WindowPlacementRules, StoredGeometryOnlyWhenItFitsTheScreen) {
    const ScreenSize screen{1920, 1080};
    const ScreenSize available{1920, 1040}; // a panel at the bottom
    const auto restored = [&](const WindowGeometry& g) {
        return startWindowPlacement(g, screen, available).restored;
    };
    EXPECT_TRUE(restored({10, 0, 540, 360}));
    EXPECT_FALSE(restored({10, 0, 539, 360}));
    EXPECT_FALSE(restored({10, 0, 540, 359}));
    EXPECT_FALSE(restored({-1, 0, 800, 600}));
    EXPECT_FALSE(restored({1120, 0, 800, 600})); // 1920 not < 1920
    EXPECT_TRUE(restored({1119, 479, 800, 600}));
    EXPECT_FALSE(restored({1119, 480, 800, 600}));
    // A first start takes 80 % of the free screen at left 66, top 0.
    const WindowPlacement p = startWindowPlacement({}, screen, available);
    EXPECT_FALSE(p.restored);
    EXPECT_EQ(p.geometry, (WindowGeometry{66, 0, 1536, 832}));
    // On a small screen the window is never below the smallest restorable size, and moves left
    // rather than hang off the right edge.
    const WindowPlacement small = startWindowPlacement({}, {600, 400}, {600, 400});
    EXPECT_EQ(small.geometry, (WindowGeometry{60, 0, 540, 360}));
    const WindowPlacement tiny = startWindowPlacement({}, {500, 300}, {500, 300});
    EXPECT_EQ(tiny.geometry, (WindowGeometry{0, 0, 540, 360}));
}

TEST(WindowPlacementRules, ToolWindowsOpenWhereTheyWereOrBesideTheMainWindow) {
    const ScreenSize screen{2560, 1440};
    const WindowGeometry main{66, 0, 1536, 1100};
    // Room on the right: beside it, at the main window's top.
    EXPECT_EQ(toolWindowPlacement(nullptr, main, 800, 600, screen),
              (WindowGeometry{1602, 0, 800, 600}));
    // No room on the right but on the left.
    const WindowGeometry moved{900, 100, 1536, 1100};
    EXPECT_EQ(toolWindowPlacement(nullptr, moved, 800, 600, screen),
              (WindowGeometry{100, 100, 800, 600}));
    // No room on either side: the toolkit's own placement.
    EXPECT_EQ(toolWindowPlacement(nullptr, main, 1200, 600, screen).left, -1);
    // A window taller than the space below the main window's top moves up to fit.
    const WindowGeometry low{66, 1000, 1536, 400};
    EXPECT_EQ(toolWindowPlacement(nullptr, low, 800, 600, screen).top, 840);
    // Where it was closed, when that still fits; a stored place off the screen is ignored.
    const WindowGeometry stored{300, 200, 700, 500};
    EXPECT_EQ(toolWindowPlacement(&stored, main, 800, 600, screen), stored);
    const WindowGeometry offScreen{3000, 200, 700, 500};
    EXPECT_EQ(toolWindowPlacement(&offScreen, main, 800, 600, screen).left, 1602);
}

TEST_F(WorkspaceTest, EditorsAreRefusedForAnotherIndexAndTheOptimizerWaitsForThem) {
    ws->startUp(std::nullopt);
    ProjectProperties s = ws->projectProperties();
    s.nAmps = 2;
    s.nChassis = 3;
    ws->acceptProjectProperties(s);

    ASSERT_EQ(ws->openEditor(EditorKind::Chassis, 0), EditorOpen::Open);
    EXPECT_EQ(ws->openEditor(EditorKind::Chassis, 0), EditorOpen::AlreadyOpen);
    EXPECT_EQ(view.fronted.back(), EditorKind::Chassis);
    EXPECT_EQ(ws->openEditor(EditorKind::Chassis, 2), EditorOpen::Refused);
    EXPECT_EQ(prompt.messages.back(), utf8ToLatin1("Editieren von Chassis 3 nicht möglich, da "
                                                   "Chassis-Editor gerade mit anderem Chassis "
                                                   "geöffnet ist."));
    ASSERT_EQ(ws->openEditor(EditorKind::Weiche, 0), EditorOpen::Open);
    EXPECT_EQ(ws->openEditor(EditorKind::Weiche, 1), EditorOpen::Refused);
    EXPECT_EQ(prompt.messages.back(),
              utf8ToLatin1("Passive Weiche editieren von Verstärker 2 nicht möglich, da "
                           "Weicheneditor gerade mit anderer Weiche eöffnet ist."));
    ASSERT_EQ(ws->openEditor(EditorKind::Aktfilter, 1), EditorOpen::Open);
    EXPECT_EQ(ws->openEditor(EditorKind::Aktfilter, 0), EditorOpen::Refused);
    EXPECT_EQ(prompt.messages.back(),
              utf8ToLatin1("Aktive Filter von Verstärker 1 editieren nicht möglich, da Editor "
                           "gerade mit anderen aktiven Filtern geöffnet ist."));
    EXPECT_EQ(ws->openEditor(EditorKind::Weiche, 2), EditorOpen::Refused); // only 2 amplifiers
    EXPECT_FALSE(view.menus.fileMenu);
    EXPECT_EQ(view.menus.windowEntries.size(), 3u);

    prompt.messages.clear();
    view.fronted.clear();
    EXPECT_EQ(ws->openEditor(EditorKind::Optimizer), EditorOpen::Refused);
    EXPECT_EQ(prompt.messages,
              (std::vector<std::string>{"Bitte erst Weichheneditor schlie\xDF"
                                        "en.",
                                        "Bitte erst Chasssiseditor schlie\xDF"
                                        "en.",
                                        "Bitte erst Editor f\xFCr aktive Filter schlie\xDF"
                                        "en."}));
    EXPECT_EQ(view.fronted, (std::vector<EditorKind>{EditorKind::Weiche, EditorKind::Chassis,
                                                     EditorKind::Aktfilter}));
    ws->editorClosed(EditorKind::Chassis);
    ws->editorClosed(EditorKind::Weiche);
    ws->editorClosed(EditorKind::Aktfilter);
    EXPECT_TRUE(view.menus.fileMenu);
    ASSERT_EQ(ws->openEditor(EditorKind::Optimizer), EditorOpen::Open);
    EXPECT_FALSE(view.menus.editMenus);
    EXPECT_EQ(ws->openEditor(EditorKind::Chassis, 0), EditorOpen::Refused); // editing is locked
}

TEST_F(WorkspaceTest, DroppedFilesNeedToBeProjectFilesAndOneFileIsAskedFor) {
    ws->startUp(std::nullopt);
    ASSERT_TRUE(ws->saveProject(path("a.LSP")));
    ASSERT_TRUE(ws->saveProject(path("b.lsp")));
    writeText(path("c.txt"), "text");
    const int undo = ws->undoStack().size();

    ws->filesDropped({path("a.LSP"), path("c.txt")});
    ws->filesDropped({path("a.LSP"), path("missing.LSP")});
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_TRUE(view.instances.empty());
    EXPECT_EQ(ws->undoStack().size(), undo);

    ws->filesDropped({path("a.LSP")}); // default button 2: a new instance
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0], path("a.LSP") + "\r\nladen?");
    EXPECT_EQ(view.instances, std::vector<std::string>{path("a.LSP")});

    prompt.choices = {1}; // "Ja, hier"
    ws->filesDropped({path("b.lsp")});
    EXPECT_EQ(ws->fileName(), path("b.lsp"));
    EXPECT_EQ(ws->undoStack().label(0), "Datei laden");

    view.instances.clear();
    ws->filesDropped({path("a.LSP"), path("b.lsp")});
    EXPECT_EQ(view.instances, (std::vector<std::string>{path("a.LSP"), path("b.lsp")}));

    ASSERT_EQ(ws->openEditor(EditorKind::GemGeh), EditorOpen::Open);
    view.instances.clear();
    ws->filesDropped({path("a.LSP"), path("b.lsp")}); // not while an editor is open
    EXPECT_TRUE(view.instances.empty());

    std::vector<std::string> many(40, path("a.LSP"));
    EXPECT_EQ(classifyDroppedFiles(many).files.size(), 32u);
}

} // namespace
} // namespace sonora::test
