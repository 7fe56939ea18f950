// Nothing the user made is lost: damaged files leave the open project alone, undo gives back the
// file name of its snapshot, and a recovery copy survives a crash.
#include "workspace_fixture.h"

#include <filesystem>
#include <iterator>

#include "engine/example_projects.h"
#include "storage/file_form.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

namespace sonora::test {
namespace {

namespace fs = std::filesystem;

class WorkspaceKeep : public WorkspaceTest {
protected:
    std::string bytesOf(const std::string& file) const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The two examples in files of their own.
    void writeExamples() {
        auto p = std::make_unique<TProjekt>();
        buildTwoWayExample(*p, 84);
        ASSERT_TRUE(writeProjectFile(*p, path("zwei.LSP"), true, prompt));
        buildThreeWayExample(*p, 84);
        ASSERT_TRUE(writeProjectFile(*p, path("drei.LSP"), true, prompt));
        prompt.messages.clear();
    }
    // Sets the modification time of `file` `seconds` away from now.
    static void touch(const std::string& file, int seconds) {
        fs::last_write_time(file, fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
    }
    std::string recoveryQuestion(const std::string& file) const {
        return utf8ToLatin1("Für " + file +
                            " gibt es eine Wiederherstellungskopie mit Änderungen, die nicht "
                            "gespeichert wurden.\r\nSoll sie geladen werden?");
    }
};

TEST_F(WorkspaceKeep, ADamagedFileLeavesTheProjectItsNameTheSavedFlagAndTheUndoStack) {
    writeExamples();
    ws->startUp(path("drei.LSP"));
    // A full stack: a load that pushed and dropped again would lose the oldest step.
    for (int k = 0; k < kUndoSlots + 2; ++k) {
        changeLevel(2 + k);
    }
    ASSERT_EQ(ws->undoStack().size(), kUndoSlots);
    const std::string drei = bytesOf(path("drei.LSP"));
    std::ofstream(path("cut.LSP"), std::ios::binary) << drei.substr(0, 1000);
    std::ofstream(path("garbage.LSP"), std::ios::binary)
        << "MyIni2CK" << std::string(2000, '\x5A') << drei.substr(8);

    for (const char* name : {"cut.LSP", "garbage.LSP"}) {
        SCOPED_TRACE(name);
        const auto before = std::make_unique<TProjekt>(ws->project());
        const auto oldest = std::make_unique<TProjekt>(*ws->undoStack().snapshot(kUndoSlots - 1));
        const std::string title = view.title;
        const int calcs = calc.calcNewCount + calc.calcAllNewCount;
        prompt.messages.clear();
        EXPECT_FALSE(ws->loadProject(path(name)));
        ASSERT_FALSE(prompt.messages.empty());
        EXPECT_EQ(prompt.messages.back(), utf8ToLatin1(path(name)) + " hat falsches Format.");
        EXPECT_TRUE(sameBytes(ws->project(), *before));
        EXPECT_EQ(ws->fileName(), path("drei.LSP"));
        EXPECT_EQ(view.title, title);
        EXPECT_EQ(ws->dialogFileName(), "drei.LSP");
        EXPECT_FALSE(ws->saved());
        EXPECT_EQ(ws->undoStack().size(), kUndoSlots);
        EXPECT_EQ(ws->undoStack().label(0), "Aktives Filter 1 editieren");
        EXPECT_TRUE(sameBytes(*ws->undoStack().snapshot(kUndoSlots - 1), *oldest));
        EXPECT_EQ(calc.calcNewCount + calc.calcAllNewCount, calcs);
    }
    // "Speichern" afterwards writes the user's project, not defaults, to the user's file.
    ASSERT_TRUE(ws->saveProject(ws->dialogFolder() + ws->dialogFileName()));
    auto back = std::make_unique<TProjekt>(ws->project());
    ASSERT_EQ(openProjectFile(*back, path("drei.LSP"), env.folders.projects, prompt, nullptr),
              ProjectOpenStatus::Opened);
    EXPECT_EQ(back->nChassis, 3);
    EXPECT_EQ(back->amp[0].aktfilter.pegel, 2 + kUndoSlots + 1);
}

TEST_F(WorkspaceKeep, UndoOfALoadGivesBackTheFileNameTheTitleAndTheDialogNames) {
    writeExamples();
    ASSERT_TRUE(ws->startUp(path("drei.LSP")) == StartUpOutcome::Running);
    const auto threeWay = std::make_unique<TProjekt>(ws->project());
    const std::string zwei = bytesOf(path("zwei.LSP"));
    ASSERT_TRUE(ws->loadProject(path("zwei.LSP")));
    EXPECT_EQ(ws->fileName(), path("zwei.LSP"));

    ws->undo();
    EXPECT_TRUE(sameBytes(ws->project(), *threeWay));
    EXPECT_EQ(ws->fileName(), path("drei.LSP"));
    EXPECT_EQ(view.title, ws->title());
    EXPECT_NE(view.title.find("drei.LSP]"), std::string::npos) << view.title;
    EXPECT_EQ(ws->dialogFileName(), "drei.LSP");
    EXPECT_EQ(ws->dialogFolder(), path(""));
    EXPECT_FALSE(ws->saved());
    // What Ctrl+S and Enter in the save dialog do: the three-way goes into its own file.
    ASSERT_TRUE(ws->saveProject(ws->dialogFolder() + ws->dialogFileName()));
    EXPECT_EQ(bytesOf(path("zwei.LSP")), zwei);
    auto back = std::make_unique<TProjekt>(ws->project());
    ASSERT_EQ(openProjectFile(*back, path("drei.LSP"), env.folders.projects, prompt, nullptr),
              ProjectOpenStatus::Opened);
    EXPECT_EQ(back->nChassis, 3);

    // "Neu" and its undo.
    ASSERT_TRUE(ws->newProject());
    EXPECT_EQ(ws->fileName(), kNoNameProject);
    EXPECT_TRUE(ws->dialogFileName().empty());
    ws->undo();
    EXPECT_EQ(ws->fileName(), path("drei.LSP"));
    EXPECT_EQ(ws->dialogFileName(), "drei.LSP");
    EXPECT_EQ(ws->project().nChassis, 3);

    // The start-up load is an undo step of its own: before it came the unnamed default project.
    ws->undo();
    EXPECT_EQ(ws->fileName(), kNoNameProject);
    EXPECT_NE(view.title.find("noname.LSP]"), std::string::npos) << view.title;
    EXPECT_TRUE(ws->dialogFileName().empty());
    auto fresh = std::make_unique<TProjekt>();
    makeDefaultProject(*fresh, env.folders.projects, prompt);
    EXPECT_TRUE(sameBytes(ws->project(), *fresh));
    EXPECT_FALSE(ws->canUndo());
}

TEST_F(WorkspaceKeep, EveryUndoStepRemembersItsOwnName) {
    writeExamples();
    ws->startUp(std::nullopt);
    changeLevel(3);                                 // step with "noname.LSP"
    ASSERT_TRUE(ws->saveProject(path("eins.LSP"))); // no step
    changeLevel(4);                                 // step with "eins.LSP"
    ASSERT_TRUE(ws->loadProject(path("zwei.LSP"))); // step with "eins.LSP"
    changeLevel(5);                                 // step with "zwei.LSP"
    EXPECT_EQ(ws->undoStack().names(0).file, path("zwei.LSP"));
    EXPECT_EQ(ws->undoStack().names(1).file, path("eins.LSP"));
    EXPECT_EQ(ws->undoStack().names(2).file, path("eins.LSP"));
    EXPECT_EQ(ws->undoStack().names(3).file, kNoNameProject);
    const std::vector<std::string> expected = {path("zwei.LSP"), path("eins.LSP"), path("eins.LSP"),
                                               kNoNameProject};
    for (const std::string& name : expected) {
        ws->undo();
        EXPECT_EQ(ws->fileName(), name);
        EXPECT_NE(view.title.find(fs::path(name).filename().string() + "]"), std::string::npos);
    }
    EXPECT_FALSE(ws->canUndo());
}

TEST_F(WorkspaceKeep, ACrashLeavesTheCopyAndTheNextStartOffersIt) {
    writeExamples();
    touch(path("drei.LSP"), -100);
    ws->startUp(path("drei.LSP"));
    const auto fileState = std::make_unique<TProjekt>(ws->project());
    const std::string copy = ws->recoveryFile();
    EXPECT_EQ(copy.rfind(env.folders.base + "Wiederherstellung/", 0), 0u) << copy;
    for (int k = 1; k < 10; ++k) {
        changeLevel(k);
    }
    EXPECT_FALSE(fileExists(copy)); // nine changes within the minute: no copy yet
    changeLevel(10);
    ASSERT_TRUE(fileExists(copy)); // the tenth
    auto inCopy = std::make_unique<TProjekt>(ws->project());
    ScriptedPrompt quiet;
    ASSERT_EQ(readProjectFile(*inCopy, copy, true, quiet), ProjectReadStatus::Ok);
    EXPECT_EQ(inCopy->amp[0].aktfilter.pegel, 10);
    EXPECT_EQ(detectFileFormOf(copy), FileForm::Compressed);
    changeLevel(11);
    const auto crashed = std::make_unique<TProjekt>(ws->project());

    // The crash: the workspace goes without being closed; the eleventh change waits for the timer.
    ws->recoveryTick(std::chrono::steady_clock::now() + std::chrono::seconds(61));
    ws.reset();
    ASSERT_TRUE(fileExists(copy));

    makeWorkspace();
    prompt.questions.clear();
    prompt.choices = {1}; // "Wiederherstellen"
    ws->startUp(path("drei.LSP"));
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0], recoveryQuestion(path("drei.LSP")));
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, 11);
    EXPECT_EQ(ws->project().nChassis, crashed->nChassis);
    EXPECT_EQ(ws->fileName(), path("drei.LSP"));
    EXPECT_FALSE(ws->saved());
    EXPECT_TRUE(fileExists(copy)); // until it is saved
    // The file's own state is one step back.
    EXPECT_EQ(ws->undoStack().label(0), "Wiederherstellung");
    ws->undo();
    EXPECT_TRUE(sameBytes(ws->project(), *fileState));
    EXPECT_EQ(ws->fileName(), path("drei.LSP"));
}

