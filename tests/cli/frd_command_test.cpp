// sonora-cli frd on the bundled three-way: the files it lists are the files in the folder, the
// box and amplifier curves agree with the results export of the same project, and wrong use,
// a failing project and a folder that cannot be made exit as documented, leaving nothing behind.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::number;
using sonora::cli_test::quoted;
using sonora::cli_test::readAll;
using sonora::cli_test::runCli;
using sonora::cli_test::split;

const fs::path kProjects = sonora::cli_test::kExampleProjects;
const fs::path kThreeWay = kProjects / "Dreiwege Bassreflex.LSP";

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The data rows of an FRD or ZMA file: frequency, value, phase.
std::vector<std::vector<double>> rows(const fs::path& p) {
    std::vector<std::vector<double>> out;
    for (const std::string& line : split(readAll(p), '\n')) {
        if (line.empty() || line[0] == '*') {
            continue;
        }
        const std::vector<std::string> f = split(line, '\t');
        EXPECT_EQ(f.size(), 3u) << line;
        if (f.size() == 3) {
            out.push_back({std::stod(f[0]), std::stod(f[1]), std::stod(f[2])});
        }
    }
    return out;
}

double angleDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}

class CliFrd : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("sonora_frd_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(CliFrd, WritesTheListedFilesAndTheyAgreeWithTheResultsExport) {
    const fs::path out = dir / "kurven"; // made by the command
    const CliRun r =
        runCli("frd " + quoted(kThreeWay) + " " + quoted(out) + " --winkel \"H30, V-10\"");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::vector<std::string> lines = split(r.out, '\n');
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              std::to_string(lines.size() - 1) + " Dateien geschrieben in " + out.string() + ":");
    std::vector<std::string> listed;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        ASSERT_EQ(lines[k].rfind("  ", 0), 0u) << lines[k];
        listed.push_back(lines[k].substr(2));
    }
    // Box on axis, listening window, the two angles, three drivers, one amplifier.
    ASSERT_EQ(listed.size(), 8u) << r.out;
    EXPECT_EQ(std::vector<std::string>(listed.begin(), listed.begin() + 4),
              (std::vector<std::string>{"Box_0Grad.frd", "Box_Hoerfenster.frd", "Box_H30Grad.frd",
                                        "Box_V-10Grad.frd"}));
    for (int d = 0; d < 3; ++d) {
        EXPECT_EQ(listed[4 + d].rfind("Chassis_" + std::to_string(d + 1) + "_", 0), 0u);
    }
    EXPECT_EQ(listed[7], "Verstaerker_1.zma");
    std::vector<std::string> sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(filesIn(out), sorted);
    EXPECT_NE(readAll(out / "Box_0Grad.frd").find("* Projekt: Dreiwege Bassreflex\r\n"),
              std::string::npos);

    // The results export of the same project: box on axis and the amplifier's impedance.
    const fs::path exp = dir / "box.exp";
    const CliRun e = runCli("calc " + quoted(kThreeWay) + " --export " + quoted(exp) +
                            " --sections box,amp-impedance --quiet");
    ASSERT_EQ(e.exitCode, 0) << e.out;
    const std::vector<std::string> table = split(readAll(exp), '\n');
    const std::vector<std::vector<double>> box = rows(out / "Box_0Grad.frd");
    const std::vector<std::vector<double>> zma = rows(out / "Verstaerker_1.zma");
    ASSERT_GT(box.size(), 100u);
    ASSERT_EQ(table.size(), box.size() + 6); // two comments, four header lines
    ASSERT_EQ(zma.size(), box.size());
    for (std::size_t i = 0; i < box.size(); ++i) {
        const std::vector<std::string> f = split(table[6 + i], '\t');
        ASSERT_EQ(f.size(), 5u) << table[6 + i];
        // The export writes numbers of six characters: "-123,4" is a phase to 0.05°, "25,978"
        // an impedance to 2e-5 of itself.
        EXPECT_NEAR(box[i][0], number(f[0]), 1e-4 * box[i][0]) << i;
        EXPECT_NEAR(box[i][1], number(f[1]), 0.01) << i;
        EXPECT_NEAR(angleDifference(box[i][2], number(f[2])), 0, 0.06) << i;
        EXPECT_NEAR(zma[i][1], number(f[3]), 5e-5 * zma[i][1]) << i;
        EXPECT_NEAR(angleDifference(zma[i][2], number(f[4])), 0, 0.06) << i;
    }
}

TEST_F(CliFrd, WithoutWinkelTheDefaultAnglesAreWritten) {
    const CliRun r = runCli("frd " + quoted(kThreeWay) + " " + quoted(dir));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    // 2 box curves, 16 angles, 3 drivers, 1 amplifier.
    EXPECT_EQ(filesIn(dir).size(), 22u) << r.out;
    EXPECT_TRUE(fs::exists(dir / "Box_H-90Grad.frd"));
    EXPECT_TRUE(fs::exists(dir / "Box_V30Grad.frd"));

    // An empty list writes no angle.
    const fs::path none = dir / "ohne";
    const CliRun n = runCli("frd " + quoted(kThreeWay) + " " + quoted(none) + " --winkel \"\"");
    ASSERT_EQ(n.exitCode, 0) << n.out;
    EXPECT_EQ(filesIn(none).size(), 6u) << n.out;
}

TEST_F(CliFrd, WrongUseFailingProjectsAndBadFoldersExitAsDocumented) {
    const std::string project = quoted(kThreeWay);
    for (const std::string& args :
         {std::string("frd"), "frd " + project, "frd " + project + " " + quoted(dir) + " --winkel",
          "frd " + project + " " + quoted(dir) + " --polar",
          "frd " + project + " " + quoted(dir) + " drei"}) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
        EXPECT_NE(r.out.find("Aufruf: sonora-cli"), std::string::npos) << args;
    }
    const CliRun angle = runCli("frd " + project + " " + quoted(dir) + " --winkel H30,Q5");
    EXPECT_EQ(angle.exitCode, 2) << angle.out;
    EXPECT_NE(angle.out.find("Ungültiger Winkel \"Q5\""), std::string::npos) << angle.out;

    const CliRun missing = runCli("frd " + quoted(kProjects / "fehlt.LSP") + " " + quoted(dir));
    EXPECT_EQ(missing.exitCode, 2) << missing.out;

    const fs::path deep = dir / "gibt" / "es_nicht";
    const CliRun folder = runCli("frd " + project + " " + quoted(deep));
    EXPECT_EQ(folder.exitCode, 2) << folder.out;
    EXPECT_NE(folder.out.find("Der Ordner " + deep.string() + " kann nicht angelegt werden"),
              std::string::npos)
        << folder.out;

    // The two-way with the woofer's resonance frequency made impossible: the calculation fails.
    std::string text = readAll(kProjects / "Text" / "Zweiwege geschlossen.LSP");
    const std::string key = "\r\nfs=\t38\r\n";
    const std::size_t at = text.find(key);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, key.size(), "\r\nfs=\t-38\r\n");
    const fs::path broken = dir / "broken.LSP";
    std::ofstream(broken, std::ios::binary) << text;
    const fs::path target = dir / "ziel";
    const CliRun failed = runCli("frd " + quoted(broken) + " " + quoted(target));
    EXPECT_EQ(failed.exitCode, 1) << failed.out;
    EXPECT_NE(failed.out.find("Berechnung fehlerhaft."), std::string::npos) << failed.out;

    // None of these left a file behind: the folder holds only the broken project.
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"broken.LSP"});
}

} // namespace
