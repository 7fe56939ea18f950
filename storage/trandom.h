// TRandom: the keystream generator of the compressed file form, three linear congruential
// generators mixed through a 256-entry shuffle table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sonora {

class TRandom {
public:
    // Multipliers of the three generators (all arithmetic modulo 2^32).
    static constexpr std::uint32_t kMultiplier1 = 68501;
    static constexpr std::uint32_t kMultiplier2 = 68521;
    static constexpr std::uint32_t kMultiplier3 = 71005;
    // Reset derives key3 from the seeds through these two moduli.
    static constexpr std::uint32_t kSeedModulus1 = 65534;
    static constexpr std::uint32_t kSeedModulus2 = 32547;
    static constexpr std::size_t kShuffleSize = 256;
    // AutoCreate draws its seeds from 1 .. kAutoSeedLimit.
    static constexpr std::uint32_t kAutoSeedLimit = 2147483646;

    // State; public so that the generator can be inspected and set up exactly in tests.
    std::uint32_t key1 = 0;
    std::uint32_t key2 = 0;
    std::uint32_t key3 = 0;
    std::array<std::uint32_t, kShuffleSize> Shufflearray{};

    // Advances the three generators once; key2 skips the value 0xFFFFFFFF (it becomes 0).
    void Step();
    // Seeds the generators and fills the shuffle table with 256 steps.
    void Reset(std::uint32_t k1, std::uint32_t k2);
    void KeyCreate(std::uint32_t k1, std::uint32_t k2) { Reset(k1, k2); }
    // Seeds from the system clock (two seeds from 1 .. kAutoSeedLimit).
    void AutoCreate();

    // The next value of the stream: the shuffle entry chosen by key3, replaced by key1 + key2.
    std::uint32_t GetRandomCard();
    // GetRandomCard mod (m + 1); m = 0xFFFFFFFF gives GetRandomCard itself.
    std::uint32_t GetRandomInt(std::uint32_t m);
    // GetRandomCard / 4294967295, so 0 .. 1 with both ends included.
    double GetRandom();
};

} // namespace sonora