TEST_F(WorkspaceKeep, TheTimerWritesAtMostOnceAMinuteAndOnlyWithNewChanges) {
    writeExamples();
    ws->startUp(path("drei.LSP"));
    const std::string copy = ws->recoveryFile();
    const auto t0 = std::chrono::steady_clock::now();
    ws->recoveryTick(t0 + std::chrono::seconds(120));
    EXPECT_FALSE(fileExists(copy)); // nothing changed
    changeLevel(6);
    ws->recoveryTick(t0 + std::chrono::seconds(121)); // the last copy two minutes ago
    ASSERT_TRUE(fileExists(copy));
    fs::remove(copy);
    changeLevel(7);
    ws->recoveryTick(t0 + std::chrono::seconds(150)); // half a minute later: not yet
    EXPECT_FALSE(fileExists(copy));
    ws->recoveryTick(t0 + std::chrono::seconds(182));
    ASSERT_TRUE(fileExists(copy));
    fs::remove(copy);
    ws->recoveryTick(t0 + std::chrono::seconds(400)); // no change since
    EXPECT_FALSE(fileExists(copy));
}

TEST_F(WorkspaceKeep, SavingNewAndACleanExitDeleteTheCopy) {
    writeExamples();
    ws->startUp(path("drei.LSP"));
    const std::string copy = ws->recoveryFile();
    // Each tick two minutes after the one before.
    auto clock = std::chrono::steady_clock::now();
    const auto later = [&clock] { return clock += std::chrono::minutes(2); };
    changeLevel(3);
    ws->recoveryTick(later());
    ASSERT_TRUE(fileExists(copy));
    ASSERT_TRUE(ws->saveProject(path("drei.LSP")));
    EXPECT_FALSE(fileExists(copy));

    changeLevel(4);
    ws->recoveryTick(later());
    ASSERT_TRUE(fileExists(copy));
    prompt.choices = {1}; // discard the changes
    ASSERT_TRUE(ws->newProject());
    EXPECT_FALSE(fileExists(copy));

    const std::string unnamed = ws->recoveryFile();
    EXPECT_NE(unnamed, copy);
    changeLevel(5);
    ws->recoveryTick(later());
    ASSERT_TRUE(fileExists(unnamed));
    prompt.choices = {2}; // "Nein": end without saving
    ASSERT_TRUE(ws->requestClose({}));
    EXPECT_FALSE(fileExists(unnamed));
    EXPECT_TRUE(fs::is_empty(env.folders.base + "Wiederherstellung"));
}

