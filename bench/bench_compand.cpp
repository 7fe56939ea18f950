// Compressing and expanding a project-like text of about 2 MiB with TCompand.
#include "storage/compand.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kTextBytes = std::size_t{2} << 20;

// Sections of driver and crossover keys with numbers in file form and Latin-1 names.
const std::vector<std::uint8_t>& projectText() {
    static const std::vector<std::uint8_t> text = [] {
        static const char* const kNames[] = {"Tieft\xF6ner 8\"", "Hocht\xF6ner Kalotte",
                                             "Mittelt\xF6ner", "Geh\xE4use geschlossen",
                                             "Bassreflex-Rohr"};
        static const char* const kKeys[] = {"Fs", "Qts", "Qes", "Qms", "Vas",  "Re",
                                            "Le", "Bl",  "Mms", "Sd",  "Xmax", "Pmax"};
        std::mt19937 random(2024);
        std::string s;
        int section = 0;
        while (s.size() < kTextBytes) {
            s += "[Chassis" + std::to_string(++section) + "]\r\nName=" + kNames[random() % 5] +
                 "\r\n";
            for (const char* key : kKeys) {
                s += std::string(key) + "=" + std::to_string(random() % 500) + "," +
                     std::to_string(random() % 1000000) + "\r\n";
            }
            s += "Amplitude=";
            for (int k = 0; k < 64; ++k) {
                s += std::to_string(70 + static_cast<int>(random() % 30)) + "," +
                     std::to_string(random() % 10) + ";";
            }
            s += "\r\n";
        }
        s.resize(kTextBytes);
        return std::vector<std::uint8_t>(s.begin(), s.end());
    }();
    return text;
}

void BM_CompressStream(benchmark::State& state) {
    const std::vector<std::uint8_t>& text = projectText();
    std::vector<std::uint8_t> packed;
    for (auto _ : state) {
        sonora::TCompand compand;
        compand.compressStream(text, packed);
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(text.size());
}
BENCHMARK(BM_CompressStream)->Unit(benchmark::kMillisecond);

void BM_ExpandStream(benchmark::State& state) {
    const std::vector<std::uint8_t>& text = projectText();
    sonora::TCompand compand;
    std::vector<std::uint8_t> packed;
    compand.compressStream(text, packed);
    std::vector<std::uint8_t> unpacked;
    for (auto _ : state) {
        compand.expandStream(packed, unpacked);
        benchmark::DoNotOptimize(unpacked.data());
    }
    if (unpacked != text) {
        state.SkipWithError("round trip differs");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ExpandStream)->Unit(benchmark::kMillisecond);

} // namespace
