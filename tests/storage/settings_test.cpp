#include "storage/settings.h"

#include "model/record_defaults.h"
#include "storage/latin1.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace sonora {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names(const TFilehistory& h) {
    return {h.filenames, h.filenames + h.nFiles};
}

TEST(Filehistory, NewNamesGoFirstAndTheListKeepsSix) {
    TFilehistory h;
    h.AddFile("/p/a.LSP");
    h.AddFile("/p/b.LSP");
    h.AddFile("/p/c.LSP");
    EXPECT_EQ(names(h), (std::vector<std::string>{"/p/c.LSP", "/p/b.LSP", "/p/a.LSP"}));
    EXPECT_EQ(h.shortnames[2], "/.../a.LSP");
    for (const char* n : {"/p/d.LSP", "/p/e.LSP", "/p/f.LSP", "/p/g.LSP"}) {
        h.AddFile(n);
    }
    ASSERT_EQ(h.nFiles, kMaxHistoryFiles);
    EXPECT_EQ(names(h), (std::vector<std::string>{"/p/g.LSP", "/p/f.LSP", "/p/e.LSP", "/p/d.LSP",
                                                  "/p/c.LSP", "/p/b.LSP"}));
    EXPECT_TRUE(h.filenames[6].empty());
}

TEST(Filehistory, KnownNamesMoveToTheTopKeepingTheOrderOfTheOthers) {
    TFilehistory h;
    for (const char* n : {"/6", "/5", "/4", "/3", "/2", "/1"}) {
        h.AddFile(n);
    }
    h.AddFile("/3"); // third in the list
    EXPECT_EQ(names(h), (std::vector<std::string>{"/3", "/1", "/2", "/4", "/5", "/6"}));
    EXPECT_EQ(h.shortnames[0], "/.../3");
    EXPECT_EQ(h.shortnames[1], "/.../1");
    h.AddFile("/3"); // already first: nothing changes
    EXPECT_EQ(names(h), (std::vector<std::string>{"/3", "/1", "/2", "/4", "/5", "/6"}));
    h.AddFile("/6"); // last
    EXPECT_EQ(names(h), (std::vector<std::string>{"/6", "/3", "/1", "/2", "/4", "/5"}));
    h.AddFile("/P/../3"); // names are compared exactly, not as paths
    EXPECT_EQ(h.filenames[0], "/P/../3");
    EXPECT_EQ(h.filenames[5], "/4");
    EXPECT_EQ(h.nFiles, kMaxHistoryFiles);
}

TEST(Filehistory, ShortenKeepsFirstPartAndFileName) {
    EXPECT_EQ(TFilehistory::shorten("/home/ute/Projekte/Zweiweg.LSP"), "/.../Zweiweg.LSP");
    EXPECT_EQ(TFilehistory::shorten("daten/alt/neu/box.LSP"), "daten/.../box.LSP");
    EXPECT_EQ(TFilehistory::shorten("a/b"), "a/.../b");
    EXPECT_EQ(TFilehistory::shorten("box.LSP"), "/.../box.LSP");
    EXPECT_EQ(TFilehistory::shorten(""), "/.../");
}

