// Little-endian field access for the binary measurement files (.lim, .pir), independent of the
// byte order of the machine.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

namespace sonora {

inline std::uint32_t loadLeU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::int32_t loadLeI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(loadLeU32(p));
}

inline float loadLeF32(const std::uint8_t* p) {
    return std::bit_cast<float>(loadLeU32(p));
}

inline void appendLeU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

inline void appendLeI32(std::vector<std::uint8_t>& out, std::int32_t v) {
    appendLeU32(out, static_cast<std::uint32_t>(v));
}

inline void appendLeF32(std::vector<std::uint8_t>& out, float v) {
    appendLeU32(out, std::bit_cast<std::uint32_t>(v));
}

} // namespace sonora
