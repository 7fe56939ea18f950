// The real transform of the measurement tools against a direct sum, alone and from several
// threads at once.
#include "measure/fft.h"

#include <cmath>
#include <numbers>
#include <random>
#include <thread>

#include <gtest/gtest.h>

namespace sonora {
namespace {

std::vector<std::complex<double>> directDft(const std::vector<double>& x) {
    const std::size_t n = x.size();
    std::vector<std::complex<double>> bins(n / 2 + 1);
    for (std::size_t k = 0; k < bins.size(); ++k) {
        for (std::size_t m = 0; m < n; ++m) {
            bins[k] +=
                x[m] * std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>((k * m) % n) /
                                           static_cast<double>(n));
        }
    }
    return bins;
}

std::vector<double> randomSamples(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) {
        v = u(rng);
    }
    return x;
}

// Largest difference between two spectra of the same size, or infinity when the sizes differ.
double largestDifference(const std::vector<std::complex<double>>& a,
                         const std::vector<std::complex<double>>& b) {
    if (a.size() != b.size()) {
        return INFINITY;
    }
    double d = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        d = std::max(d, std::abs(a[k] - b[k]));
    }
    return d;
}

TEST(RealForwardDft, MatchesTheDirectSumForAnyLength) {
    for (std::size_t n : {1u, 2u, 3u, 7u, 64u, 97u, 480u}) {
        const std::vector<double> x = randomSamples(n, static_cast<unsigned>(n));
        std::vector<std::complex<double>> bins;
        ASSERT_TRUE(realForwardDft(x, bins));
        EXPECT_LT(largestDifference(bins, directDft(x)), 1e-9 * static_cast<double>(n)) << n;
    }
    std::vector<std::complex<double>> bins{{1.0, 2.0}};
    EXPECT_FALSE(realForwardDft({}, bins));
    EXPECT_TRUE(bins.empty());
}

TEST(RealInverseDft, UndoesTheForwardTransformTimesN) {
    for (std::size_t n : {2u, 4u, 10u, 64u, 98u, 480u}) {
        const std::vector<double> x = randomSamples(n, 7u + static_cast<unsigned>(n));
        std::vector<std::complex<double>> bins;
        ASSERT_TRUE(realForwardDft(x, bins));
        std::vector<double> back;
        ASSERT_TRUE(realInverseDft(bins, back));
        ASSERT_EQ(back.size(), n);
        for (std::size_t m = 0; m < n; ++m) {
            EXPECT_NEAR(back[m], static_cast<double>(n) * x[m], 1e-9 * static_cast<double>(n));
        }
    }
    // One bin at k = 1 is a cosine of one period; the imaginary part of the DC bin is ignored.
    std::vector<double> cosine;
    ASSERT_TRUE(
        realInverseDft({{0.0, 5.0}, {1.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}}, cosine));
    ASSERT_EQ(cosine.size(), 8u);
    for (std::size_t m = 0; m < 8; ++m) {
        EXPECT_NEAR(cosine[m], 2 * std::cos(2 * std::numbers::pi * static_cast<double>(m) / 8),
                    1e-12);
    }
    std::vector<double> samples{1.0};
    EXPECT_FALSE(realInverseDft({{1.0, 0.0}}, samples));
    EXPECT_TRUE(samples.empty());
}

TEST(RealForwardDft, PlansFromSeveralThreadsAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 25;
    std::vector<std::vector<double>> inputs;
    std::vector<std::vector<std::complex<double>>> expected;
    for (int i = 0; i < kRounds; ++i) {
        inputs.push_back(randomSamples(32 + 7 * static_cast<std::size_t>(i), 100u + i));
        expected.push_back(directDft(inputs.back()));
    }
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                const int which = (i + t * 7) % kRounds;
                std::vector<std::complex<double>> bins;
                if (!realForwardDft(inputs[which], bins) ||
                    largestDifference(bins, expected[which]) > 1e-9 * inputs[which].size()) {
                    ++failures[t];
                }
            }
        });
    }
    for (std::thread& th : threads) {
        th.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(failures[t], 0) << "thread " << t;
    }
}

} // namespace
} // namespace sonora