TEST(MouseCode, HundredsDigitBecomesFive) {
    EXPECT_EQ(mouseCodeWithToggle(424231), 424531);
    EXPECT_EQ(mouseCodeWithToggle(123456), 123556);
    EXPECT_EQ(mouseCodeWithToggle(0), 500);
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_settings_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "prog");
        fs::create_directories(dir / "home");
        base.programFolder = (dir / "prog").string() + "/";
        base.appDataFolder = (dir / "home").string() + "/";
        derived = deriveFolders(base.appDataFolder, base.programFolder);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // Writes the settings file of `derived` in the plain form from `body` (lines with "\n").
    void writeIni(const std::string& body) {
        std::string text = "## MyIniFile 1.0 by KT 2004 ##\r\n";
        for (char ch : body) {
            text += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        }
        std::ofstream(derived.settingsFile, std::ios::binary) << text << "\r\n";
    }
    std::string iniText() {
        std::ifstream in(derived.settingsFile, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    BaseFolders base;
    FolderPaths derived;
};

TEST_F(Settings, MissingFileGivesTheDefaults) {
    ScriptedPrompt prompt;
    const ProgramSettings s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(s.window, WindowGeometry{});
    EXPECT_EQ(s.window.left, -1);
    EXPECT_EQ(s.history.nFiles, 0);
    EXPECT_FALSE(s.usePresets);
    EXPECT_EQ(s.presets, presetsOf(derived));
    EXPECT_EQ(s.mouseCode, 424531);
    EXPECT_EQ(s.windowSizePreset, 2);
    EXPECT_FALSE(s.useOption);
    EXPECT_EQ(s.calcPauseMs, 0); // results come without a pause unless the user asks for one
    EXPECT_EQ(s.optimizerPauseMs, 0);
    EXPECT_EQ(applyPresets(derived, s), derived);
}

TEST_F(Settings, StagePausesRoundTripAndHostileOnesBecomeZero) {
    ProgramSettings s;
    s.calcPauseMs = 500;     // the old patient behaviour of the window ...
    s.optimizerPauseMs = 40; // ... and of the optimizer
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeSettings(s, derived, prompt));
    const std::string text = iniText();
    EXPECT_NE(text.find("PauseRechnung=\t500\r\n"), std::string::npos);
    EXPECT_NE(text.find("PauseOptimierer=\t40\r\n"), std::string::npos);
    ProgramSettings back = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(back.calcPauseMs, 500);
    EXPECT_EQ(back.optimizerPauseMs, 40);

    writeIni("#Optionen\nPauseRechnung=\t-1\nPauseOptimierer=\t99999999\n");
    back = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(back.calcPauseMs, 0);
    EXPECT_EQ(back.optimizerPauseMs, 0);
    writeIni("#Optionen\nPauseRechnung=\t10000\nPauseOptimierer=\tabc\n");
    back = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(back.calcPauseMs, kMaxStagePauseMs);
    EXPECT_EQ(back.optimizerPauseMs, 0);
}

TEST_F(Settings, OldMouseCodeGivesTheDefaultOfTheNewKey) {
    ScriptedPrompt prompt;
    writeIni("#Optionen\nTBWE=\t424231\n");
    EXPECT_EQ(readSettings(derived.settingsFile, derived, prompt).mouseCode, 424531);
    writeIni("#Optionen\nTBWE=\t111111\n");
    EXPECT_EQ(readSettings(derived.settingsFile, derived, prompt).mouseCode, 111511);
    writeIni("#Optionen\nTBWE=\t111111\nTBWEopti=\t222222\nWEsize=\t0\n");
    const ProgramSettings s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(s.mouseCode, 222222);
    EXPECT_EQ(s.windowSizePreset, 0);
}

TEST_F(Settings, WrittenSettingsReadBackAndOtherKeysStay) {
    writeIni("#Window\nwl=\t5\n#Fremd\nbleibt=\tja\n");
    ProgramSettings s;
    s.window = {12, 34, 1024, 700};
    s.history.AddFile(base.programFolder + "Projekte/alt.LSP");
    s.history.AddFile(base.programFolder + "Projekte/Bässe/neu.LSP");
    s.history.AddFile("/mnt/Übung.LSP");
    s.usePresets = true;
    s.presets = {"/daten/Chassis/", "/daten/Projekte/",      "/daten/Teile/",
                 "/daten/Reports/", "/daten/Publikationen/", "/daten/Bausätze/"};
    s.mouseCode = 123456;
    s.windowSizePreset = 1;
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeSettings(s, derived, prompt));
    EXPECT_TRUE(prompt.messages.empty());

    const ProgramSettings back = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(back.window, s.window);
    EXPECT_EQ(back.history.nFiles, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(back.history.filenames[k], s.history.filenames[k]);
        EXPECT_EQ(back.history.shortnames[k], s.history.shortnames[k]);
    }
    EXPECT_TRUE(back.usePresets);
    EXPECT_EQ(back.presets, s.presets);
    EXPECT_EQ(back.mouseCode, 123456);
    EXPECT_EQ(back.windowSizePreset, 1);
    const FolderPaths used = applyPresets(derived, back);
    EXPECT_EQ(used.kits, "/daten/Bausätze/");
    EXPECT_EQ(used.base, derived.base);
    EXPECT_EQ(used.settingsFile, derived.settingsFile);

    const std::string text = iniText();
    EXPECT_NE(text.find("#Fremd\r\nbleibt=\tja\r\n"), std::string::npos);
    EXPECT_NE(text.find("wl=\t12\r\n"), std::string::npos);
    // Key names are Latin-1 like every text of the file; the paths are the file system's bytes.
    EXPECT_NE(text.find(utf8ToLatin1("Bausätze") + "=\t/daten/Bausätze/\r\n"), std::string::npos);
    EXPECT_NE(text.find("Sonora=\t" + derived.base + "\r\n"), std::string::npos);

    // Presets off: the seven keys go, the folders come from the data folder again.
    s.usePresets = false;
    ASSERT_TRUE(writeSettings(s, derived, prompt));
    const std::string off = iniText();
    EXPECT_NE(off.find("Verzeichnisvorgaben=\t0\r\n"), std::string::npos);
    EXPECT_EQ(off.find("/daten/"), std::string::npos);
    EXPECT_EQ(off.find("Sonora=\t"), std::string::npos);
    const ProgramSettings plain = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(applyPresets(derived, plain), derived);
}

