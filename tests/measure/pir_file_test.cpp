// Loading and saving impulse-response files (".pir"), the delay estimate and the time window.
#include "measure/pir_file.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>

#include <gtest/gtest.h>

#include "measure_test_support.h"
#include "pir_test_support.h"

namespace sonora {
namespace {

using measure_test::LowPassBiquad;
using measure_test::pirOf;

// Builds ".pir" bytes independently of the program's writer: 20 little-endian 4-byte fields.
std::vector<std::uint8_t> pirBytes(std::int32_t rate, std::int32_t len, int samplesWritten,
                                   char fourth = '\0') {
    std::vector<std::uint8_t> b = {'P', 'I', 'R', static_cast<std::uint8_t>(fourth)};
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    auto f32 = [&](float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        u32(u);
    };
    u32(3);  // version
    u32(16); // infosize
    u32(0);
    u32(0);
    f32(static_cast<float>(rate / 1000.0));
    u32(static_cast<std::uint32_t>(rate));
    u32(static_cast<std::uint32_t>(len));
    u32(2);     // inputdevice
    f32(0.5f);  // devicesens
    u32(1);     // measurement_type
    u32(4);     // avgtype
    u32(8);     // numavg
    u32(1);     // bfiltered
    u32(1);     // genused
    f32(0.75f); // peakleft
    f32(0.25f); // peakright
    f32(1.0f);
    f32(2.0f);
    f32(3.0f);
    for (int i = 0; i < samplesWritten; ++i) {
        f32(static_cast<float>(std::sin(0.01 * i)));
    }
    return b;
}

class PirFile : public measure_test::TempFolderTest {};

TEST_F(PirFile, ReadsEveryHeaderFieldAndSample) {
    const std::string file = writeBytes("a.pir", pirBytes(44100, 1000, 1000));
    Tpir pir;
    ASSERT_TRUE(pir.Loadfromfile(file)) << pir.message();
    const TpirHeader& h = pir.pirHeader;
    EXPECT_EQ(std::memcmp(h.filesignature, "PIR", 4), 0);
    EXPECT_EQ(h.version, 3u);
    EXPECT_EQ(h.infosize, 16);
    EXPECT_EQ(h.fskHz, 44.1f);
    EXPECT_EQ(h.samplerate, 44100);
    EXPECT_EQ(h.len, 1000);
    EXPECT_EQ(h.inputdevice, 2);
    EXPECT_EQ(h.devicesens, 0.5f);
    EXPECT_EQ(h.measurement_type, 1);
    EXPECT_EQ(h.avgtype, 4);
    EXPECT_EQ(h.numavg, 8);
    EXPECT_EQ(h.bfiltered, 1);
    EXPECT_EQ(h.genused, 1);
    EXPECT_EQ(h.peakleft, 0.75f);
    EXPECT_EQ(h.peakright, 0.25f);
    EXPECT_EQ(h.reserved3, 1.0f);
    EXPECT_EQ(h.reserved4, 2.0f);
    EXPECT_EQ(h.reserved5, 3.0f);
    ASSERT_EQ(pir.pirData.size(), 1000u);
    EXPECT_EQ(pir.pirData[999], static_cast<float>(std::sin(9.99)));
    EXPECT_EQ(pir.filename, file);
}

TEST_F(PirFile, SaveThenLoadGivesTheSameFile) {
    Tpir pir;
    ASSERT_TRUE(pir.Loadfromfile(writeBytes("a.pir", pirBytes(48000, 3000, 3000))));
    pir.pirData[17] = -0.125f;
    const std::string copy = path("copy.pir");
    ASSERT_TRUE(pir.Savetofile(copy)) << pir.message();
    Tpir back;
    ASSERT_TRUE(back.Loadfromfile(copy)) << back.message();
    EXPECT_EQ(back.pirData, pir.pirData);
    // Every header field survives, except infosize: no info block is written.
    TpirHeader expected = pir.pirHeader;
    expected.infosize = 0;
    EXPECT_EQ(std::memcmp(&back.pirHeader, &expected, sizeof expected), 0);
    EXPECT_EQ(std::filesystem::file_size(copy), 80u + 4u * 3000u);
    EXPECT_FALSE(pir.Savetofile(path("no/such/folder/x.pir")));
    EXPECT_FALSE(pir.message().empty());
}

TEST_F(PirFile, RejectsDamagedFilesAndKeepsTheOldData) {
    Tpir pir;
    const std::string good = writeBytes("good.pir", pirBytes(48000, 10, 10));
    ASSERT_TRUE(pir.Loadfromfile(good));
    std::vector<std::uint8_t> nanSample = pirBytes(48000, 4, 4);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(nanSample.data() + 80 + 4, &nan, 4);
    std::vector<std::uint8_t> truncatedHeader = pirBytes(48000, 10, 10);
    truncatedHeader.resize(60);
    std::vector<std::uint8_t> partSample = pirBytes(48000, 10, 10);
    partSample.pop_back();
    const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
        {"header.pir", truncatedHeader},
        {"short.pir", pirBytes(48000, 100, 50)},       // len larger than the file
        {"huge.pir", pirBytes(48000, 0x7FFFFFFF, 50)}, // len far beyond the capacity
        {"part.pir", partSample},
        {"rate0.pir", pirBytes(0, 10, 10)},
        {"rateneg.pir", pirBytes(-48000, 10, 10)},
        {"len1.pir", pirBytes(48000, 1, 1)},
        {"lenneg.pir", pirBytes(48000, -5, 10)},
        {"nan.pir", nanSample},
    };
    for (const auto& [name, bytes] : cases) {
        const std::string file = writeBytes(name, bytes);
        EXPECT_FALSE(pir.Loadfromfile(file)) << name;
        EXPECT_EQ(pir.message(), "Die Datei " + file +
                                     " ist unvollst\xE4ndig oder besch\xE4"
                                     "digt und kann nicht gelesen werden.")
            << name;
    }
    const std::string wrong = writeBytes("wrong.pir", pirBytes(48000, 10, 10, 'X'));
    EXPECT_FALSE(pir.Loadfromfile(wrong));
    EXPECT_EQ(pir.message(), "Die Datei " + wrong + " ist keine Impulsantwort-Datei (.pir).");
    EXPECT_FALSE(pir.Loadfromfile(path("missing.pir")));
    EXPECT_EQ(pir.pirHeader.len, 10);
    EXPECT_EQ(pir.pirData.size(), 10u);
    EXPECT_EQ(pir.filename, good);
}

TEST_F(PirFile, ReadsNoMoreSamplesThanItHolds) {
    const int len = Tpir::kMaxSamples + 100;
    Tpir pir;
    ASSERT_TRUE(pir.Loadfromfile(writeBytes("long.pir", pirBytes(48000, len, len))));
    EXPECT_EQ(pir.pirHeader.len, Tpir::kMaxSamples);
    EXPECT_EQ(pir.pirData.size(), static_cast<std::size_t>(Tpir::kMaxSamples));
}

TEST_F(PirFile, RandomBytesNeverCrash) {
    std::mt19937 rng(99);
    for (int round = 0; round < 100; ++round) {
        std::vector<std::uint8_t> b =
            pirBytes(static_cast<std::int32_t>(rng() % 200000) - 1000,
                     static_cast<std::int32_t>(rng() % 3000) - 10, static_cast<int>(rng() % 2000));
        for (std::size_t i = 4; i < b.size(); ++i) {
            if (rng() % 8 == 0) {
                b[i] = static_cast<std::uint8_t>(rng());
            }
        }
        Tpir pir;
        if (!pir.Loadfromfile(writeBytes("r.pir", b))) {
            continue;
        }
        ASSERT_GE(pir.pirHeader.len, 2);
        ASSERT_GT(pir.pirHeader.samplerate, 0);
        EXPECT_TRUE(std::isfinite(pir.EstimateDelayMs()));
        pir.Fenstern(static_cast<double>(rng() % 100), static_cast<double>(rng() % 100) - 20);
        pir.CalcFgang(static_cast<int>(rng() % 300) - 50, 0.5, 20000, 20);
        EXPECT_EQ(static_cast<std::size_t>(pir.nFgang), pir.fgang.size());
    }
}

TEST(PirDelay, ImpulseDelayedByTwoAndAHalfMilliseconds) {
    constexpr int kRate = 48000;
    constexpr int kOnset = 120; // 2.5 ms
    const LowPassBiquad lp(2000.0, std::sqrt(0.5), kRate);
    const Tpir pir = pirOf(lp.impulse(4096, kOnset), kRate);
    EXPECT_NEAR(pir.EstimateDelayMs(), 2.5, 1000.0 / kRate);
    // Sign does not matter: the flank of the largest magnitude is found.
    std::vector<float> inverted = lp.impulse(4096, kOnset);
    for (float& x : inverted) {
        x = -x;
    }
    EXPECT_NEAR(pirOf(inverted, kRate).EstimateDelayMs(), 2.5, 1000.0 / kRate);
}

TEST(PirDelay, ZeroCrossingOfTheFlankAndEarlyPeaks) {
    constexpr int kRate = 48000;
    std::vector<float> x(100, 0.0f);
    // Largest sample at 50; sample 49 holds 0.5 of it, sample 48 0.1 (below 15 %): the line
    // through samples 48 and 49 crosses zero at sample 47.75.
    x[48] = 0.1f;
    x[49] = 0.5f;
    x[50] = 1.0f;
    EXPECT_NEAR(pirOf(x, kRate).EstimateDelayMs(), 47.75 * 1000.0 / kRate, 1e-6);
    // Equal samples at the start of the search (half a millisecond, 24 samples, before the
    // peak) give 0.
    std::fill(x.begin(), x.end(), 0.0f);
    x[35] = 0.5f;
    x[36] = 0.5f;
    x[60] = 1.0f;
    EXPECT_EQ(pirOf(x, kRate).EstimateDelayMs(), 0.0);
    // A peak inside the first half millisecond (24 samples) starts the search at sample 0.
    std::fill(x.begin(), x.end(), 0.0f);
    x[0] = 0.2f;
    x[3] = 1.0f;
    EXPECT_EQ(pirOf(x, kRate).EstimateDelayMs(), 0.0);
    // The search does not reach further back than half a millisecond.
    std::fill(x.begin(), x.end(), 0.0f);
    x[10] = 0.9f;
    x[60] = 1.0f;
    EXPECT_NEAR(pirOf(x, kRate).EstimateDelayMs(), 59.0 * 1000.0 / kRate, 1e-9);
    EXPECT_EQ(Tpir().EstimateDelayMs(), 0.0);
}

TEST(PirWindow, RiseFlatFallAndZeros) {
    constexpr int kRate = 48000;
    // 0.1 everywhere and a peak of 1 at sample 480: the flank estimate ends at
    // t = (479 - 480 * 0.1) / 0.9 = 478.89 samples, so the window starts at round(t - 24) = 455.
    std::vector<float> x(2000, 0.1f);
    x[480] = 1.0f;
    Tpir pir = pirOf(x, kRate);
    pir.Fenstern(20.0, 5.0); // 720 samples flat, 240 falling, from the end of the rise at 479
    const auto& d = pir.pirData;
    EXPECT_EQ(d[0], 0.0f);
    EXPECT_EQ(d[454], 0.0f);
    EXPECT_EQ(d[455], 0.0f); // the rise starts at weight 0
    EXPECT_FLOAT_EQ(d[467], 0.05f);
    EXPECT_FLOAT_EQ(d[478],
                    static_cast<float>(0.1 * (0.5 - 0.5 * std::cos(std::numbers::pi * 23 / 24))));
    EXPECT_EQ(d[479], 0.1f);
    EXPECT_EQ(d[480], 1.0f);
    EXPECT_EQ(d[1198], 0.1f);
    EXPECT_EQ(d[1199], 0.1f); // the fall starts at weight 1
    EXPECT_FLOAT_EQ(d[1319], 0.05f);
    EXPECT_GT(d[1438], 0.0f);
    EXPECT_EQ(d[1439], 0.0f);
    EXPECT_EQ(d[1999], 0.0f);
}

TEST(PirWindow, OddLengthsNeverWriteOutsideTheData) {
    std::vector<float> x(300, 1.0f);
    x[5] = 2.0f;
    for (const auto& [L, H] : std::vector<std::pair<double, double>>{
             {1e9, 0}, {-5, 3}, {2, 10}, {std::nan(""), 1}, {1, std::nan("")}, {0, 0}}) {
        Tpir pir = pirOf(x, 48000);
        pir.Fenstern(L, H);
        ASSERT_EQ(pir.pirData.size(), 300u);
        for (float v : pir.pirData) {
            ASSERT_TRUE(std::isfinite(v) && v >= 0.0f && v <= 2.0f);
        }
    }
}

} // namespace
} // namespace sonora