TEST_F(WorkspaceKeep, DiscardDeletesTheCopyAndAnOlderCopyIsNotOffered) {
    writeExamples();
    ws->startUp(path("drei.LSP"));
    const std::string copy = ws->recoveryFile();
    changeLevel(8);
    ws->recoveryTick(std::chrono::steady_clock::now() + std::chrono::hours(1));
    ASSERT_TRUE(fileExists(copy));
    const auto fileState = std::make_unique<TProjekt>(*ws->undoStack().snapshot(0));
    ws.reset();

    // The copy is older than the file (saved again since, e.g. by another instance).
    touch(path("drei.LSP"), 0);
    touch(copy, -60);
    makeWorkspace();
    prompt.questions.clear();
    ws->startUp(path("drei.LSP"));
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_TRUE(ws->saved());
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, fileState->amp[0].aktfilter.pegel);
    ASSERT_TRUE(fileExists(copy));
    ws.reset();

    // Newer again: offered, and "Verwerfen" deletes it.
    touch(copy, 60);
    makeWorkspace();
    prompt.choices = {2};
    ws->startUp(path("drei.LSP"));
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0], recoveryQuestion(path("drei.LSP")));
    EXPECT_FALSE(fileExists(copy));
    EXPECT_TRUE(ws->saved());
    EXPECT_EQ(ws->project().amp[0].aktfilter.pegel, fileState->amp[0].aktfilter.pegel);
    EXPECT_EQ(ws->undoStack().label(0), "Datei laden");
}

} // namespace
} // namespace sonora::test
