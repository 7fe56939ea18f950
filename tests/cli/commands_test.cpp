// sonora-cli calc, info and convert on the bundled examples and on damaged files.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "model/user_prompt.h"
#include "storage/project_file.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/first_example_designs.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::readAll;
using sonora::cli_test::runCli;

const fs::path kExamples = SONORA_EXAMPLES_DIR;
const fs::path kTwoWay = kExamples / "Projekte" / "Zweiwege geschlossen.LSP";

class CliCommands : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_cli_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(CliCommands, CalcOfEveryExampleIsValid) {
    for (const char* name :
         {"Zweiwege geschlossen.LSP", "Dreiwege Bassreflex.LSP", "Subwoofer Bandpass.LSP",
          "Zweiwege aktiv.LSP", "Zweiwege gemessen.LSP"}) {
        for (const fs::path& p :
             {kExamples / "Projekte" / name, kExamples / "Projekte" / "Text" / name}) {
            const CliRun r = runCli("calc " + quoted(p));
            EXPECT_EQ(r.exitCode, 0) << p << "\n" << r.out;
            EXPECT_EQ(r.out, "Berechnung war erfolgreich.\n") << p;
        }
    }
}

TEST_F(CliCommands, CalcExportsTheChosenSections) {
    const fs::path out = dir / "z.exp";
    const CliRun r = runCli("calc " + quoted(kTwoWay) + " --export " + quoted(out) +
                            " --sections box,ch-impedance --quiet");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "");
    const std::string text = readAll(out);
    EXPECT_EQ(text.rfind("// Export from Sonora ", 0), 0u);
    EXPECT_NE(text.find("frequency response box"), std::string::npos);
    EXPECT_EQ(text.find("frequency response horizontal"), std::string::npos);
    // No number is ever written as inf or nan.
    EXPECT_EQ(text.find("inf"), std::string::npos);
    EXPECT_EQ(text.find("nan"), std::string::npos);

    const CliRun bad = runCli("calc " + quoted(kTwoWay) + " --export " + quoted(out) +
                              " --sections box,frobnicate");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.out.find("frobnicate"), std::string::npos);
}

// The first rows of the first two-way design's export against a reference kept in tests/cli/data.
// How the reference was checked by hand: the frequencies are the grid 20 Hz · 1000^(i/249)
// (20, 20,563, 21,141); the woofer's impedance at 20 Hz, 6,6942 Ohm at 25,287°, and the
// network give the amplifier's load by hand: coil 0,3 + j0,0905 Ohm in series with the woofer
// parallel to 5,6 µF (-j1421 Ohm), all parallel to the tweeter branch (about -j1061 Ohm):
// 6,412 + j2,900 Ohm = 7,037 Ohm at 24,33°, as in the last two columns. The tweeter's 4,7019 Ohm
// at 1,22° is its 4,7 Ohm voice coil far below resonance. The 30° columns of a driver pair
// centred on the baffle are mirror images around 0° (the box is left-right symmetric).
TEST_F(CliCommands, ExportOfTheTwoWayMatchesItsReference) {
    // The reference was taken from the first design of the two-way example, kept as a fixture.
    const fs::path project = dir / "first.LSP";
    {
        auto p = std::make_unique<sonora::TProjekt>();
        sonora::test::buildFirstTwoWayDesign(*p);
        sonora::ScriptedPrompt prompt;
        ASSERT_TRUE(sonora::writeProjectFile(*p, project.string(), true, prompt));
    }
    const fs::path out = dir / "z.exp";
    const CliRun r = runCli("calc " + quoted(project) + " --export " + quoted(out) +
                            " --sections box,box-h30,ch-impedance,amp-impedance --quiet");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::istringstream got(readAll(out));
    std::istringstream want(readAll(fs::path(SONORA_TEST_DATA_DIR) / "zweiwege_export_head.exp"));
    std::string g, w;
    int lines = 0;
    while (std::getline(want, w)) {
        ASSERT_TRUE(std::getline(got, g));
        EXPECT_EQ(g, w) << "line " << lines + 1;
        ++lines;
    }
    EXPECT_EQ(lines, 9);
    // Columns per section from the title line: the frequency, then 2 for the box on axis, 24 for
    // the twelve 30° directions, 2 per driver impedance and 2 for the amplifier.
    std::istringstream titles(readAll(out));
    std::string line;
    for (int i = 0; i < 3; ++i) {
        std::getline(titles, line);
    }
    line.erase(line.find_last_not_of('\r') + 1); // lines end with CR LF
    std::vector<std::size_t> starts;
    std::size_t column = 0;
    for (std::size_t at = 0; at <= line.size(); ++at) {
        if (at == line.size() || line[at] == '\t') {
            ++column;
        } else if (at == 0 || line[at - 1] == '\t') {
            starts.push_back(column);
        }
    }
    EXPECT_EQ(starts, (std::vector<std::size_t>{1, 3, 27, 29, 31}));
    // Every data line has the same number of fields: 1 + 2 + 24 + 2 + 2 + 2.
    int rows = 0;
    for (int i = 0; i < 3; ++i) {
        std::getline(titles, line);
    }
    while (std::getline(titles, line)) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 32) << line;
        ++rows;
    }
    EXPECT_EQ(rows, 250);
}

