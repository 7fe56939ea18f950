// The bundled multi-way examples are sound designs: their results export, read back as a user
// reads it, shows an on-axis response within ±2 dB from 200 Hz to 15 kHz and an amplifier load
// that never falls below 3.2 Ohm.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::runCli;

constexpr double kLow = 200.0, kHigh = 15000.0; // Hz, the window of the level check
constexpr double kHalfWindow = 2.0;             // dB
constexpr double kMinImpedance = 3.2;           // Ohm
constexpr int kGridPoints = 250;
constexpr int kHeaderLines = 6; // two comment lines, section titles, sub-titles, names, units

struct Row {
    double f;
    std::vector<double> values; // every column after the frequency
};

// A number of the export: decimal comma, as the program writes it.
double numberOf(std::string s) {
    std::replace(s.begin(), s.end(), ',', '.');
    std::size_t used = 0;
    const double v = std::stod(s, &used);
    EXPECT_EQ(used, s.size()) << s;
    return v;
}

std::vector<Row> readExport(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    for (int i = 0; i < kHeaderLines; ++i) {
        std::getline(in, line);
    }
    std::vector<Row> rows;
    while (std::getline(in, line)) {
        line.erase(line.find_last_not_of('\r') + 1);
        std::istringstream fields(line);
        std::string field;
        Row row{};
        bool first = true;
        while (std::getline(fields, field, '\t')) {
            if (first) {
                row.f = numberOf(field);
                first = false;
            } else {
                row.values.push_back(numberOf(field));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

class ExampleDesigns : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("sonora_examples_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path dir;
};

TEST_P(ExampleDesigns, FlatOnAxisAndASafeLoad) {
    const fs::path project = fs::path(SONORA_EXAMPLES_DIR) / "Projekte" / GetParam();
    const fs::path out = dir / "e.exp";
    const CliRun r = runCli("calc " + quoted(project) + " --export " + quoted(out) +
                            " --sections box,amp-impedance --quiet");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    const std::vector<Row> rows = readExport(out);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kGridPoints));
    // Columns: box magnitude and phase, then magnitude and phase per amplifier.
    const std::size_t columns = rows[0].values.size();
    ASSERT_GE(columns, 4u);
    ASSERT_EQ(columns % 2, 0u);
    double lowest = 1e9, highest = -1e9, fLowest = 0, fHighest = 0;
    int inWindow = 0;
    for (const Row& row : rows) {
        ASSERT_EQ(row.values.size(), columns) << "f = " << row.f;
        for (std::size_t a = 2; a < columns; a += 2) {
            EXPECT_GE(row.values[a], kMinImpedance)
                << "amplifier " << a / 2 << " at " << row.f << " Hz";
        }
        if (row.f < kLow || row.f > kHigh) {
            continue;
        }
        ++inWindow;
        const double level = row.values[0];
        if (level < lowest) {
            lowest = level;
            fLowest = row.f;
        }
        if (level > highest) {
            highest = level;
            fHighest = row.f;
        }
    }
    // The grid 20 Hz · 1000^(i/249) puts points 83 (200 Hz itself) .. 238 into the window.
    EXPECT_EQ(inWindow, 156);
    EXPECT_LE(highest - lowest, 2 * kHalfWindow)
        << "lowest " << lowest << " dB at " << fLowest << " Hz, highest " << highest << " dB at "
        << fHighest << " Hz";
}

INSTANTIATE_TEST_SUITE_P(MultiWay, ExampleDesigns,
                         ::testing::Values("Zweiwege geschlossen.LSP", "Dreiwege Bassreflex.LSP",
                                           "Zweiwege aktiv.LSP", "Zweiwege gemessen.LSP"),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             std::string name = param.param;
                             name = name.substr(0, name.find('.'));
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

} // namespace
