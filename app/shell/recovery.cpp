#include "app/shell/recovery.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "storage/folders.h"

namespace sonora {

namespace {

// FNV-1a, 64 bits: stable across runs and platforms, unlike std::hash.
std::uint64_t pathHash(const std::string& text) {
    constexpr std::uint64_t kOffset = 14695981039346656037ull;
    constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t h = kOffset;
    for (const char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= kPrime;
    }
    return h;
}

} // namespace

std::string recoveryFileFor(const std::string& dataFolder, const std::string& projectFile) {
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.LSP",
                  static_cast<unsigned long long>(pathHash(projectFile)));
    return withTrailingSeparator(dataFolder) + kRecoveryFolderName + kPathSeparator + name;
}

bool isRecoveryNewer(const std::string& copy, const std::string& projectFile) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_time_type copyTime = fs::last_write_time(copy, ec);
    if (ec) {
        return false;
    }
    const fs::file_time_type fileTime = fs::last_write_time(projectFile, ec);
    return ec || copyTime > fileTime;
}

} // namespace sonora
