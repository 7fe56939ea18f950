// Bounded random mutation of valid files written by our own writers, fed to every reader. Runs
// with every test run for a few seconds; CI gives it about a minute through
// SONORA_MUTATION_SECONDS. A crash, a hang (ctest's timeout) or a sanitizer report fails it.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "storage/compand.h"
#include "storage/my_ini_file.h"
#include "tests/fuzz/fuzz_targets.h"

namespace sonora::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Target = std::function<void(const std::uint8_t*, std::size_t)>;

double budgetSeconds() {
    const char* env = std::getenv("SONORA_MUTATION_SECONDS");
    const double s = env ? std::atof(env) : 0.0;
    return s > 0 ? s : 1.0; // per target
}

// A small project-like file in the form chosen, made by the key-value writer.
Bytes seedImage(bool krypt, bool compress) {
    TMyIniFile ini("/nonexistent/sonora-seed.ini", false, true, krypt, compress);
    ini.WriteInteger("Header", "Version", 2000);
    ini.WriteString("General", "Kommentar",
                    "Gr\xFC\xDF"
                    "e");
    ini.WriteFloat("General", "fMin", 20.0);
    const double curve[5] = {20.0, 200.0, 2000.0, 20000.0, 0.0};
    ini.WriteFloatArray("Chassis", "FgangA", curve, 0, 5);
    const std::int32_t ints[3] = {1, -2, 3};
    ini.WriteIntArray("Chassis", "Typen", ints, 0, 3);
    return ini.fileImage();
}

Bytes seedStream() {
    Bytes text;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = "Key" + std::to_string(i % 97) + "=\t" + std::to_string(i * 7) +
                                 ";\t" + std::to_string(i % 13) + "\r\n";
        text.insert(text.end(), line.begin(), line.end());
    }
    TCompand c;
    Bytes out;
    c.compressStream(text, out);
    return out;
}

// One mutation: flip bits, overwrite, insert, erase, duplicate a block or truncate.
void mutate(Bytes& b, std::mt19937& rng) {
    if (b.empty()) {
        b.push_back(static_cast<std::uint8_t>(rng()));
        return;
    }
    const auto at = [&] { return static_cast<std::size_t>(rng() % b.size()); };
    switch (rng() % 6) {
    case 0:
        b[at()] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
        break;
    case 1:
        b[at()] = static_cast<std::uint8_t>(rng());
        break;
    case 2:
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at()), static_cast<std::uint8_t>(rng()));
        break;
    case 3:
        b.erase(b.begin() + static_cast<std::ptrdiff_t>(at()));
        break;
    case 4: {
        const std::size_t from = at(), len = std::min<std::size_t>(rng() % 64, b.size() - from);
        const Bytes block(b.begin() + static_cast<std::ptrdiff_t>(from),
                          b.begin() + static_cast<std::ptrdiff_t>(from + len));
        b.insert(b.begin() + static_cast<std::ptrdiff_t>(at()), block.begin(), block.end());
        break;
    }
    default:
        b.resize(at());
        break;
    }
}

// Runs `target` on mutants of `seed` until the budget is spent; returns how many ran.
long mutateFor(const Bytes& seed, const Target& target, unsigned rngSeed) {
    std::mt19937 rng(rngSeed);
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(budgetSeconds());
    long runs = 0;
    target(seed.data(), seed.size());
    while (std::chrono::steady_clock::now() < end) {
        Bytes b = seed;
        const int steps = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < steps; ++i) {
            mutate(b, rng);
        }
        target(b.data(), b.size());
        ++runs;
    }
    return runs;
}

TEST(Mutation, KeyValueFilePlain) {
    const Bytes seed = seedImage(false, false);
    ASSERT_GT(seed.size(), 32u);
    EXPECT_GT(mutateFor(seed, iniPlain, 1), 0);
}

TEST(Mutation, KeyValueFileScrambledLines) {
    const Bytes seed = seedImage(true, false);
    ASSERT_GT(seed.size(), 32u);
    EXPECT_GT(mutateFor(seed, iniScrambled, 2), 0);
}

TEST(Mutation, KeyValueFileCompressed) {
    const Bytes seed = seedImage(true, true);
    ASSERT_GT(seed.size(), 8u);
    EXPECT_GT(mutateFor(seed, iniCompressed, 3), 0);
}

TEST(Mutation, CompressorExpand) {
    const Bytes seed = seedStream();
    ASSERT_GT(seed.size(), 8u);
    EXPECT_GT(mutateFor(seed, compandExpand, 4), 0);
}

} // namespace
} // namespace sonora::fuzz
