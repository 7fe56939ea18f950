// The newer-file check: name and date rules, the question, one driver per tick, the rescan's and
// the table's match rules, the busy guard and the bound of the file table.
#include "storage/newer_driver_check.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/chassis_keys.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"

namespace sonora {
namespace {

namespace fs = std::filesystem;

class NewerDriver : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_newer_driver_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        project = std::make_unique<TProjekt>();
        initDefaultProjekt(*project);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // A compressed driver file as saved by the program, with a chosen date and version.
    void writeDriver(const std::string& file, const std::string& latin1Name,
                     const std::string& pubdate, double fs = 40.0, int version = 2000) {
        auto c = std::make_unique<TChassis>();
        initDefaultChassis(*c);
        c->name.assign(latin1Name);
        c->fs = fs;
        TMyIniFile ini((dir / file).string(), false, true, true, true);
        ini.WriteInteger("Header", "Version", version);
        writeChassisKeys(ini, "Chassis", *c, "", pubdate);
        ASSERT_TRUE(ini.save());
    }
    void setDriver(int index, const std::string& latin1Name, const std::string& pubdate) {
        project->chassis[index].name.assign(latin1Name);
        project->chassis[index].pubdate.assign(pubdate);
    }

    fs::path dir;
    std::unique_ptr<TProjekt> project;
};

TEST(NewerDriverNames, OnlyNameCharactersCountAndAreUpperCased) {
    EXPECT_EQ(normalizedDriverName("W 18 E-001 (8_Ohm)"), "W18E0018OHM");
    EXPECT_EQ(normalizedDriverName("a.b,c;d/e"), "ABCDE");
    EXPECT_EQ(latin1ToUtf8(normalizedDriverName(utf8ToLatin1("Bändchen-HT (neu)"))),
              "BÄNDCHENHTNEU");
    EXPECT_EQ(normalizedDriverName(utf8ToLatin1("Bändchen")),
              normalizedDriverName(utf8ToLatin1("BÄNDCHEN")));
    EXPECT_NE(normalizedDriverName(utf8ToLatin1("Bändchen")), normalizedDriverName("Bandchen"));
    // Signs are dropped, ß and ÿ have no capital and stay.
    EXPECT_EQ(latin1ToUtf8(normalizedDriverName(utf8ToLatin1("2×3÷µ°ßÿé"))), "23ßÿÉ");
    EXPECT_EQ(normalizedDriverName(" -_() "), "");
}

TEST(NewerDriverDates, LaterDatesFollowTheDateRules) {
    EXPECT_TRUE(isLaterDriverDate("02.01.2000", "01.01.2000"));
    EXPECT_FALSE(isLaterDriverDate("01.01.2000", "01.01.2000"));
    EXPECT_TRUE(isLaterDriverDate("01.02.1999", "31.01.1999"));
    EXPECT_TRUE(isLaterDriverDate("01.01.2000", "31.12.1999"));
    // Two-digit years: below 45 are 20xx, from 45 on 19xx.
    EXPECT_TRUE(isLaterDriverDate("01.01.44", "31.12.2043"));
    EXPECT_FALSE(isLaterDriverDate("01.01.45", "01.01.2000"));
    EXPECT_TRUE(isLaterDriverDate("01.01.45", "31.12.1944"));
    EXPECT_FALSE(isLaterDriverDate("1-1-0", "1.1.2000")); // year 0 is 2000, any separator
    // An impossible month or day is 1 January 1900.
    EXPECT_FALSE(isLaterDriverDate("01.13.2030", "02.01.1900"));
    EXPECT_FALSE(isLaterDriverDate("32.01.2030", "01.01.1900"));
    EXPECT_TRUE(isLaterDriverDate("02.01.1900", "00.05.2030"));
    EXPECT_TRUE(isLaterDriverDate("01.01.2000", "garbage"));
}

TEST(NewerDriverQuestion, TextNamesTheDriver) {
    EXPECT_EQ(latin1ToUtf8(newerDriverQuestion(utf8ToLatin1("Kalotte Ü"))),
              "Das Projekt enthält möglicherweise eine veraltete Version\r\n"
              "des Chassis \"Kalotte Ü\".\r\n"
              "Soll die neuere Chassisdatei nachgeladen werden?");
    EXPECT_TRUE(isCheckedDriverVersion(1000));
    EXPECT_TRUE(isCheckedDriverVersion(1108));
    EXPECT_TRUE(isCheckedDriverVersion(1500));
    EXPECT_TRUE(isCheckedDriverVersion(3000));
    EXPECT_FALSE(isCheckedDriverVersion(1003));
    EXPECT_FALSE(isCheckedDriverVersion(1199));
    EXPECT_FALSE(isCheckedDriverVersion(0));
}

TEST_F(NewerDriver, SameNameAndSameDateDoesNotAsk) {
    writeDriver("a.LSC", "Foo-Bar (8 Ohm)", "05.06.2021");
    writeDriver("b.LSC", "FOOBAR8OHM", "05.06.2021");
    writeDriver("c.LSC", "Foo-Bar (8 Ohm)", "04.06.2021"); // older
    setDriver(0, "foo bar 8 ohm", "05.06.2021");
    NewerDriverCheck check(dir.string());
    check.request();
    ScriptedPrompt prompt;
    const NewerDriverTickResult r = check.tick(*project, prompt);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::NoMatch);
    EXPECT_EQ(r.driver, 0);
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(check.table().size(), 3u);
}

