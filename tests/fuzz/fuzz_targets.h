// The readers of the program as fuzz targets: each takes arbitrary bytes and must neither crash,
// nor hang, nor read or write out of bounds. Shared by the libFuzzer programs and the bounded
// mutation test that runs with every test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/compand.h"
#include "storage/my_ini_file.h"

namespace sonora::fuzz {

// Output bound of the expansion under fuzzing: small, so that a stream of long matches does not
// spend the time budget on copying.
inline constexpr std::size_t kFuzzExpandLimit = 1u << 20;

inline void readIniImage(const std::uint8_t* data, std::size_t size, bool krypt, bool compress) {
    // A file name that never exists: the object starts empty and reads only the image.
    TMyIniFile ini("/nonexistent/sonora-fuzz.ini", false, false, krypt, compress);
    ini.loadImage(std::vector<std::uint8_t>(data, data + size));
    // Touch what a reader touches: typed reads of keys that may or may not exist.
    (void)ini.ReadInteger("Header", "Version", 0);
    (void)ini.ReadFloat("General", "fMin", 0.0);
    (void)ini.ReadString("Chassis", "Name", "");
    double values[8] = {};
    (void)ini.ReadFloatArray("Chassis", "FgangA", values, 0, 8);
    std::int32_t ints[8] = {};
    (void)ini.ReadIntArray("Chassis", "FgangA", ints, 2, 6);
    (void)ini.nSections();
}

inline void iniPlain(const std::uint8_t* data, std::size_t size) {
    readIniImage(data, size, false, false);
}
inline void iniScrambled(const std::uint8_t* data, std::size_t size) {
    readIniImage(data, size, true, false);
}
inline void iniCompressed(const std::uint8_t* data, std::size_t size) {
    readIniImage(data, size, true, true);
}

inline void compandExpand(const std::uint8_t* data, std::size_t size) {
    TCompand c;
    std::vector<std::uint8_t> out;
    (void)c.expandStream(std::vector<std::uint8_t>(data, data + size), out, kFuzzExpandLimit);
    if (out.size() > kFuzzExpandLimit) {
        __builtin_trap(); // the bound is part of the contract
    }
}

} // namespace sonora::fuzz
