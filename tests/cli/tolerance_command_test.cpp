// sonora-cli toleranz on a bundled example: the nominal columns of its table are the spinorama's
// curves, zero tolerance leaves no width, one and two threads print and write the same, and wrong
// use exits 2.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "storage/latin1.h"
#include "tests/cli/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::readAll;
using sonora::cli_test::runCli;
using sonora::cli_test::split;

const fs::path kProjects = sonora::cli_test::kExampleProjects;
const fs::path kTwoWay = kProjects / "Zweiwege geschlossen.LSP";

struct TempFolder {
    fs::path path;
    TempFolder() {
        path = fs::temp_directory_path() / ("sonora_tol_" + std::to_string(::getpid()));
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

int column(const std::vector<std::string>& header, const std::string& utf8Caption) {
    for (std::size_t k = 0; k < header.size(); ++k) {
        if (sonora::latin1ToUtf8(header[k]) == utf8Caption) {
            return static_cast<int>(k);
        }
    }
    ADD_FAILURE() << "no column " << utf8Caption;
    return 0;
}

TEST(CliTolerance, NominalIsTheSpinoramaAndThreadsDoNotChangeTheNumbers) {
    TempFolder tmp;
    const fs::path one = tmp.path / "eins.csv", two = tmp.path / "zwei.csv";
    const fs::path spin = tmp.path / "spin.csv";
    const std::string common = "toleranz " + quoted(kTwoWay) + " --versuche 8 --seed 5 --spulen 3";
    const CliRun r1 = runCli(common + " --threads 1 --csv " + quoted(one));
    const CliRun r2 = runCli(common + " --threads 2 --csv " + quoted(two));
    ASSERT_EQ(r1.exitCode, 0) << r1.out;
    ASSERT_EQ(r2.exitCode, 0) << r2.out;
    EXPECT_EQ(r1.out, r2.out);
    EXPECT_EQ(readAll(one), readAll(two));
    EXPECT_NE(r1.out.find("Toleranzanalyse: 8 Versuche, Seed 5"), std::string::npos) << r1.out;
    EXPECT_NE(r1.out.find("Trennung Chassis 1/2"), std::string::npos) << r1.out;
    EXPECT_NE(r1.out.find("Empfindlichkeit"), std::string::npos) << r1.out;

    ASSERT_EQ(runCli("spinorama " + quoted(kTwoWay) + " --csv " + quoted(spin)).exitCode, 0);
    const std::vector<std::string> rows = split(readAll(one), '\n');
    const std::vector<std::string> spinRows = split(readAll(spin), '\n');
    ASSERT_EQ(rows.size(), spinRows.size());
    const std::vector<std::string> header = split(rows[0], ';');
    const int axis = column(header, "Achse [dB] nominal");
    const int axis05 = column(header, "Achse [dB] 5 %");
    const int axis95 = column(header, "Achse [dB] 95 %");
    const int window = column(header, "Hörfenster [dB] nominal");
    column(header, "Impedanz Verstärker 1 [Ohm] max");
    column(header, "Phasendifferenz Chassis 1/2 [Grad] 50 %");
    bool opened = false;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> f = split(rows[i], ';');
        const std::vector<std::string> s = split(spinRows[i], ';');
        ASSERT_EQ(f.size(), header.size()) << i;
        EXPECT_EQ(f[0], s[0]);                                // frequency
        EXPECT_EQ(f[static_cast<std::size_t>(axis)], s[1]);   // on axis
        EXPECT_EQ(f[static_cast<std::size_t>(window)], s[2]); // listening window
        opened =
            opened || f[static_cast<std::size_t>(axis05)] != f[static_cast<std::size_t>(axis95)];
    }
    EXPECT_TRUE(opened);
}

TEST(CliTolerance, ZeroToleranceHasNoWidth) {
    TempFolder tmp;
    const fs::path csv = tmp.path / "null.csv";
    const CliRun r = runCli("toleranz " + quoted(kTwoWay) +
                            " --versuche 3 --widerstaende 0 --kondensatoren 0 --spulen 0 --fs 0"
                            " --qts 0 --vas 0 --pegel 0 --verteilung gleich --csv " +
                            quoted(csv));
    ASSERT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Gestreut: 0 Weichenwerte, 0 Chassiswerte"), std::string::npos) << r.out;
    const std::vector<std::string> rows = split(readAll(csv), '\n');
    const std::vector<std::string> header = split(rows[0], ';');
    ASSERT_EQ((header.size() - 1) % 6, 0u); // bands of six columns, no sensitivity
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string> f = split(rows[i], ';');
        for (std::size_t k = 1; k + 5 < f.size(); k += 6) {
            for (std::size_t j = 1; j < 6; ++j) {
                ASSERT_EQ(f[k + j], f[k]) << sonora::latin1ToUtf8(header[k + j]) << " row " << i;
            }
        }
    }
}

TEST(CliTolerance, WrongUseExitsTwo) {
    const std::string p = quoted(kTwoWay);
    for (const std::string& args :
         {std::string("toleranz"), "toleranz " + p + " --versuche 0",
          "toleranz " + p + " --versuche 2,5", "toleranz " + p + " --kondensatoren -1",
          "toleranz " + p + " --verteilung dreieck", "toleranz " + p + " --threads 99",
          "toleranz " + p + " --seed", "toleranz " + p + " --unbekannt 3",
          std::string("toleranz /nicht/da.LSP")}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(runCli(args).exitCode, 2);
    }
}

} // namespace
