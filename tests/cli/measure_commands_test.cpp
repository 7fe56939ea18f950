// sonora-cli import and pir: measured curves into driver files, impulse responses as tables.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

#include "measure/pir_file.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/driver_file.h"

namespace sonora {
namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::runCli;

class CliMeasure : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_cli_measure_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        driverFile = dir / "TT.LSC";
        fs::copy_file(fs::path(SONORA_EXAMPLES_DIR) / "Chassis" / "Beispiel TT 17.LSC", driverFile);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<TChassis> driver() {
        auto c = std::make_unique<TChassis>();
        initDefaultChassis(*c);
        ScriptedPrompt prompt;
        EXPECT_TRUE(loadDriver(*c, driverFile.string(), true, prompt));
        return c;
    }

    fs::path dir, driverFile;
};

TEST_F(CliMeasure, FrequencyResponseIsImportedAtTheStatedLevel) {
    // An FRD-like file: comment header, frequency, level, phase.
    const fs::path frd = dir / "tt.frd";
    {
        std::ofstream out(frd);
        out << "* invented measurement\n* f dB deg\n";
        for (int i = 0; i < 50; ++i) {
            const double f = 20.0 * std::pow(1000.0, i / 49.0);
            out << f << "\t" << 85.0 + 0.01 * i << "\t" << -0.5 * i << "\n";
        }
    }
    const CliRun r =
        runCli("import " + quoted(driverFile) + " --frequency " + quoted(frd) + " --level-at 85");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    auto c = driver();
    // The file's 85 dB becomes 90 dB: every level moves up by 5 dB.
    EXPECT_NEAR(c->fgangaf[0], 20.0, 1e-3);
    EXPECT_NEAR(c->fganga[0], 90.0, 1e-6);
    EXPECT_NEAR(c->fganga[49], 90.49, 1e-6);
    EXPECT_NEAR(c->fgangap[10], -5.0 * 3.14159265358979 / 180.0, 1e-6);
    EXPECT_EQ(c->fgangaf[50], 0.0);
}

TEST_F(CliMeasure, OneColumnFileTakesTheColumnNamed) {
    const fs::path txt = dir / "z.txt";
    {
        std::ofstream out(txt);
        for (int i = 0; i < 30; ++i) {
            out << 10.0 * (i + 1) << " " << 6.0 + 0.1 * i << "\n";
        }
    }
    const auto before = driver();
    CliRun r = runCli("import " + quoted(driverFile) + " --impedance " + quoted(txt) +
                      " --column impedance");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    auto c = driver();
    EXPECT_NEAR(c->fgangi[0], 6.0, 1e-9);
    EXPECT_NEAR(c->fgangi[29], 8.9, 1e-9);
    EXPECT_EQ(c->fgangif[30], 0.0);
    // The impedance phase was left alone.
    EXPECT_EQ(std::memcmp(c->fgangip, before->fgangip, sizeof c->fgangip), 0);

    r = runCli("import " + quoted(driverFile) + " --impedance " + quoted(txt) + " --column level");
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(CliMeasure, MisuseAndUnreadableFilesChangeNothing) {
    const std::string before = [&] {
        std::ifstream in(driverFile, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }();
    EXPECT_EQ(runCli("import " + quoted(driverFile)).exitCode, 2); // no source
    EXPECT_EQ(runCli("import " + quoted(driverFile) + " --lim " + quoted(dir / "none.lim") +
                     " --frequency x")
                  .exitCode,
              2); // two sources
    const fs::path junk = dir / "junk.lim";
    std::ofstream(junk) << "no lim file";
    EXPECT_EQ(runCli("import " + quoted(driverFile) + " --lim " + quoted(junk)).exitCode, 2);
    std::ifstream in(driverFile, std::ios::binary);
    std::ostringstream after;
    after << in.rdbuf();
    EXPECT_EQ(after.str(), before);
}

TEST_F(CliMeasure, PirPrintsTheResponseOfAnImpulse) {
    // A unit impulse 1 ms into the recording: flat magnitude, the delay removed.
    constexpr int kRate = 48000;
    std::vector<float> samples(4096, 0.0f);
    samples[48] = 1.0f;
    Tpir pir;
    std::memcpy(pir.pirHeader.filesignature, "PIR", 4);
    pir.pirHeader.samplerate = kRate;
    pir.pirHeader.fskHz = 48.0f;
    pir.pirHeader.len = static_cast<std::int32_t>(samples.size());
    pir.pirHeader.devicesens = 1.0f;
    pir.pirData = samples;
    const fs::path file = dir / "unit.pir";
    ASSERT_TRUE(pir.Savetofile(file.string()));

    const CliRun r = runCli("pir " + quoted(file) + " --points 10 --from 100 --to 10000");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::istringstream lines(r.out);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "f [Hz]\tPegel [dB]\tPhase [Grad]");
    int rows = 0;
    std::string firstLevel;
    while (std::getline(lines, line)) {
        const std::size_t tab = line.find('\t');
        const std::string level = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
        if (rows == 0) {
            firstLevel = level;
        }
        EXPECT_EQ(level, firstLevel) << line; // flat
        ++rows;
    }
    EXPECT_EQ(rows, 10);

    const fs::path cut = dir / "cut.pir";
    std::ofstream(cut, std::ios::binary) << "PIR";
    EXPECT_EQ(runCli("pir " + quoted(cut)).exitCode, 2);
    EXPECT_EQ(runCli("pir").exitCode, 2);
}

} // namespace
} // namespace sonora
