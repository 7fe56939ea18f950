// Runs sonora-cli as a user does and collects its output and exit code.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace sonora::cli_test {

struct CliRun {
    std::string out; // standard output and standard error together
    int exitCode;
};

inline CliRun runCli(const std::string& args) {
    const std::string cmd = std::string(SONORA_BIN_DIR) + "/sonora-cli " + args + " 2>&1";
    CliRun r{{}, -1};
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) {
        return r;
    }
    std::array<char, 4096> buf{};
    while (std::fgets(buf.data(), buf.size(), pipe) != nullptr) {
        r.out += buf.data();
    }
    const int status = pclose(pipe);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline std::string quoted(const std::filesystem::path& p) {
    return "\"" + p.string() + "\"";
}

} // namespace sonora::cli_test
