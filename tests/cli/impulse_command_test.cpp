// sonora-cli impuls on the bundled two-way: the printed table transformed back to frequency gives
// the box response that sonora-cli frd writes; the stated settings; wrong use exits 2.
#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <numbers>
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

const fs::path kTwoWay = sonora::cli_test::kExampleProjects / "Zweiwege geschlossen.LSP";

class CliImpulse : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("sonora_impuls_cli_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_F(CliImpulse, TheTableTransformedBackIsTheBoxResponse) {
    const fs::path csv = dir / "impuls.csv";
    const CliRun r = runCli("impuls " + quoted(kTwoWay) + " --laenge 16384 --csv " + quoted(csv));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::vector<std::string> out = split(r.out, '\n');
    ASSERT_GE(out.size(), 6u) << r.out;
    EXPECT_EQ(out[0], "Kurve: Box auf Achse");
    EXPECT_EQ(out[1], "Abtastrate: 48000 Hz");
    EXPECT_EQ(out[2], "Länge: 16384 Samples (0,34133333 s), t = 0 bei Sample 48");
    EXPECT_EQ(out[4].rfind("Über ", 0), 0u) << out[4];
    EXPECT_NE(out[4].find("halbes Hann-Fenster bis 24000 Hz"), std::string::npos) << out[4];

    const std::vector<std::string> rows = split(readAll(csv), '\n');
    ASSERT_EQ(rows.size(), 16385u);
    EXPECT_EQ(rows[0], "t [ms];Impulsantwort;Sprungantwort");
    std::vector<double> t, h;
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const std::vector<std::string> f = split(rows[k], ';');
        ASSERT_EQ(f.size(), 3u) << rows[k];
        t.push_back(number(f[0]) / 1000);
        h.push_back(number(f[1]));
    }
    EXPECT_NEAR(t[48], 0.0, 1e-12);
    EXPECT_NEAR(t[1] - t[0], 1 / 48000.0, 1e-9);

    // The same project's box on axis, as the FRD file states it.
    const fs::path folder = dir / "kurven";
    const CliRun frd = runCli("frd " + quoted(kTwoWay) + " " + quoted(folder) + " --winkel \"\"");
    ASSERT_EQ(frd.exitCode, 0) << frd.out;
    int checked = 0;
    for (const std::string& line : split(readAll(folder / "Box_0Grad.frd"), '\n')) {
        if (line.empty() || line[0] == '*') {
            continue;
        }
        const std::vector<std::string> f = split(line, '\t');
        const double freq = std::stod(f[0]);
        // In the band the grid covers well, away from its ends and from the fade above it.
        if (freq < 50 || freq > 15000) {
            continue;
        }
        std::complex<double> sum;
        for (std::size_t m = 0; m < h.size(); ++m) {
            sum += h[m] * std::polar(1.0, -2 * std::numbers::pi * freq * t[m]);
        }
        const double level = 20 * std::log10(std::abs(sum)) + 112;
        const double phase = std::arg(sum) * 180 / std::numbers::pi;
        EXPECT_NEAR(level, std::stod(f[1]), 0.1) << freq;
        EXPECT_NEAR(std::remainder(phase - std::stod(f[2]), 360.0), 0, 1.0) << freq;
        ++checked;
    }
    EXPECT_GT(checked, 100);
}

TEST_F(CliImpulse, ADriverAndWrongUse) {
    const CliRun driver = runCli("impuls " + quoted(kTwoWay) + " --chassis 2 --laenge 4096");
    ASSERT_EQ(driver.exitCode, 0) << driver.out;
    EXPECT_EQ(driver.out.rfind("Kurve: Chassis 2 ", 0), 0u) << driver.out;

    const std::string project = quoted(kTwoWay);
    for (const std::string& args :
         {std::string("impuls"), "impuls " + project + " --chassis 0",
          "impuls " + project + " --chassis 1,5", "impuls " + project + " --laenge",
          "impuls " + project + " --abtastrate viel", "impuls " + project + " --polar"}) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
        EXPECT_NE(r.out.find("Aufruf: sonora-cli"), std::string::npos) << args;
    }
    const CliRun slow = runCli("impuls " + project + " --abtastrate 8000");
    EXPECT_EQ(slow.exitCode, 2) << slow.out;
    EXPECT_NE(slow.out.find("Die Abtastrate ist zu klein"), std::string::npos) << slow.out;
    const CliRun odd = runCli("impuls " + project + " --laenge 1001");
    EXPECT_EQ(odd.exitCode, 2) << odd.out;
    EXPECT_NE(odd.out.find("muss gerade sein"), std::string::npos) << odd.out;
    const CliRun none = runCli("impuls " + project + " --chassis 9");
    EXPECT_EQ(none.exitCode, 2) << none.out;
    EXPECT_NE(none.out.find("Chassis 9 gibt es nicht"), std::string::npos) << none.out;
}

} // namespace
