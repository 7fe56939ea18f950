// Our compressor against zlib at levels 6 and 9 on real project files: the three-way example and a
// project with 32 drivers that all carry measured curves (the file text without its header line,
// as the compressed form stores it). Size ratios are reported as counters.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/example_projects.h"
#include "model/user_prompt.h"
#include "storage/compand.h"
#include "storage/file_io.h"
#include "storage/project_file.h"

namespace {

using namespace sonora;
using Bytes = std::vector<std::uint8_t>;

// The plain file of a project, header line (32 bytes) dropped.
Bytes plainBody(const TProjekt& p) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("sonora_bench_" + std::to_string(::getpid()) + ".LSP"))
                                 .string();
    ScriptedPrompt prompt;
    writeProjectFile(p, path, false, prompt);
    Bytes bytes;
    readFileBytes(path, bytes);
    std::filesystem::remove(path);
    constexpr std::size_t kHeaderBytes = 32;
    return bytes.size() > kHeaderBytes ? Bytes(bytes.begin() + kHeaderBytes, bytes.end()) : bytes;
}

const Bytes& threeWay() {
    static const Bytes text = [] {
        auto p = std::make_unique<TProjekt>();
        buildThreeWayExample(*p);
        return plainBody(*p);
    }();
    return text;
}

const Bytes& thirtyTwoDrivers() {
    static const Bytes text = [] {
        auto p = std::make_unique<TProjekt>();
        buildThreeWayExample(*p);
        p->nChassis = kMaxChassis;
        constexpr ExampleDriver kinds[] = {ExampleDriver::Woofer17, ExampleDriver::Woofer20,
                                           ExampleDriver::Midrange10, ExampleDriver::Dome25,
                                           ExampleDriver::Subwoofer25};
        for (int d = 0; d < kMaxChassis; ++d) {
            p->chassis[d] = exampleDriver(kinds[d % 5]);
            p->chassis[d].fs *= 1.0 + d / 64.0; // every driver a little different
            addSyntheticMeasurements(p->chassis[d]);
            p->einbau[d] = p->einbau[d % 3];
            p->schallwand[d] = p->schallwand[d % 3];
        }
        return plainBody(*p);
    }();
    return text;
}

Bytes zlibCompress(const Bytes& in, int level) {
    uLongf size = compressBound(static_cast<uLong>(in.size()));
    Bytes out(size);
    compress2(out.data(), &size, in.data(), static_cast<uLong>(in.size()), level);
    out.resize(size);
    return out;
}

double zlibSize(const Bytes& in) {
    return static_cast<double>(zlibCompress(in, 9).size());
}

void ourCompress(benchmark::State& state, const Bytes& text) {
    Bytes packed;
    for (auto _ : state) {
        TCompand c;
        c.compressStream(text, packed);
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["bytes"] = static_cast<double>(packed.size());
    state.counters["vs_zlib9"] = static_cast<double>(packed.size()) / zlibSize(text);
}

void ourExpand(benchmark::State& state, const Bytes& text) {
    TCompand c;
    Bytes packed, back;
    c.compressStream(text, packed);
    for (auto _ : state) {
        c.expandStream(packed, back);
        benchmark::DoNotOptimize(back.data());
    }
    if (back != text) {
        state.SkipWithError("round trip differs");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void zlibLevel(benchmark::State& state, const Bytes& text, int level) {
    Bytes packed;
    for (auto _ : state) {
        packed = zlibCompress(text, level);
        benchmark::DoNotOptimize(packed.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    state.counters["bytes"] = static_cast<double>(packed.size());
}

void zlibExpand(benchmark::State& state, const Bytes& text) {
    const Bytes packed = zlibCompress(text, 9);
    Bytes back(text.size());
    for (auto _ : state) {
        uLongf size = static_cast<uLongf>(back.size());
        uncompress(back.data(), &size, packed.data(), static_cast<uLong>(packed.size()));
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_OursCompressThreeWay(benchmark::State& s) {
    ourCompress(s, threeWay());
}
void BM_OursExpandThreeWay(benchmark::State& s) {
    ourExpand(s, threeWay());
}
void BM_Zlib6ThreeWay(benchmark::State& s) {
    zlibLevel(s, threeWay(), 6);
}
void BM_Zlib9ThreeWay(benchmark::State& s) {
    zlibLevel(s, threeWay(), 9);
}
void BM_ZlibExpandThreeWay(benchmark::State& s) {
    zlibExpand(s, threeWay());
}
void BM_OursCompress32Drivers(benchmark::State& s) {
    ourCompress(s, thirtyTwoDrivers());
}
void BM_OursExpand32Drivers(benchmark::State& s) {
    ourExpand(s, thirtyTwoDrivers());
}
void BM_Zlib632Drivers(benchmark::State& s) {
    zlibLevel(s, thirtyTwoDrivers(), 6);
}
void BM_Zlib932Drivers(benchmark::State& s) {
    zlibLevel(s, thirtyTwoDrivers(), 9);
}
void BM_ZlibExpand32Drivers(benchmark::State& s) {
    zlibExpand(s, thirtyTwoDrivers());
}

BENCHMARK(BM_OursCompressThreeWay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursExpandThreeWay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib6ThreeWay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib9ThreeWay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibExpandThreeWay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursCompress32Drivers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursExpand32Drivers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib632Drivers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib932Drivers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibExpand32Drivers)->Unit(benchmark::kMillisecond);

} // namespace
