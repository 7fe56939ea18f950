// sonora-cli: the command-line front of Sonora.
#include <cstdio>
#include <string_view>

#include "model/version.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

void printUsage(std::FILE* out) {
    std::fprintf(out, "Aufruf: sonora-cli [--version | --help]\n"
                      "\n"
                      "  --version   Programmversion ausgeben\n"
                      "  --help      diese Hilfe ausgeben\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::string_view arg = argv[1];
    if (argc == 2 && (arg == "--version" || arg == "-V")) {
        std::printf("Sonora %.*s\n", static_cast<int>(sonora::kVersion.size()),
                    sonora::kVersion.data());
        return kExitOk;
    }
    if (argc == 2 && (arg == "--help" || arg == "-h")) {
        printUsage(stdout);
        return kExitOk;
    }
    std::fprintf(stderr, "Unbekannte Option: %s\n\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}
