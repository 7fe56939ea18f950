// Runs sonora-cli as a user does and collects its output and exit code, and reads back what it
// wrote.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

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

// The projects shipped with the program.
inline const std::filesystem::path kExampleProjects =
    std::filesystem::path(SONORA_EXAMPLES_DIR) / "Projekte";

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The fields of a line or the lines of a text; a "\r" before the separator is dropped.
inline std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        if (!part.empty() && part.back() == '\r') {
            part.pop_back();
        }
        out.push_back(part);
    }
    return out;
}

// A number as the program writes it into its tables (decimal comma).
inline double number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return std::stod(text);
}

} // namespace sonora::cli_test
