// sonora-cli as a user runs it: its output and exit codes.
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"

#include "model/version.h"

namespace {

using sonora::cli_test::CliRun;
using sonora::cli_test::runCli;

TEST(Cli, VersionPrintsTheProgramVersion) {
    const CliRun r = runCli("--version");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Sonora " + std::string(sonora::kVersion) + "\n");
}

TEST(Cli, HelpListsTheOptions) {
    const CliRun r = runCli("--help");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_NE(r.out.find("--help"), std::string::npos);
}

TEST(Cli, MisuseIsReportedWithExitCode2) {
    for (const char* args : {"", "--frobnicate", "--version extra"}) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args;
        EXPECT_NE(r.out.find("Aufruf:"), std::string::npos) << args;
    }
    EXPECT_NE(runCli("--frobnicate").out.find("Unbekannte Option: --frobnicate"),
              std::string::npos);
}

} // namespace