TEST_F(Settings, DisplayOptionDefaultsRoundTrip) {
    TAnzOption o = defaultAnzOption();
    o.ColorSetAmps[6] = 0x00102030;
    o.ColorSetChassis[32] = 0x00ABCDEF;
    o.ColorSetRichtungen[9] = 0x00FFFFFF;
    o.dBmin = 35.5;
    o.dBmax = 105;
    o.Afmin = 10;
    o.Afmax = 40000;
    o.ImpMax = 120;
    o.GraphsThickness = 3;
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeDisplayOptionSettings(derived.settingsFile, true, o, prompt));
    ProgramSettings s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_TRUE(s.useOption);
    EXPECT_EQ(std::memcmp(&s.displayOptions, &o, sizeof o), 0);

    ASSERT_TRUE(writeDisplayOptionSettings(derived.settingsFile, false, o, prompt));
    s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_FALSE(s.useOption);
    const TAnzOption def = defaultAnzOption();
    EXPECT_EQ(std::memcmp(&s.displayOptions, &def, sizeof def), 0);
}

TEST_F(Settings, HostileValuesAreBounded) {
    const std::string longPath = "/" + std::string(10000, 'x');
    writeIni("#Window\nwl=\t-5\nwt=\t99999999\nww=\t800\nwh=\t65535\n"
             "#Filehistory\nFile2=\t/p/zwei.LSP\nFile5=\t" +
             longPath +
             "\nFile6=\t/p/sieben.LSP\n"
             "#Verzeichnisse\nVerzeichnisvorgaben=\t1\nChassis=\t/eigene/Chassis\nProjekte=\t\n"
             "#Optionen\nTBWE=\t-3\nTBWEopti=\t1234567\nWEsize=\t7\n"
             "#Option\nUseOption=\t1\nColorSetAmps=\t-16777216;\t65280\ndBMin=\t1e999\n"
             "GThickness=\t4\n");
    ScriptedPrompt prompt;
    const ProgramSettings s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(s.window.left, -1);
    EXPECT_EQ(s.window.top, -1);
    EXPECT_EQ(s.window.width, 800);
    EXPECT_EQ(s.window.height, 65535);
    // Present entries fill their own slot; the count ends after the last one, at most six.
    EXPECT_EQ(s.history.nFiles, 6);
    EXPECT_TRUE(s.history.filenames[0].empty());
    EXPECT_EQ(s.history.filenames[2], "/p/zwei.LSP");
    EXPECT_EQ(s.history.filenames[5].size(), kMaxSettingsPathLength);
    EXPECT_TRUE(s.history.filenames[6].empty());
    EXPECT_EQ(s.presets.drivers, "/eigene/Chassis/");
    EXPECT_EQ(s.presets.projects, derived.projects); // empty preset: the derived folder
    EXPECT_EQ(s.presets.parts, derived.parts);       // missing preset: the derived folder
    EXPECT_EQ(s.mouseCode, 424531);
    EXPECT_EQ(s.windowSizePreset, 2);
    EXPECT_TRUE(s.useOption);
    EXPECT_EQ(s.displayOptions.ColorSetAmps[0], 0u);
    EXPECT_EQ(s.displayOptions.ColorSetAmps[1], 65280u);
    EXPECT_EQ(s.displayOptions.ColorSetAmps[2], defaultAnzOption().ColorSetAmps[2]);
    EXPECT_EQ(s.displayOptions.dBmin, 40);
    EXPECT_EQ(s.displayOptions.GraphsThickness, 4);
}

