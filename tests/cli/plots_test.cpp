// sonora-cli calc --plots: the result charts as PNG files, drawn without a screen.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::readAll;
using sonora::cli_test::runCli;

const fs::path kProjects = sonora::cli_test::kExampleProjects;
const fs::path kTwoWay = kProjects / "Zweiwege geschlossen.LSP";
const fs::path kThreeWay = kProjects / "Dreiwege Bassreflex.LSP";

constexpr unsigned kPictureWidth = 1200; // pixels, as the command draws them
constexpr unsigned kPictureHeight = 800;
// A drawn chart with axes, grid, legend and curves compresses to tens of kilobytes; a blank
// picture of this size to well under one.
constexpr std::uintmax_t kSmallestChart = 8000;   // bytes
constexpr std::uintmax_t kLargestChart = 2000000; // bytes

const std::set<std::string> kExpectedFiles = {
    "Frequenzgang_Gesamtbox.png",
    "Phasengaenge.png",
    "Richtungen_vorne_und_verschiedene_Winkel_nach_oben.png",
    "Richtungen_vorne_und_verschiedene_Winkel_nach_unten.png",
    "Richtungen_vorne_und_verschiedene_Winkel_nach_links.png",
    "Richtungen_vorne_und_verschiedene_Winkel_nach_rechts.png",
    "Maximale_eff_Eingangsspannung.png",
    "Maximaler_Pegel.png",
    "Effektivspannung_an_den_Chassis.png",
    "Buendelungsmass.png",
    "Gruppenlaufzeit.png",
    "Spinorama.png",
    "Fruehe_Reflexionen.png",
    "Impulsantwort.png",
    "Sprungantwort.png",
    "Richtungs-Sonogramm_horizontal.png",
    "Richtungs-Sonogramm_vertikal.png",
    "Polarplots.png",
};

std::uint32_t bigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        v = (v << 8) | static_cast<unsigned char>(bytes[at + k]);
    }
    return v;
}

// PNG signature, then the IHDR chunk first with the picture's width and height.
::testing::AssertionResult isChartPng(const fs::path& p) {
    const std::string bytes = readAll(p);
    const std::string signature = "\x89PNG\r\n\x1a\n";
    constexpr std::size_t kIhdrEnd = 24; // signature 8, chunk length 4, "IHDR" 4, width, height
    if (bytes.size() < kIhdrEnd || bytes.compare(0, signature.size(), signature) != 0) {
        return ::testing::AssertionFailure() << p << " has no PNG signature";
    }
    if (bytes.compare(12, 4, "IHDR") != 0) {
        return ::testing::AssertionFailure() << p << " does not start with IHDR";
    }
    if (bigEndian32(bytes, 16) != kPictureWidth || bigEndian32(bytes, 20) != kPictureHeight) {
        return ::testing::AssertionFailure() << p << " is " << bigEndian32(bytes, 16) << " x "
                                             << bigEndian32(bytes, 20) << " pixels";
    }
    if (bytes.size() < kSmallestChart || bytes.size() > kLargestChart) {
        return ::testing::AssertionFailure() << p << " has an odd size of " << bytes.size();
    }
    if (bytes.compare(bytes.size() - 8, 4, "IEND") != 0) {
        return ::testing::AssertionFailure() << p << " is cut off";
    }
    return ::testing::AssertionSuccess();
}

std::set<std::string> filesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

