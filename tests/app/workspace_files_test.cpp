#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "workspace_fixture.h"

#include "engine/example_projects.h"
#include "storage/driver_file.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

namespace sonora::test {
namespace {

TEST_F(WorkspaceTest, SaveKeepsALowerCaseExtensionAppendsOneOtherwiseAndIgnoresShortNames) {
    ws->startUp(std::nullopt);
    changeLevel(3);
    const std::string lower = path("box.lsp");
    ASSERT_TRUE(ws->saveProject(lower));
    EXPECT_TRUE(fileExists(lower));
    EXPECT_FALSE(fileExists(lower + ".LSP"));
    EXPECT_EQ(ws->fileName(), lower);
    EXPECT_TRUE(ws->saved());
    EXPECT_EQ(ws->dialogFileName(), "box.lsp");
    EXPECT_EQ(ws->dialogFolder(), path(""));

    ASSERT_TRUE(ws->saveProject(path("zweiwege")));
    EXPECT_TRUE(fileExists(path("zweiwege.LSP")));
    EXPECT_EQ(ws->history().filenames[0], path("zweiwege.LSP"));
    EXPECT_EQ(ws->history().filenames[1], lower);
    EXPECT_NE(view.title.find("zweiwege.LSP]"), std::string::npos);

    changeLevel(4);
    EXPECT_FALSE(ws->saveProject("a.ls")); // 4 characters: ignored
    EXPECT_FALSE(ws->saved());
    EXPECT_EQ(ws->history().nFiles, 2);
}

TEST_F(WorkspaceTest, ASavedProjectLoadsBackIntoAnotherWorkspace) {
    ws->startUp(std::nullopt);
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p, 84);
    ws->applyOptimizerResult(*p);
    ASSERT_TRUE(ws->saveProject(path("two.LSP")));

    makeWorkspace();
    ws->startUp(std::nullopt);
    changeLevel(7);
    // The reader fills the current project (entries beyond the counts keep what they held), so
    // the oracle starts from the same project.
    auto expected = std::make_unique<TProjekt>(ws->project());
    ASSERT_EQ(openProjectFile(*expected, path("two.LSP"), env.folders.projects, prompt,
                              fitVoiceCoilOfOldFile),
              ProjectOpenStatus::Opened);
    recomputeDerivedDriverValues(*expected);
    const int all = calc.calcAllNewCount;
    ASSERT_TRUE(ws->loadProject(path("two.LSP")));
    EXPECT_TRUE(sameBytes(ws->project(), *expected));
    EXPECT_EQ(ws->project().nChassis, p->nChassis);
    EXPECT_EQ(ws->project().chassis[1].name, p->chassis[1].name);
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, p->amp[0].aktfilter.pegel);
    for (int s = 0; s < kUsedPartSlots; ++s) {
        EXPECT_EQ(ws->project().amp[0].weiche[s].typ, p->amp[0].weiche[s].typ) << s;
        if (p->amp[0].weiche[s].typ >= kPartResistor && p->amp[0].weiche[s].typ <= kPartCoil) {
            EXPECT_EQ(ws->project().amp[0].weiche[s].value, p->amp[0].weiche[s].value) << s;
        }
    }
    EXPECT_TRUE(ws->saved());
    EXPECT_EQ(calc.calcAllNewCount, all + 1);
    EXPECT_TRUE(ws->toCheckForNewerChasssisFiles());
    EXPECT_EQ(ws->undoStack().label(0), "Datei laden");
    EXPECT_EQ(ws->history().filenames[0], path("two.LSP"));
    EXPECT_EQ(view.menus.recent.at(0).name, "History 1");
}

TEST_F(WorkspaceTest, LoadingAFileWithoutSignatureShowsTheMessageAndGivesTheDefaultProject) {
    ws->startUp(std::nullopt);
    ASSERT_TRUE(ws->saveProject(path("real.LSP")));
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p, 84);
    ws->applyOptimizerResult(*p);
    const std::string text = path("notes.LSP");
    writeText(text, "[General]\r\nnAmps=2\r\n");
    EXPECT_FALSE(ws->loadProject(text));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0],
              utf8ToLatin1(text + "\rist keine gültige Projektdatei dieser Version von Sonora."));
    auto fresh = std::make_unique<TProjekt>();
    makeDefaultProject(*fresh, env.folders.projects, prompt);
    EXPECT_TRUE(sameBytes(ws->project(), *fresh));
    // The default project is not saved over the file that was open before.
    EXPECT_EQ(ws->fileName(), kNoNameProject);
    EXPECT_TRUE(ws->canUndo());
}

