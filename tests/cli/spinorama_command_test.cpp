// sonora-cli spinorama on the bundled examples: the printed rating is the model applied to the
// curves of the table it writes, the table agrees with the exported planes, and wrong use exits 2.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "analysis/preference_rating.h"
#include "storage/latin1.h"
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

struct TempFolder {
    fs::path path;
    TempFolder() {
        path = fs::temp_directory_path() / ("sonora_spin_" + std::to_string(::getpid()));
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

TEST(CliSpinorama, RatingIsTheModelOfItsOwnTableAndTheTableMatchesTheExport) {
    TempFolder tmp;
    for (const char* name : {"Zweiwege geschlossen.LSP", "Dreiwege Bassreflex.LSP"}) {
        SCOPED_TRACE(name);
        const fs::path csv = tmp.path / "spin.csv";
        const CliRun r = runCli("spinorama " + quoted(kProjects / name) + " --csv " + quoted(csv));
        ASSERT_EQ(r.exitCode, 0) << r.out;
        const std::vector<std::string> out = split(r.out, '\n');
        ASSERT_EQ(out.size(), 6u) << r.out;

        // The table: a header and one row of 13 fields per grid point.
        const std::vector<std::string> rows = split(readAll(csv), '\n');
        ASSERT_GT(rows.size(), 100u);
        EXPECT_EQ(sonora::latin1ToUtf8(rows[0]),
                  "f [Hz];Achse [dB];Hörfenster [dB];Frühe Reflexionen [dB];Schallleistung [dB];"
                  "Vorhergesagte Raumantwort [dB];DI frühe Reflexionen [dB];DI Schallleistung "
                  "[dB];Boden [dB];Decke [dB];Vorderwand [dB];Seitenwände [dB];Rückwand [dB]");
        const int n = static_cast<int>(rows.size()) - 1;
        std::vector<std::vector<double>> c(13, std::vector<double>(n));
        for (int i = 0; i < n; ++i) {
            const std::vector<std::string> f = split(rows[i + 1], ';');
            ASSERT_EQ(f.size(), 13u) << rows[i + 1];
            for (int k = 0; k < 13; ++k) {
                c[k][i] = number(f[k]);
            }
            // The two DIs are the differences of the curves they name.
            EXPECT_NEAR(c[6][i], c[2][i] - c[3][i], 1e-4) << i;
            EXPECT_NEAR(c[7][i], c[2][i] - c[4][i], 1e-4) << i;
        }
        // The printed rating is the model applied to the printed curves.
        const sonora::PreferenceRating rating = sonora::ratePreference(
            c[0].data(), n, c[1].data(), c[2].data(), c[4].data(), c[5].data());
        ASSERT_TRUE(rating.scoreOk) << r.out;
        EXPECT_EQ(out[0], sonora::latin1ToUtf8(sonora::ratingScoreText(rating, false)));
        EXPECT_EQ(out[1], sonora::latin1ToUtf8(sonora::ratingScoreText(rating, true)));
        for (int k = 0; k < sonora::kRatingInputs; ++k) {
            EXPECT_EQ(out[2 + k], sonora::latin1ToUtf8(sonora::ratingInputText(
                                      rating, static_cast<sonora::RatingInput>(k))));
        }
        EXPECT_EQ(out[0].rfind("Bewertung ", 0), 0u) << out[0];
        EXPECT_EQ(out[2].rfind("NBD_ON ", 0), 0u) << out[2];

        // On axis and at V +60° (the ceiling's last point) against the exported 5° planes.
        const fs::path exp = tmp.path / "planes.exp";
        const CliRun e = runCli("calc " + quoted(kProjects / name) + " --export " + quoted(exp) +
                                " --sections box-h5,box-v5 --quiet");
        ASSERT_EQ(e.exitCode, 0) << e.out;
        const std::vector<std::string> lines = split(readAll(exp), '\n');
        ASSERT_EQ(static_cast<int>(lines.size()), n + 6);
        const std::vector<std::string> labels = split(lines[3], '\t');
        int axis = -1;
        for (int k = 0; k < static_cast<int>(labels.size()); ++k) {
            if (labels[k] == "0\xB0") {
                axis = k; // the horizontal plane comes first
                break;
            }
        }
        ASSERT_GT(axis, 0);
        for (int i = 0; i < n; ++i) {
            const std::vector<std::string> f = split(lines[6 + i], '\t');
            EXPECT_NEAR(number(f[axis]), c[1][i], 0.006) << i;
        }
    }
}

TEST(CliSpinorama, WrongUseExitsWithTwo) {
    const std::string project = quoted(kProjects / "Zweiwege geschlossen.LSP");
    for (const std::string& args :
         {std::string("spinorama"), "spinorama " + project + " --csv",
          "spinorama " + project + " --polar", "spinorama " + project + " " + project}) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args << "\n" << r.out;
        EXPECT_NE(r.out.find("Aufruf: sonora-cli"), std::string::npos) << args;
    }
    const CliRun missing = runCli("spinorama " + quoted(kProjects / "fehlt.LSP"));
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.out.find("keine gültige Projektdatei"), std::string::npos) << missing.out;
    // A table that cannot be written: the rating is printed, the failure named, exit code 2.
    const CliRun unwritable =
        runCli("spinorama " + project + " --csv " + quoted("/nonexistent-folder/spin.csv"));
    EXPECT_EQ(unwritable.exitCode, 2) << unwritable.out;
    EXPECT_NE(unwritable.out.find("spin.csv"), std::string::npos) << unwritable.out;
}

} // namespace