TEST_F(CliCommands, CalcRejectsFilesThatAreNoProjects) {
    const fs::path junk = dir / "junk.LSP";
    std::ofstream(junk) << "Das ist keine Projektdatei.";
    CliRun r = runCli("calc " + quoted(junk));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("ist keine gültige Projektdatei dieser Version von Sonora."),
              std::string::npos)
        << r.out;
    r = runCli("calc " + quoted(dir / "missing.LSP"));
    EXPECT_EQ(r.exitCode, 2);
    r = runCli("calc");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("Aufruf:"), std::string::npos);
    // A project of a version this program does not read.
    const fs::path future = dir / "future.LSP";
    std::ofstream(future, std::ios::binary) << "## MyIniFile 1.0 by KT 2004 ##\r\n"
                                               "#Header\r\nVersion=\t3000\r\n"
                                               "#General\r\nnAmps=\t1\r\n";
    r = runCli("calc " + quoted(future));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("Datei hat falsches Datenformat."), std::string::npos) << r.out;
}

TEST_F(CliCommands, DamagedFilesAreRefusedByCalcInfoAndConvertWithExit2) {
    // A compressed project cut after 1000 bytes, one with garbage after its marker, a scrambled
    // line project whose last line is cut, and a compressed driver cut in half.
    std::string twoWay = readAll(kTwoWay);
    ASSERT_GT(twoWay.size(), 1000u);
    const fs::path cut = dir / "cut.LSP";
    std::ofstream(cut, std::ios::binary) << twoWay.substr(0, 1000);
    const fs::path garbage = dir / "garbage.LSP";
    {
        std::ofstream out(garbage, std::ios::binary);
        out << "MyIni2CK";
        for (int i = 0; i < 3000; ++i) {
            out << static_cast<char>((i * 7919 + 13) % 251);
        }
    }
    // The scrambled form: each line as two length bytes and its bytes, byte i combined with the
    // low 8 bits of i * 109; the last line is cut by one byte.
    std::string scrambled;
    const auto line = [&scrambled](const std::string& text) {
        scrambled += static_cast<char>(text.size() / 100);
        scrambled += static_cast<char>(text.size() % 100);
        for (std::size_t i = 0; i < text.size(); ++i) {
            scrambled += static_cast<char>(text[i] ^ static_cast<char>((i * 109) & 0xFF));
        }
    };
    line("## MyIniFile 1.0 by KT 2004 ##");
    line("#Header");
    line("Version=\t2000");
    line("#General");
    line("nAmps=\t2");
    line("nChassis=\t2");
    const fs::path half = dir / "half.LSP";
    std::ofstream(half, std::ios::binary) << scrambled.substr(0, scrambled.size() - 1);
    std::ofstream(dir / "whole.LSP", std::ios::binary) << scrambled;
    const std::string driver = readAll(kExamples / "Chassis" / "Beispiel TT 20.LSC");
    const fs::path cutDriver = dir / "cut.LSC";
    std::ofstream(cutDriver, std::ios::binary) << driver.substr(0, driver.size() / 2);

    // The whole scrambled file is a project of two drivers.
    CliRun r = runCli("info " + quoted(dir / "whole.LSP"));
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Chassis:  2"), std::string::npos) << r.out;

    for (const fs::path& file : {cut, garbage, half, cutDriver}) {
        SCOPED_TRACE(file.string());
        const std::string wrong = file.string() + " hat falsches Format.";
        for (const std::string& command :
             {"calc " + quoted(file), "info " + quoted(file),
              "convert " + quoted(file) + " " + quoted(dir / "out.LSP")}) {
            if (file == cutDriver && command.starts_with("calc")) {
                continue; // a driver is no project for calc either way
            }
            r = runCli(command);
            EXPECT_EQ(r.exitCode, 2) << command << "\n" << r.out;
            EXPECT_NE(r.out.find(wrong), std::string::npos) << command << "\n" << r.out;
        }
        EXPECT_FALSE(fs::exists(dir / "out.LSP"));
    }
}