TEST_F(WorkspaceTest, LoadRecentOfAVanishedFileOnlyShowsTheMessage) {
    ws->startUp(std::nullopt);
    ASSERT_TRUE(ws->saveProject(path("gone.LSP")));
    std::filesystem::remove(path("gone.LSP"));
    changeLevel(5);
    const int snapshots = ws->undoStack().size();
    EXPECT_FALSE(ws->loadRecent(0));
    EXPECT_EQ(prompt.messages.back(), utf8ToLatin1(path("gone.LSP") + " existiert nicht."));
    EXPECT_EQ(ws->undoStack().size(), snapshots);
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 5);
    EXPECT_FALSE(ws->loadRecent(3)); // no such entry
}

TEST_F(WorkspaceTest, StartUpWithAMissingArgumentFileShowsTheMessageAndQuits) {
    const std::string missing = path("fehlt.LSP");
    EXPECT_EQ(ws->startUp(missing), StartUpOutcome::Quit);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0],
              " Datei " + missing + " existiert nicht.\r\n Sonora wird geschlossen.");
    EXPECT_EQ(calc.calcNewCount + calc.calcAllNewCount, 0);
}

TEST_F(WorkspaceTest, StartUpLoadsTheArgumentOrDefaultLspAndRequestsACalculation) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 84);
    ASSERT_TRUE(writeProjectFile(*p, env.folders.projects + "Default.LSP", true, prompt));
    EXPECT_EQ(ws->startUp(std::nullopt), StartUpOutcome::Running);
    EXPECT_EQ(ws->project().nChassis, p->nChassis);
    EXPECT_EQ(ws->fileName(), env.folders.projects + "Default.LSP");
    EXPECT_EQ(calc.calcNewCount, 1);
    EXPECT_TRUE(ws->saved());
    EXPECT_FALSE(ws->canUndo());
    EXPECT_FALSE(view.menus.referenceCommands);
    EXPECT_TRUE(ws->toCheckForNewerChasssisFiles());

    makeWorkspace();
    ASSERT_TRUE(writeProjectFile(*p, path("arg.LSP"), true, prompt));
    EXPECT_EQ(ws->startUp(path("arg.LSP")), StartUpOutcome::Running);
    EXPECT_EQ(ws->fileName(), path("arg.LSP"));
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(WorkspaceTest, NewProjectAsksUnlessSavedAndOpensGuideAndProperties) {
    ws->startUp(std::nullopt);
    changeLevel(9);
    prompt.choices = {2}; // "Nein": keep the project
    EXPECT_FALSE(ws->newProject());
    EXPECT_EQ(prompt.questions.back(),
              utf8ToLatin1("Wirklich alle Änderungen ohne zu sichern verwerfen?"));
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 9);
    prompt.choices = {1};
    EXPECT_TRUE(ws->newProject());
    EXPECT_EQ(ws->undoStack().label(0), "Neues Projekt");
    EXPECT_EQ(ws->fileName(), "noname.LSP");
    EXPECT_TRUE(ws->saved());
    EXPECT_EQ(view.quickGuides, 1);
    EXPECT_EQ(view.propertiesDialogs, 1);
    EXPECT_EQ(calc.calcAllNewCount, 1);
}

TEST_F(WorkspaceTest, ClosingAsksToSaveAndTerminatesTheThreads) {
    ws->startUp(std::nullopt);
    changeLevel(2);
    prompt.choices = {3}; // "Abbruch"
    EXPECT_FALSE(ws->requestClose({10, 20, 800, 600}));
    EXPECT_EQ(prompt.questions.back(),
              "Programm beenden?\r\n\r\nSoll das aktuelle Projekt jetzt gespeichert werden?");
    prompt.choices = {1}; // "Ja", but the save dialog is cancelled
    EXPECT_FALSE(ws->requestClose({10, 20, 800, 600}));
    EXPECT_EQ(calc.terminated, 0);
    view.saveName = path("ende");
    prompt.choices = {1};
    EXPECT_TRUE(ws->requestClose({10, 20, 800, 600}));
    EXPECT_TRUE(fileExists(path("ende.LSP")));
    EXPECT_EQ(calc.terminated, 1);
    const ProgramSettings stored = readSettings(env.folders.settingsFile, env.folders, prompt);
    EXPECT_EQ(stored.window, (WindowGeometry{10, 20, 800, 600}));
    EXPECT_EQ(stored.history.filenames[0], path("ende.LSP"));
}

