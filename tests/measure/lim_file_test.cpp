// Reading impedance measurement files (".lim").
#include "measure/lim_file.h"

#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "measure_test_support.h"

namespace sonora {
namespace {

// Builds ".lim" bytes independently of the reader: little-endian, packed.
struct LimBytes {
    std::vector<std::uint8_t> bytes;

    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    void f32(float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        u32(u);
    }
    LimBytes& header(std::int32_t numdata, char fourth = '\0') {
        bytes.insert(bytes.end(), {'L', 'I', 'M', static_cast<std::uint8_t>(fourth)});
        u32(7);           // version
        u32(0xFFFFFFFFu); // reserved1
        u32(static_cast<std::uint32_t>(numdata));
        u32(12);       // cursrpos
        u32(65536);    // fftlen
        f32(48000.0f); // fs
        return *this;
    }
    LimBytes& record(float f, float z, float phase) {
        f32(f);
        f32(z);
        f32(phase);
        return *this;
    }
};

LimBytes limWithRecords(int announced, int written) {
    LimBytes b;
    b.header(announced);
    for (int i = 0; i < written; ++i) {
        b.record(10.0f + i, 6.0f + 0.01f * i, -45.0f + 0.1f * i);
    }
    return b;
}

class LimFile : public measure_test::TempFolderTest {};

TEST_F(LimFile, ReadsHeaderAndEveryRecord) {
    const std::string file = writeBytes("a.lim", limWithRecords(700, 700).bytes);
    TLim lim;
    ASSERT_TRUE(lim.Loadfromfile(file)) << lim.message();
    EXPECT_TRUE(lim.message().empty());
    EXPECT_EQ(std::memcmp(lim.limHeader.filesignature, "LIM", 4), 0);
    EXPECT_EQ(lim.limHeader.version, 7u);
    EXPECT_EQ(lim.limHeader.reserved1, -1);
    EXPECT_EQ(lim.limHeader.numdata, 700);
    EXPECT_EQ(lim.limHeader.cursrpos, 12);
    EXPECT_EQ(lim.limHeader.fftlen, 65536);
    EXPECT_EQ(lim.limHeader.fs, 48000.0f);
    ASSERT_EQ(lim.nLimData, 700);
    ASSERT_EQ(lim.LimData.size(), 700u);
    EXPECT_EQ(lim.LimData[0].f, 10.0f);
    EXPECT_EQ(lim.LimData[699].f, 709.0f);
    EXPECT_EQ(lim.LimData[699].z, 6.0f + 0.01f * 699);
    EXPECT_EQ(lim.LimData[699].phase, -45.0f + 0.1f * 699);
}

TEST_F(LimFile, RejectsWrongSignaturesAndKeepsTheOldData) {
    TLim lim;
    ASSERT_TRUE(lim.Loadfromfile(writeBytes("good.lim", limWithRecords(3, 3).bytes)));
    LimBytes wrongFourth;
    wrongFourth.header(3, 'X').record(1, 2, 3).record(4, 5, 6).record(7, 8, 9);
    const std::string bad = writeBytes("bad.lim", wrongFourth.bytes);
    EXPECT_FALSE(lim.Loadfromfile(bad));
    EXPECT_EQ(lim.message(), "Die Datei " + bad + " ist keine Lim-Datei.");
    LimBytes pir = wrongFourth;
    std::memcpy(pir.bytes.data(), "PIR", 4);
    EXPECT_FALSE(lim.Loadfromfile(writeBytes("pir.lim", pir.bytes)));
    EXPECT_EQ(lim.nLimData, 3);
    EXPECT_EQ(lim.LimData[2].f, 12.0f);
    EXPECT_EQ(lim.limHeader.numdata, 3);
}

TEST_F(LimFile, RejectsCountsTheFileDoesNotHold) {
    const std::string damaged = " ist unvollst\xE4ndig oder besch\xE4"
                                "digt und kann nicht gelesen werden.";
    TLim lim;
    ASSERT_TRUE(lim.Loadfromfile(writeBytes("good.lim", limWithRecords(2, 2).bytes)));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::uint8_t> shortHeader = limWithRecords(0, 0).bytes;
    shortHeader.resize(27);
    std::vector<std::uint8_t> partRecord = limWithRecords(5, 5).bytes;
    partRecord.pop_back();
    const Case cases[] = {
        {"truncated.lim", limWithRecords(10, 5).bytes},
        {"partrecord.lim", partRecord},
        {"negative.lim", limWithRecords(-1, 5).bytes},
        {"huge.lim", limWithRecords(0x7FFFFFFF, 5).bytes},
        {"header.lim", shortHeader},
    };
    for (const Case& c : cases) {
        const std::string file = writeBytes(c.name, c.bytes);
        EXPECT_FALSE(lim.Loadfromfile(file)) << c.name;
        EXPECT_EQ(lim.message(), "Die Datei " + file + damaged) << c.name;
        EXPECT_EQ(lim.nLimData, 2) << c.name;
    }
    EXPECT_FALSE(lim.Loadfromfile(path("missing.lim")));
    EXPECT_EQ(lim.message(), "Die Datei " + path("missing.lim") + " wurde nicht gefunden.");
    // An empty list is a valid file.
    ASSERT_TRUE(lim.Loadfromfile(writeBytes("empty.lim", limWithRecords(0, 0).bytes)));
    EXPECT_EQ(lim.nLimData, 0);
}

TEST_F(LimFile, ReadsNoMoreRecordsThanItHolds) {
    // 40000 records announced and present: the first 32768 are read.
    TLim lim;
    ASSERT_TRUE(lim.Loadfromfile(writeBytes("many.lim", limWithRecords(40000, 40000).bytes)));
    EXPECT_EQ(lim.nLimData, TLim::kMaxRecords);
    EXPECT_EQ(lim.LimData.size(), static_cast<std::size_t>(TLim::kMaxRecords));
    EXPECT_EQ(lim.limHeader.numdata, 40000);
    EXPECT_EQ(lim.LimData.back().f, 10.0f + (TLim::kMaxRecords - 1));
}

TEST_F(LimFile, RandomBytesNeverCrash) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        LimBytes b;
        b.header(static_cast<std::int32_t>(rng() % 64) - 4);
        const std::size_t extra = rng() % 800;
        for (std::size_t i = 0; i < extra; ++i) {
            b.bytes.push_back(static_cast<std::uint8_t>(rng()));
        }
        if (round % 3 == 0) {
            b.bytes.resize(rng() % b.bytes.size());
        }
        TLim lim;
        const bool ok = lim.Loadfromfile(writeBytes("r.lim", b.bytes));
        EXPECT_EQ(ok, lim.message().empty());
        EXPECT_LE(lim.LimData.size(), static_cast<std::size_t>(TLim::kMaxRecords));
        EXPECT_EQ(static_cast<std::size_t>(lim.nLimData), lim.LimData.size());
    }
}

} // namespace
} // namespace sonora