TEST_F(Settings, ChartTabAndToolWindowsRoundTrip) {
    ScriptedPrompt prompt;
    ProgramSettings s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(s.chartTab, 0);
    EXPECT_TRUE(s.toolWindows.empty());
    s.chartTab = 5;
    s.toolWindows["crossoverEditor"] = WindowGeometry{1300, 40, 600, 700};
    s.toolWindows["optimizerWindow"] = WindowGeometry{0, 0, 900, 650};
    s.toolWindows["kaputt name"] = WindowGeometry{1, 2, 3, 4}; // not a plain word: not written
    ASSERT_TRUE(writeSettings(s, derived, prompt));
    EXPECT_NE(iniText().find("crossoverEditor.ww=\t600\r\n"), std::string::npos);
    const ProgramSettings back = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(back.chartTab, 5);
    ASSERT_EQ(back.toolWindows.size(), 2u);
    EXPECT_EQ(back.toolWindows.at("crossoverEditor"), (WindowGeometry{1300, 40, 600, 700}));
    EXPECT_EQ(back.toolWindows.at("optimizerWindow"), (WindowGeometry{0, 0, 900, 650}));
}

TEST_F(Settings, HostileWindowEntriesAreBoundedOrSkipped) {
    std::string ini = "#Window\nTab=\t999\n#Fenster\nbad..wl=\t5\n.wl=\t5\nweird/name.wl=\t5\n"
                      "x.wl=\t-7\nx.wt=\t70000\nx.ww=\tzehn\n";
    for (int k = 0; k < 100; ++k) {
        ini += "w" + std::to_string(k) + ".wl=\t" + std::to_string(k) + "\n";
    }
    writeIni(ini);
    ScriptedPrompt prompt;
    const ProgramSettings s = readSettings(derived.settingsFile, derived, prompt);
    EXPECT_EQ(s.chartTab, 0);
    EXPECT_EQ(s.toolWindows.size(), kMaxToolWindows);
    EXPECT_EQ(s.toolWindows.count("bad."), 0u);
    EXPECT_EQ(s.toolWindows.count("weird/name"), 0u);
    EXPECT_EQ(s.toolWindows.at("x").left, -1);
    EXPECT_EQ(s.toolWindows.at("x").top, -1);
    EXPECT_LE(s.toolWindows.at("x").width, 0); // not a number: read as nothing usable
    EXPECT_EQ(s.toolWindows.at("x").height, -1);
    EXPECT_EQ(s.toolWindows.at("w3").left, 3);
    EXPECT_EQ(s.toolWindows.at("w3").width, -1);
}

TEST_F(Settings, WriteErrorIsReported) {
    FolderPaths nowhere = derived;
    nowhere.settingsFile = (dir / "missing" / "Sonora.ini").string();
    ScriptedPrompt prompt;
    EXPECT_FALSE(writeSettings(ProgramSettings{}, nowhere, prompt));
    ASSERT_FALSE(prompt.messages.empty());
    EXPECT_EQ(prompt.messages.back(), "Zugriffsfehler bei " + nowhere.settingsFile);
}

TEST_F(Settings, FoldersDialogForgetsTypedFoldersWhilePresetsAreOff) {
    ScriptedPrompt prompt;
    ProgramEnvironment env = startUp(base, prompt);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(env.folders, derived); // the program folder is writable
    env.settings.history.AddFile("/p/x.LSP");

    FolderPresets typed = env.settings.presets;
    typed.drivers = "/eigene/Chassis";
    closeFoldersDialog(env, base, true, typed, prompt);
    EXPECT_TRUE(env.settings.usePresets);
    EXPECT_EQ(env.folders.drivers, "/eigene/Chassis/");
    EXPECT_EQ(env.folders.projects, derived.projects);
    EXPECT_EQ(env.settings.history.filenames[0], "/p/x.LSP"); // written and read again

    typed.drivers = "/anders/Chassis/";
    closeFoldersDialog(env, base, false, typed, prompt);
    EXPECT_FALSE(env.settings.usePresets);
    EXPECT_EQ(env.folders, derived);
    EXPECT_EQ(env.settings.presets, presetsOf(derived));
    EXPECT_EQ(iniText().find("/anders/"), std::string::npos);
    EXPECT_TRUE(prompt.messages.empty());
}

} // namespace
} // namespace sonora
