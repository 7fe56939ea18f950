// sonora-cli richtwirkung on the bundled examples and with wrong options.
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::runCli;

const fs::path kProjects = sonora::cli_test::kExampleProjects;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        out.push_back(l);
    }
    return out;
}

// The columns of a table row, numbers with a decimal comma.
std::vector<double> columns(std::string row) {
    std::vector<double> out;
    for (char& ch : row) {
        ch = ch == ',' ? '.' : ch == '\t' ? ' ' : ch;
    }
    std::istringstream in(row);
    for (double v; in >> v;) {
        out.push_back(v);
    }
    return out;
}

double headerFrequency(const std::string& header) {
    EXPECT_EQ(header.rfind("Frequenz: ", 0), 0u) << header;
    EXPECT_EQ(header.substr(header.size() - 3), " Hz");
    return columns(header.substr(10, header.size() - 13)).at(0);
}

TEST(CliDirectivity, BothPlanesMeetOnTheAxisAndStraightBack) {
    for (const char* name : {"Zweiwege geschlossen.LSP", "Dreiwege Bassreflex.LSP"}) {
        const CliRun r = runCli("richtwirkung " + quoted(kProjects / name));
        ASSERT_EQ(r.exitCode, 0) << r.out;
        const auto rows = lines(r.out);
        ASSERT_EQ(rows.size(), 362u) << name;
        EXPECT_NEAR(headerFrequency(rows[0]), 1000, 1000 * 0.03) << name; // grid spacing < 3 %
        for (int a = 0; a <= 360; ++a) {
            const std::vector<double> c = columns(rows[a + 1]);
            ASSERT_EQ(c.size(), 3u) << rows[a + 1];
            EXPECT_EQ(c[0], a - 180);
            EXPECT_GT(c[1], 0);
            EXPECT_LT(c[1], 140);
        }
        // Axis and straight back are the same direction in both planes.
        for (int a : {0, 180, 360}) {
            const std::vector<double> c = columns(rows[a + 1]);
            EXPECT_NEAR(c[1], c[2], 1e-6) << name << " " << a;
        }
        // Off axis the level drops at 1 kHz for a box of this size.
        EXPECT_LT(columns(rows[1 + 180 + 90])[1], columns(rows[1 + 180])[1]);
    }
}

TEST(CliDirectivity, FrequencyChoiceAndVerticalMapColumn) {
    const fs::path project = kProjects / "Text" / "Dreiwege Bassreflex.LSP";
    const CliRun r = runCli("richtwirkung " + quoted(project) + " --frequenz 2,5e3 --vertikal");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 362u);
    EXPECT_NEAR(headerFrequency(rows[0]), 2500, 2500 * 0.03);
    const double axisVertical = columns(rows[181])[2];
    for (int a = 0; a <= 360; ++a) {
        const std::vector<double> c = columns(rows[a + 1]);
        ASSERT_EQ(c.size(), 4u);
        // The map value is the vertical level relative to the vertical 0° level.
        EXPECT_NEAR(c[3], c[2] - axisVertical, 1e-4) << a;
    }
    EXPECT_EQ(columns(rows[181])[3], 0);
}

TEST(CliDirectivity, WrongUseExitsWithTwo) {
    const std::string project = quoted(kProjects / "Zweiwege geschlossen.LSP");
    for (const std::string& args :
         {std::string("richtwirkung"), "richtwirkung " + project + " --frequenz",
          "richtwirkung " + project + " --frequenz 0", "richtwirkung " + project + " --frequenz x",
          "richtwirkung " + project + " --frequenz 1k", "richtwirkung " + project + " --polar"}) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
        EXPECT_NE(r.out.find("Aufruf: sonora-cli"), std::string::npos) << args;
    }
    const CliRun missing = runCli("richtwirkung " + quoted(kProjects / "fehlt.LSP"));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.out.find("keine gültige Projektdatei"), std::string::npos) << missing.out;
}

} // namespace