TEST_F(CliCommands, CalcOfAFailingProjectListsTheStageAndExitsWith1) {
    // The two-way in plain text with the woofer's resonance frequency made impossible.
    std::string text = readAll(kExamples / "Projekte" / "Text" / "Zweiwege geschlossen.LSP");
    const std::string key = "\r\nfs=\t38\r\n";
    const std::size_t at = text.find(key);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, key.size(), "\r\nfs=\t-38\r\n");
    const fs::path broken = dir / "broken.LSP";
    std::ofstream(broken, std::ios::binary) << text;
    const CliRun r = runCli("calc " + quoted(broken));
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Fehler: Chassis 1: "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - std::string("Berechnung fehlerhaft.\n").size()),
              "Berechnung fehlerhaft.\n");
}

TEST_F(CliCommands, InfoNamesFormVersionAndDrivers) {
    CliRun r = runCli("info " + quoted(kExamples / "Projekte" / "Dreiwege Bassreflex.LSP"));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Form:     komprimiert"), std::string::npos);
    EXPECT_NE(r.out.find("Version:  2000"), std::string::npos);
    EXPECT_NE(r.out.find("Chassis:  3"), std::string::npos);
    EXPECT_NE(r.out.find("Chassis 3: Beispiel HT 25"), std::string::npos);
    r = runCli("info " + quoted(kExamples / "Chassis" / "Text" / "Beispiel TT 20.LSC"));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Form:     Text"), std::string::npos);
    EXPECT_NE(r.out.find("Name:     Beispiel TT 20"), std::string::npos);
    EXPECT_EQ(runCli("info " + quoted(dir / "none.LSC")).exitCode, 2);
}

TEST_F(CliCommands, ConvertRoundTripIsLossless) {
    const fs::path plain = dir / "a.LSP", packed = dir / "b.LSP", again = dir / "c.LSP";
    ASSERT_EQ(runCli("convert " + quoted(kTwoWay) + " " + quoted(plain) + " --plain").exitCode, 0);
    ASSERT_EQ(runCli("convert " + quoted(plain) + " " + quoted(packed)).exitCode, 0);
    ASSERT_EQ(runCli("convert " + quoted(packed) + " " + quoted(again) + " --plain").exitCode, 0);
    EXPECT_EQ(readAll(plain), readAll(again));
    EXPECT_EQ(readAll(plain),
              readAll(kExamples / "Projekte" / "Text" / "Zweiwege geschlossen.LSP"));
    EXPECT_EQ(readAll(packed), readAll(kTwoWay)); // our compressor is deterministic
    EXPECT_EQ(runCli("convert " + quoted(plain)).exitCode, 2);
}

TEST_F(CliCommands, ExamplesAreWhatTheGeneratorWrites) {
    const std::string cmd = std::string(SONORA_BIN_DIR) + "/sonora-make-examples " + quoted(dir);
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const fs::path rel = fs::relative(entry.path(), dir);
        EXPECT_EQ(readAll(entry.path()), readAll(kExamples / rel))
            << rel << " differs: run build/bin/sonora-make-examples examples";
        ++compared;
    }
    EXPECT_EQ(compared, 21); // 5 drivers and 5 projects in two forms, one part library
}

TEST_F(CliCommands, CalculatorPagesPrintTheirResultLines) {
    // The closed box of the worked example: Qts 0,4, Vas 80 l, fs 35 Hz, Qtc 0,7.
    CliRun r = runCli("rechner geschlossen --qts 0,4 --vas 80 --fs 35 --qtc 0.7");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "Berechnetes Volumen: 38,788 Liter\n"
                     "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz\n");
    // First order at 1 kHz into 8 Ohm: L = R/omega = 1.2732 mH, C = 1/(R omega) = 19.894 uF.
    r = runCli("rechner weiche --fc 1000 --rl 8 --rh 8");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("L = 1,273 mH"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("C = 19,89 µF"), std::string::npos) << r.out;
    r = runCli("rechner impedanzkorrektur --rdc 6,8 --le 0,8");
    EXPECT_NE(r.out.find("C = 17,3 µF"), std::string::npos) << r.out; // Le / Rdc^2
    for (const char* bad : {"rechner", "rechner kuehlschrank", "rechner geschlossen --frob 1",
                            "rechner weiche --fc", "rechner geschlossen --fs abc",
                            "rechner weiche --fc abc", "rechner kanal --tubes zwei"}) {
        EXPECT_EQ(runCli(bad).exitCode, 2) << bad;
    }
    EXPECT_NE(runCli("rechner geschlossen --frob 1").out.find("--qtc"), std::string::npos);
}

} // namespace
