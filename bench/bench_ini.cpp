// Writing and reading a key-value file of project size: about 5000 keys in 300 sections.
#include "storage/my_ini_file.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kSectionCount = 300;
constexpr int kKeysPerSection = 17; // 5100 keys, as many as a project with 32 drivers

std::string benchPath() {
    return (std::filesystem::temp_directory_path() / "sonora_bench_ini.LSP").string();
}

// Section "Chassis<s>", keys of every value kind the project file uses.
void fill(sonora::TMyIniFile& ini) {
    const double curve[8] = {20, 31.5, 50, 80, 125, 200, 315, 500};
    for (int s = 0; s < kSectionCount; ++s) {
        const std::string section = "Chassis" + std::to_string(s);
        for (int k = 0; k < kKeysPerSection; ++k) {
            const std::string key = "Key" + std::to_string(k);
            switch (k % 4) {
            case 0:
                ini.WriteFloat(section, key, 0.001234 * (s + 1) * (k + 1));
                break;
            case 1:
                ini.WriteInteger(section, key, s * 1000 + k);
                break;
            case 2:
                ini.WriteString(section, key, "Tieft\xF6ner " + std::to_string(s));
                break;
            default:
                ini.WriteFloatArray(section, key, curve, 0, 8);
            }
        }
    }
}

std::vector<std::uint8_t> sampleImage(bool krypt) {
    sonora::TMyIniFile ini(benchPath(), false, true, krypt, false);
    fill(ini);
    std::vector<std::uint8_t> image = ini.fileImage();
    ini.bAllowchanges = false; // nothing to save
    return image;
}

void BM_IniWritePlain(benchmark::State& state) {
    for (auto _ : state) {
        sonora::TMyIniFile ini(benchPath(), false, true, false, false);
        fill(ini);
        std::vector<std::uint8_t> image = ini.fileImage();
        benchmark::DoNotOptimize(image);
        ini.bAllowchanges = false;
    }
    state.SetItemsProcessed(state.iterations() * kSectionCount * kKeysPerSection);
}
BENCHMARK(BM_IniWritePlain)->Unit(benchmark::kMillisecond);

void readAll(sonora::TMyIniFile& ini) {
    double curve[8];
    for (int s = 0; s < kSectionCount; ++s) {
        const std::string section = "Chassis" + std::to_string(s);
        for (int k = 0; k < kKeysPerSection; ++k) {
            const std::string key = "Key" + std::to_string(k);
            switch (k % 4) {
            case 0:
                benchmark::DoNotOptimize(ini.ReadFloat(section, key, 0));
                break;
            case 1:
                benchmark::DoNotOptimize(ini.ReadInteger(section, key, 0));
                break;
            case 2:
                benchmark::DoNotOptimize(ini.ReadString(section, key, ""));
                break;
            default:
                benchmark::DoNotOptimize(ini.ReadFloatArray(section, key, curve, 0, 8));
            }
        }
    }
}

void readBench(benchmark::State& state, bool krypt) {
    const std::vector<std::uint8_t> image = sampleImage(krypt);
    for (auto _ : state) {
        sonora::TMyIniFile ini(benchPath(), false, false, krypt, false);
        ini.loadImage(image);
        readAll(ini);
    }
    state.SetItemsProcessed(state.iterations() * kSectionCount * kKeysPerSection);
    state.counters["bytes"] = static_cast<double>(image.size());
}

void BM_IniReadPlain(benchmark::State& state) {
    readBench(state, false);
}
BENCHMARK(BM_IniReadPlain)->Unit(benchmark::kMillisecond);

void BM_IniReadScrambled(benchmark::State& state) {
    readBench(state, true);
}
BENCHMARK(BM_IniReadScrambled)->Unit(benchmark::kMillisecond);

} // namespace