class CliPlots : public ::testing::Test {
protected:
    void SetUp() override {
        // No screen at all: the command has to choose the offscreen platform itself.
        ::unsetenv("QT_QPA_PLATFORM");
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        dir = fs::temp_directory_path() /
              ("sonora_plots_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs calc --plots; skips the test when this sonora-cli was built without the Qt program.
    CliRun calcWithPlots(const fs::path& project, const fs::path& folder,
                         const std::string& more = "") {
        const CliRun r = runCli("calc " + quoted(project) + " --plots " + quoted(folder) + more);
        if (r.out.find("ohne die Qt-Diagramme gebaut") != std::string::npos) {
            skipped = true;
        }
        return r;
    }
    fs::path dir;
    bool skipped = false;
};

TEST_F(CliPlots, WritesEveryChartAsAPictureNamedAfterItsTitle) {
    const fs::path out = dir / "neu" / "Bilder"; // created by the command
    const CliRun r = calcWithPlots(kTwoWay, out);
    if (skipped) {
        GTEST_SKIP() << "sonora-cli built without the Qt program";
    }
    ASSERT_EQ(r.exitCode, 0) << r.out;
    ASSERT_TRUE(fs::is_directory(out));
    EXPECT_EQ(filesIn(out), kExpectedFiles);
    for (const std::string& name : kExpectedFiles) {
        EXPECT_TRUE(isChartPng(out / name));
        EXPECT_NE(r.out.find("Diagramm geschrieben: " + (out / name).string()), std::string::npos)
            << name;
    }
    EXPECT_NE(r.out.find("Berechnung war erfolgreich."), std::string::npos);
}

TEST_F(CliPlots, PicturesShowTheProjectsOwnResults) {
    const CliRun two = calcWithPlots(kTwoWay, dir / "zwei", " --quiet");
    if (skipped) {
        GTEST_SKIP() << "sonora-cli built without the Qt program";
    }
    const CliRun three = calcWithPlots(kThreeWay, dir / "drei", " --quiet");
    ASSERT_EQ(two.exitCode, 0) << two.out;
    ASSERT_EQ(three.exitCode, 0) << three.out;
    // --quiet writes nothing on success, standard error included.
    EXPECT_EQ(two.out, "");
    // The same project draws the same pictures; another project other ones.
    const CliRun again = calcWithPlots(kTwoWay, dir / "nochmal", " --quiet");
    ASSERT_EQ(again.exitCode, 0) << again.out;
    for (const char* name :
         {"Frequenzgang_Gesamtbox.png", "Effektivspannung_an_den_Chassis.png",
          "Gruppenlaufzeit.png", "Spinorama.png", "Fruehe_Reflexionen.png", "Impulsantwort.png",
          "Sprungantwort.png", "Richtungs-Sonogramm_vertikal.png", "Polarplots.png"}) {
        EXPECT_EQ(readAll(dir / "zwei" / name), readAll(dir / "nochmal" / name)) << name;
        EXPECT_NE(readAll(dir / "zwei" / name), readAll(dir / "drei" / name)) << name;
    }
}

TEST_F(CliPlots, RefusesAFolderThatCannotBeMade) {
    const fs::path blocker = dir / "datei";
    std::ofstream(blocker) << "kein Ordner";
    const CliRun r = calcWithPlots(kTwoWay, blocker / "unter");
    if (skipped) {
        GTEST_SKIP() << "sonora-cli built without the Qt program";
    }
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_NE(r.out.find("Kann das Verzeichnis"), std::string::npos) << r.out;
    EXPECT_EQ(readAll(blocker), "kein Ordner");
}

TEST_F(CliPlots, OptionNeedsAFolderAndIsInTheHelp) {
    const CliRun missing = runCli("calc " + quoted(kTwoWay) + " --plots");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.out.find("Unbekannte Option: --plots"), std::string::npos) << missing.out;
    const CliRun help = runCli("--help");
    EXPECT_NE(help.out.find("[--plots ORDNER]"), std::string::npos);
    EXPECT_NE(help.out.find("Frequenzgang_Gesamtbox.png"), std::string::npos);
    EXPECT_NE(help.out.find("Buendelungsmass.png"), std::string::npos);
    EXPECT_NE(help.out.find("Polarplots.png"), std::string::npos);
    for (const char* name :
         {"Spinorama.png", "Fruehe_Reflexionen.png", "Impulsantwort.png", "Sprungantwort.png"}) {
        EXPECT_NE(help.out.find(name), std::string::npos) << name;
    }
}

} // namespace