TEST_F(NewerDriver, LaterFileIsOfferedAndLoadedOnYes) {
    writeDriver("new.LSC", utf8ToLatin1("Hochtöner-1"), "06.06.2021", 1234.0);
    setDriver(0, utf8ToLatin1("HOCHTÖNER 1"), "05.06.2021");
    project->chassis[0].fs = 999.0;
    NewerDriverCheck check(dir.string());

    check.request();
    ScriptedPrompt no; // no scripted answer: the default button, "Nein"
    NewerDriverTickResult r = check.tick(*project, no);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::Declined);
    ASSERT_EQ(no.questions.size(), 1u);
    EXPECT_EQ(no.questions[0], newerDriverQuestion(utf8ToLatin1("HOCHTÖNER 1")));
    EXPECT_EQ(r.file, (dir / "new.LSC").string());
    EXPECT_FALSE(r.chassis);

    check.request();
    ScriptedPrompt yes;
    yes.choices.push_back(1);
    r = check.tick(*project, yes);
    ASSERT_EQ(r.outcome, NewerDriverOutcome::Reloaded);
    EXPECT_EQ(r.undoLabel, "Chassis 1 neu laden");
    ASSERT_TRUE(r.chassis);
    EXPECT_EQ(r.chassis->fs, 1234.0);
    EXPECT_EQ(r.chassis->pubdate.str(), "06.06.2021");
    EXPECT_EQ(project->chassis[0].fs, 999.0); // the caller applies the result
    EXPECT_TRUE(yes.messages.empty());
}

TEST_F(NewerDriver, OneDriverPerTickUntilAllAreDone) {
    project->nChassis = 3;
    writeDriver("x.LSC", "Drei", "01.01.2030");
    setDriver(0, "Eins", "01.01.2000");
    setDriver(1, "Zwei", "01.01.2000");
    setDriver(2, "Drei", "01.01.2000");
    NewerDriverCheck check(dir.string());
    ScriptedPrompt prompt;
    EXPECT_EQ(check.tick(*project, prompt).outcome, NewerDriverOutcome::Idle); // not requested
    check.request();
    EXPECT_TRUE(check.pending());
    NewerDriverTickResult r = check.tick(*project, prompt);
    EXPECT_EQ(r.driver, 0);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::NoMatch);
    // A file added after the rescan is not seen by the later ticks.
    writeDriver("y.LSC", "Zwei", "01.01.2030");
    r = check.tick(*project, prompt);
    EXPECT_EQ(r.driver, 1);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::NoMatch);
    r = check.tick(*project, prompt);
    EXPECT_EQ(r.driver, 2);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::Declined);
    EXPECT_FALSE(check.pending());
    EXPECT_EQ(check.tick(*project, prompt).outcome, NewerDriverOutcome::Idle);
    EXPECT_EQ(prompt.questions.size(), 1u);
    // A new request starts again with driver 1 and a rescan, which now finds y.LSC.
    check.request();
    EXPECT_EQ(check.tick(*project, prompt).driver, 0);
    r = check.tick(*project, prompt);
    EXPECT_EQ(r.driver, 1);
    EXPECT_EQ(r.outcome, NewerDriverOutcome::Declined);
    EXPECT_EQ(r.file, (dir / "y.LSC").string());
}

TEST_F(NewerDriver, RescanTakesTheLastMatchAndTheTableTheFirst) {
    project->nChassis = 2;
    writeDriver("a.LSC", "Bass", "01.01.2030");
    writeDriver("b.LSC", "Bass", "01.01.2025");
    writeDriver("c.LSC", "Bass", "01.01.2001"); // not later than the drivers' date
    setDriver(0, "Bass", "01.01.2010");
    setDriver(1, "Bass", "01.01.2010");
    NewerDriverCheck check(dir.string());
    check.request();
    ScriptedPrompt prompt;
    EXPECT_EQ(check.tick(*project, prompt).file, (dir / "b.LSC").string());
    EXPECT_EQ(check.tick(*project, prompt).file, (dir / "a.LSC").string());
}

