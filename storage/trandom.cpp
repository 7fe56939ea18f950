#include "storage/trandom.h"

#include <chrono>
#include <random>

namespace sonora {

void TRandom::Step() {
    key1 = key1 * kMultiplier1 + 1;
    key2 = key2 * kMultiplier2 + 1;
    if (key2 == 0xFFFFFFFFu) {
        key2 = 0;
    }
    key3 = key3 * kMultiplier3 + 1;
}

void TRandom::Reset(std::uint32_t k1, std::uint32_t k2) {
    key1 = k1;
    key2 = k2;
    key3 = (k1 % kSeedModulus1) * (k2 % kSeedModulus2);
    for (std::uint32_t& entry : Shufflearray) {
        Step();
        entry = key1 + key2;
    }
}

void TRandom::AutoCreate() {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    std::mt19937 clockSeeded(static_cast<std::uint32_t>(ticks) ^
                             static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) >> 32));
    std::uniform_int_distribution<std::uint32_t> seed(1, kAutoSeedLimit);
    const std::uint32_t k1 = seed(clockSeeded);
    const std::uint32_t k2 = seed(clockSeeded);
    Reset(k1, k2);
}

std::uint32_t TRandom::GetRandomCard() {
    Step();
    std::uint32_t& entry = Shufflearray[key3 & (kShuffleSize - 1)];
    const std::uint32_t result = entry;
    entry = key1 + key2;
    return result;
}

std::uint32_t TRandom::GetRandomInt(std::uint32_t m) {
    const std::uint32_t card = GetRandomCard();
    return m == 0xFFFFFFFFu ? card : card % (m + 1);
}

double TRandom::GetRandom() {
    return GetRandomCard() / 4294967295.0;
}

} // namespace sonora
