// sonora-cli trennfrequenzen on the bundled two-way example and with wrong driver lists.
#include <filesystem>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

namespace {

namespace fs = std::filesystem;

using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::runCli;

const fs::path kTwoWay = sonora::cli_test::kExampleProjects / "Zweiwege geschlossen.LSP";

TEST(CliCrossings, WooferAgainstTweeterCrossesOnce) {
    // Driver 1 is the woofer, driver 2 the tweeter. The electrical crossover lies near 2.5 kHz,
    // but the more sensitive tweeter catches up with the woofer at about 1 kHz: 1046 Hz, checked
    // by hand from the driver levels of the results export (88,37/87,70 dB at 1027,7 Hz and
    // 88,25/88,64 dB at 1056,6 Hz, interpolated on the ratio g).
    const CliRun r = runCli("trennfrequenzen " + quoted(kTwoWay) + " --gruppe1 1 --gruppe2 2");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(r.out, m, std::regex("([0-9]+(,[0-9]+)?) Hz: Trennung 1 -> 2\n")))
        << r.out;
    std::string number = m[1].str();
    for (char& c : number) {
        c = c == ',' ? '.' : c;
    }
    const double f = std::stod(number);
    EXPECT_GT(f, 800.0);
    EXPECT_LT(f, 2500.0);

    // The other way round the same frequency is crossed from group 2 to group 1.
    const CliRun swapped =
        runCli("trennfrequenzen " + quoted(kTwoWay) + " --gruppe1 2 --gruppe2 1");
    ASSERT_EQ(swapped.exitCode, 0) << swapped.out;
    EXPECT_EQ(swapped.out, m[1].str() + " Hz: Trennung 2 -> 1\n");

    // An empty group lists nothing.
    const CliRun empty =
        runCli("trennfrequenzen " + quoted(kTwoWay) + " --gruppe1 1 --gruppe2 \"\"");
    EXPECT_EQ(empty.exitCode, 0) << empty.out;
    EXPECT_EQ(empty.out, "");
}

TEST(CliCrossings, WrongListsAreUsageErrors) {
    const std::string cmd = "trennfrequenzen " + quoted(kTwoWay);
    struct Case {
        const char* options;
        const char* message;
    };
    const Case cases[] = {
        {" --gruppe1 1 --gruppe2 3",
         "--gruppe2: Chassis 3 gibt es nicht, das Projekt hat 2 Chassis."},
        {" --gruppe1 0 --gruppe2 2", "--gruppe1: Chassis 0 gibt es nicht"},
        {" --gruppe1 1,2 --gruppe2 2", "Chassis 2 kann nicht in beiden Gruppen sein."},
        {" --gruppe1 1, --gruppe2 2", "--gruppe1: \"\" ist keine Chassisnummer."},
        {" --gruppe1 x --gruppe2 2", "--gruppe1: \"x\" ist keine Chassisnummer."},
        {" --gruppe1 -1 --gruppe2 2", "ist keine Chassisnummer."},
        {" --gruppe1 1", "Es fehlt --gruppe2."},
        {" --gruppe1 1 --gruppe2 2 --frobnicate", "Unbekannte Option: --frobnicate"},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli(cmd + c.options);
        EXPECT_EQ(r.exitCode, 2) << c.options << "\n" << r.out;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.options << "\n" << r.out;
    }
    const CliRun missing = runCli("trennfrequenzen /nonexistent/x.LSP --gruppe1 1 --gruppe2 2");
    EXPECT_EQ(missing.exitCode, 2) << missing.out;
}

} // namespace
