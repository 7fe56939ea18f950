// Writing and reading the number texts of project and driver files.
#include "storage/numbers.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kValueCount = 4096;

// Magnitudes as they occur in files: part values, frequencies, levels, tiny and huge constants.
const std::vector<double>& sampleValues() {
    static const std::vector<double> values = [] {
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> exponent(-12.0, 6.0);
        std::bernoulli_distribution negative(0.2);
        std::vector<double> result;
        result.reserve(kValueCount);
        for (int k = 0; k < kValueCount; ++k) {
            const double x = std::pow(10.0, exponent(random));
            result.push_back(negative(random) ? -x : x);
        }
        return result;
    }();
    return values;
}

void BM_CompactNumberText(benchmark::State& state) {
    const auto& values = sampleValues();
    for (auto _ : state) {
        for (double x : values) {
            std::string text = sonora::compactNumberText(sonora::kFileNumberWidth, x);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_CompactNumberText);

void BM_ParseFloat(benchmark::State& state) {
    std::vector<std::string> texts;
    for (double x : sampleValues()) {
        texts.push_back(sonora::compactNumberText(sonora::kFileNumberWidth, x));
    }
    for (auto _ : state) {
        for (const std::string& text : texts) {
            sonora::ParseResult result = sonora::parseFloat(text);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}
BENCHMARK(BM_ParseFloat);

} // namespace
