// sonora-cli as a user runs it: its output and exit codes.
#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "model/version.h"

namespace {

struct CliRun {
    std::string out; // standard output and standard error together
    int exitCode;
};

CliRun runCli(const std::string& args) {
    const std::string cmd = std::string(SONORA_BIN_DIR) + "/sonora-cli " + args + " 2>&1";
    CliRun r{{}, -1};
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) {
        return r;
    }
    std::array<char, 256> buf{};
    while (std::fgets(buf.data(), buf.size(), pipe) != nullptr) {
        r.out += buf.data();
    }
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

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