TEST_F(WorkspaceTest, AnOpenOptimizerThatStaysOpenRefusesClosing) {
    ws->startUp(std::nullopt);
    ASSERT_EQ(ws->openEditor(EditorKind::Optimizer), EditorOpen::Open);
    EXPECT_FALSE(ws->requestClose({}));
    EXPECT_TRUE(view.closed.back().optimizer);
    ws->editorClosed(EditorKind::Optimizer);
    EXPECT_TRUE(ws->requestClose({}));
}

TEST_F(WorkspaceTest, CabinetVisualisationWritesTheDescriptionAndStartsTheProgram) {
    ws->startUp(std::nullopt);
    EXPECT_FALSE(ws->startCabinetVisualisation(path("viewer")));
    EXPECT_EQ(prompt.messages.back(), path("viewer") + " nicht gefunden.");
    EXPECT_TRUE(view.programs.empty());
    writeText(path("viewer"), "#!/bin/sh\n");
    ASSERT_TRUE(ws->startCabinetVisualisation(path("viewer")));
    const std::string description = path("tmp") + "/Sonoragehäuse1000.tmp";
    EXPECT_TRUE(fileExists(description));
    ASSERT_EQ(view.programs.size(), 1u);
    EXPECT_EQ(view.programs[0], path("viewer") + " " + description + " in " + path("base"));
}

} // namespace
} // namespace sonora::test

namespace sonora::test {
namespace {

TEST_F(WorkspaceTest, ADriverFileOfTheSameDateIsNotOffered) {
    ws->startUp(std::nullopt);
    TChassis c = ws->project().chassis[0];
    c.name.assign("Testbass 17");
    const std::string file = env.folders.drivers + "Testbass.LSC";
    ASSERT_TRUE(saveDriver(c, file, "", prompt)); // dated today
    TChassis saved{};
    ASSERT_TRUE(loadDriver(saved, file, true, prompt));
    c.pubdate = saved.pubdate; // the project holds the file's own date
    ws->acceptDriver(0, c, ws->project().einbau[0], ws->project().schallwand[0]);

    const int calcs = calc.calcNewCount;
    for (int k = 0; k < 4 && ws->toCheckForNewerChasssisFiles(); ++k) {
        ws->newerDriverTick();
    }
    EXPECT_FALSE(ws->toCheckForNewerChasssisFiles());
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(calc.calcNewCount, calcs);
}

TEST_F(WorkspaceTest, ANewerDriverFileIsOfferedOnATickAndReloadedAsAnUndoStep) {
    ws->startUp(std::nullopt);
    TChassis c = ws->project().chassis[0];
    c.name.assign("Testbass 17");
    c.pubdate.assign("01.01.2000");
    ws->acceptDriver(0, c, ws->project().einbau[0], ws->project().schallwand[0]);
    c.fs = 55;
    ASSERT_TRUE(saveDriver(c, env.folders.drivers + "Testbass.LSC", "", prompt)); // dated today

    const int calcs = calc.calcNewCount;
    prompt.choices = {1}; // "Ja"
    ws->newerDriverTick();
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(ws->project().chassis[0].fs, 55);
    EXPECT_EQ(ws->undoStack().label(0), "Chassis 1 neu laden");
    EXPECT_EQ(calc.calcNewCount, calcs + 1);
    EXPECT_FALSE(ws->saved());
    for (int k = 0; k < 3 && ws->toCheckForNewerChasssisFiles(); ++k) {
        ws->newerDriverTick(); // the last driver checked: the check ends
    }
    EXPECT_FALSE(ws->toCheckForNewerChasssisFiles());
    EXPECT_EQ(prompt.questions.size(), 1u);
}

} // namespace
} // namespace sonora::test
