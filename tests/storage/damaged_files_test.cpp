// Damaged project and driver files are refused whole: the records they would be read into stay
// exactly as they were, and the message names the file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "damaged_project_samples.h"
#include "engine/voice_coil_fit.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/chassis_keys.h"
#include "storage/driver_file.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/newer_driver_check.h"
#include "storage/project_file.h"
#include "tests/support/temp_folder.h"

namespace sonora::test {
namespace {

namespace fs = std::filesystem;

class DamagedFiles : public test::TempFolderTest {
protected:
    // The three damages of the report: a compressed file cut after 1000 bytes, garbage right after
    // the marker, and a scrambled line file cut in the middle. Returns the damaged files.
    std::vector<std::string> damagedProjects() {
        auto p = thirtyTwoDriverProject(1);
        ScriptedPrompt prompt;
        const std::string whole = path("whole.LSP");
        EXPECT_TRUE(writeProjectFile(*p, whole, true, prompt));
        std::vector<std::uint8_t> bytes = fileBytes(whole);
        EXPECT_GT(bytes.size(), 1000u);
        bytes.resize(1000);
        writeBytes("cut.LSP", bytes);

        std::vector<std::uint8_t> garbage(bytes.begin(), bytes.begin() + 8);
        std::mt19937 random(1234);
        for (int i = 0; i < 4000; ++i) {
            garbage.push_back(static_cast<std::uint8_t>(random()));
        }
        writeBytes("garbage.LSP", garbage);

        writeScrambledProject(*p, path("scrambled.LSP"));
        std::vector<std::uint8_t> scrambled = fileBytes(path("scrambled.LSP"));
        scrambled.resize(scrambled.size() / 2);
        writeBytes("half.LSP", scrambled);
        return {path("cut.LSP"), path("garbage.LSP"), path("half.LSP")};
    }
};

TEST_F(DamagedFiles, ProjectsAreRefusedWithTheirNameAndLeaveTheProjectAsItWas) {
    // The undamaged scrambled file reads back: the damage, not the form, is what is refused.
    {
        auto p = thirtyTwoDriverProject(1);
        writeScrambledProject(*p, path("intact.LSP"));
        auto read = thirtyTwoDriverProject(0);
        ScriptedPrompt prompt;
        ASSERT_EQ(readProjectFile(*read, path("intact.LSP"), true, prompt), ProjectReadStatus::Ok);
        EXPECT_TRUE(prompt.messages.empty());
        EXPECT_EQ(read->chassis[31].name, p->chassis[31].name);
    }
    for (const std::string& file : damagedProjects()) {
        SCOPED_TRACE(file);
        auto project = thirtyTwoDriverProject(7);
        project->saved = false;
        const auto before = std::make_unique<TProjekt>(*project);
        ScriptedPrompt prompt;
        EXPECT_EQ(readProjectFile(*project, file, true, prompt), ProjectReadStatus::Refused);
        EXPECT_EQ(std::memcmp(project.get(), before.get(), sizeof(TProjekt)), 0);
        ASSERT_FALSE(prompt.messages.empty());
        EXPECT_EQ(prompt.messages.back(), utf8ToLatin1(file) + " hat falsches Format.");

        ScriptedPrompt openPrompt;
        EXPECT_EQ(openProjectFile(*project, file, path(""), openPrompt, fitVoiceCoilOfOldFile),
                  ProjectOpenStatus::WrongFormat);
        EXPECT_EQ(std::memcmp(project.get(), before.get(), sizeof(TProjekt)), 0);
        EXPECT_EQ(openPrompt.messages, prompt.messages);
    }
}

TEST_F(DamagedFiles, DriversAreRefusedInTheLoaderTheEditorAndTheNewerFileCheck) {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->name.assign("Breitband 10");
    c->pubdate.assign("01.01.2001");
    c->fs = 77.0;
    // A later file of the same driver in the scrambled line form, its last line cut short.
    {
        TMyIniFile ini(path("cut.LSC"), false, true, true, false);
        ini.WriteInteger("Header", "Version", kDriverFileVersion);
        writeChassisKeys(ini, kDriverSection, *c, "", "05.05.2025");
        ASSERT_TRUE(ini.save());
    }
    std::vector<std::uint8_t> bytes = fileBytes(path("cut.LSC"));
    writeBytes("whole.LSC", bytes);
    bytes.pop_back();
    writeBytes("cut.LSC", bytes);
    // A compressed one cut in the middle.
    ScriptedPrompt savePrompt;
    ASSERT_TRUE(saveDriver(*c, path("packed.LSC"), "", savePrompt));
    bytes = fileBytes(path("packed.LSC"));
    bytes.resize(bytes.size() / 2);
    writeBytes("packed.LSC", bytes);

    TChassis whole{};
    ScriptedPrompt wholePrompt;
    ASSERT_TRUE(loadDriver(whole, path("whole.LSC"), true, wholePrompt));
    EXPECT_EQ(whole.fs, 77.0);
    fs::remove(path("whole.LSC"));

    for (const char* name : {"cut.LSC", "packed.LSC"}) {
        SCOPED_TRACE(name);
        const std::string file = path(name);
        auto chassis = std::make_unique<TChassis>();
        initDefaultChassis(*chassis);
        chassis->fs = 11.0;
        const auto before = std::make_unique<TChassis>(*chassis);
        ScriptedPrompt prompt;
        EXPECT_FALSE(loadDriver(*chassis, file, true, prompt));
        EXPECT_EQ(std::memcmp(chassis.get(), before.get(), sizeof(TChassis)), 0);
        // The store's message naming the file, then the driver loader's own.
        ASSERT_GE(prompt.messages.size(), 2u);
        EXPECT_EQ(prompt.messages[prompt.messages.size() - 2],
                  utf8ToLatin1(file) + " hat falsches Format.");
        EXPECT_EQ(prompt.messages.back(), "Datei hat falsches Datenformat.");

        auto project = std::make_unique<TProjekt>();
        initDefaultProjekt(*project);
        project->schallwand[0].swd = 0.123;
        const auto projectBefore = std::make_unique<TProjekt>(*project);
        ScriptedPrompt editorPrompt;
        EXPECT_FALSE(loadDriverIntoEditor(project->chassis[0], project->einbau[0].typ,
                                          project->schallwand[0], file, editorPrompt,
                                          fitVoiceCoilOfOldFile));
        EXPECT_EQ(std::memcmp(project.get(), projectBefore.get(), sizeof(TProjekt)), 0);
        EXPECT_EQ(editorPrompt.messages, prompt.messages);
    }

    // The check never offers a damaged file, although name and date would match.
    auto project = std::make_unique<TProjekt>();
    initDefaultProjekt(*project);
    project->chassis[0] = *c;
    NewerDriverCheck check(dir.string());
    check.request();
    ScriptedPrompt yes;
    yes.choices = {1};
    const NewerDriverTickResult r = check.tick(*project, yes);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::NoMatch);
    EXPECT_TRUE(check.table().empty());
    EXPECT_TRUE(yes.questions.empty());
}

} // namespace
} // namespace sonora::test