TEST_F(NewerDriver, OnlyAcceptedVersionsTakePartAndRetiredOnesFailToLoad) {
    writeDriver("a.LSC", "Mittel", "01.01.2030", 40.0, 1003); // not accepted
    writeDriver("b.LSC", "Mittel", "01.01.2031", 40.0, 1500); // accepted, but no longer loadable
    writeDriver("c.txt", "Mittel", "01.01.2032");             // not a driver file
    fs::create_directories(dir / "d.LSC");                    // a folder, not a file
    setDriver(0, "Mittel", "01.01.2000");
    NewerDriverCheck check(dir.string());
    check.request();
    ScriptedPrompt prompt;
    prompt.choices.push_back(1);
    const NewerDriverTickResult r = check.tick(*project, prompt);
    ASSERT_EQ(check.table().size(), 1u);
    EXPECT_EQ(check.table()[0].path, (dir / "b.LSC").string());
    EXPECT_EQ(r.outcome, NewerDriverOutcome::LoadFailed);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(latin1ToUtf8(prompt.messages[0]),
              "Dieses Dateiformat wird nicht mehr unterstützt.\r\nBitte verwenden Sie die "
              "aktuelle Chassisdatei.");
    EXPECT_FALSE(r.chassis);
}

TEST_F(NewerDriver, EmptyNamesAndMissingFoldersNeverMatch) {
    writeDriver("a.LSC", "", "01.01.2030");
    writeDriver("b.LSC", "--", "01.01.2030");
    setDriver(0, "", "01.01.2000");
    NewerDriverCheck check(dir.string());
    check.request();
    ScriptedPrompt prompt;
    EXPECT_EQ(check.tick(*project, prompt).outcome, NewerDriverOutcome::NoMatch);
    NewerDriverCheck nowhere((dir / "missing").string());
    nowhere.request();
    EXPECT_EQ(nowhere.tick(*project, prompt).outcome, NewerDriverOutcome::NoMatch);
    EXPECT_TRUE(nowhere.table().empty());
    EXPECT_TRUE(prompt.questions.empty());
}

// Answers the question by letting the timer fire again, as a modal dialog's message loop does.
class ReentrantPrompt : public ScriptedPrompt {
public:
    ReentrantPrompt(NewerDriverCheck& check, const TProjekt& project)
        : check_(check), project_(project) {}
    int choose(const std::string& text, const std::string& buttons, int def) override {
        nested.push_back(check_.tick(project_, *this).outcome);
        return ScriptedPrompt::choose(text, buttons, def);
    }
    std::vector<NewerDriverOutcome> nested;

private:
    NewerDriverCheck& check_;
    const TProjekt& project_;
};

TEST_F(NewerDriver, TickDuringAnOpenQuestionDoesNothing) {
    project->nChassis = 2;
    writeDriver("a.LSC", "Eins", "01.01.2030");
    setDriver(0, "Eins", "01.01.2000");
    setDriver(1, "Zwei", "01.01.2000");
    NewerDriverCheck check(dir.string());
    check.request();
    ReentrantPrompt prompt(check, *project);
    EXPECT_EQ(check.tick(*project, prompt).outcome, NewerDriverOutcome::Declined);
    ASSERT_EQ(prompt.nested.size(), 1u);
    EXPECT_EQ(prompt.nested[0], NewerDriverOutcome::Busy);
    // The busy tick did not use up driver 2.
    EXPECT_EQ(check.tick(*project, prompt).driver, 1);
}

TEST_F(NewerDriver, TableHoldsAtMost1024Files) {
    // 1030 accepted files; the one that would match sorts last and lies beyond the bound.
    for (int i = 0; i < 1030; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%04d.LSC", i);
        TMyIniFile ini((dir / name).string(), false, true, true, true);
        ini.WriteInteger("Header", "Version", 2000);
        ini.WriteString("Chassis", "Name", i == 1029 ? "Ziel" : "Anderer");
        ini.WriteString("Chassis", "pubdate", "01.01.2030");
        ASSERT_TRUE(ini.save());
    }
    setDriver(0, "Ziel", "01.01.2000");
    NewerDriverCheck check(dir.string());
    check.request();
    ScriptedPrompt prompt;
    EXPECT_EQ(check.tick(*project, prompt).outcome, NewerDriverOutcome::NoMatch);
    EXPECT_EQ(check.table().size(), 1024u);
    EXPECT_EQ(check.table().back().path, (dir / "f1023.LSC").string());
    EXPECT_TRUE(prompt.questions.empty());
}

} // namespace
} // namespace sonora
