// Round trips through TCompand: what our encoder writes expands back bit-exactly.
#include "storage/compand.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "compand_test_streams.h"

namespace sonora {
namespace {

using compand_test::bytesOf;

// Compresses and expands `data`; returns the compressed size.
std::size_t roundTrip(const std::vector<std::uint8_t>& data) {
    TCompand compand;
    std::vector<std::uint8_t> packed;
    EXPECT_TRUE(compand.compressStream(data, packed));
    EXPECT_TRUE(compand.messages().empty());
    EXPECT_GE(packed.size(), kCompandMarkerLength);
    EXPECT_EQ(std::string(packed.begin(), packed.begin() + kCompandMarkerLength), "MyIni2CK");
    std::vector<std::uint8_t> unpacked;
    EXPECT_TRUE(compand.expandStream(packed, unpacked));
    EXPECT_TRUE(compand.messages().empty());
    EXPECT_TRUE(unpacked == data) << "round trip of " << data.size() << " bytes differs";
    return packed.size();
}

std::vector<std::uint8_t> randomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes) {
        b = static_cast<std::uint8_t>(random() & 0xFF);
    }
    return bytes;
}

// Text resembling a project file: sections, keys, numbers with decimal commas, Latin-1 umlauts.
std::vector<std::uint8_t> projectText(std::size_t size, unsigned seed) {
    static const char* const kNames[] = {"Tieft\xF6ner",
                                         "Hocht\xF6ner",
                                         "Mittelt\xF6ner",
                                         "Geh\xE4use",
                                         "Schallwand",
                                         "Wei\xDF"
                                         "e Membran",
                                         "Fl\xE4"
                                         "che"};
    std::mt19937 random(seed);
    std::string text;
    int section = 0;
    while (text.size() < size) {
        text += "[Chassis" + std::to_string(++section) + "]\r\n";
        text += "Name=" + std::string(kNames[random() % 7]) + "\r\n";
        for (int key = 0; key < 12; ++key) {
            text += "Wert" + std::to_string(key) + "=" + std::to_string(random() % 1000) + "," +
                    std::to_string(random() % 100000) + "\r\n";
        }
        text += "Frequenzgang=";
        for (int k = 0; k < 20; ++k) {
            text += std::to_string(80 + static_cast<int>(random() % 20)) + ";";
        }
        text += "\r\n";
    }
    text.resize(size);
    return bytesOf(text);
}

TEST(Compand, EmptyAndSingleByteInputs) {
    // Empty: marker, the end symbol in 9 bits and the trailing zero bits.
    EXPECT_EQ(roundTrip({}), kCompandMarkerLength + 2);
    roundTrip({0x00});
    roundTrip({0xE4});
    roundTrip(bytesOf("ab"));
}

TEST(Compand, ProjectLikeTextWithUmlautsShrinks) {
    const std::vector<std::uint8_t> text = projectText(60000, 1);
    const std::size_t packed = roundTrip(text);
    EXPECT_LT(packed, text.size() / 2);
}

TEST(Compand, RandomBytesGrowByLittleMoreThanTheNinthBit) {
    for (std::size_t size : {100u, 5000u, 300000u}) {
        const std::vector<std::uint8_t> data = randomBytes(size, static_cast<unsigned>(size));
        const std::size_t packed = roundTrip(data);
        // At worst every byte is a 9-bit literal of the initial code.
        EXPECT_LE(packed, kCompandMarkerLength + size * 9 / 8 + 4) << size;
    }
}

TEST(Compand, LongRunsBecomeOverlappingMatches) {
    const std::vector<std::uint8_t> run(10000, 'x');
    EXPECT_LT(roundTrip(run), 40u);
    std::vector<std::uint8_t> pattern;
    for (int i = 0; i < 30000; ++i) {
        pattern.push_back(static_cast<std::uint8_t>("abc"[i % 3]));
    }
    EXPECT_LT(roundTrip(pattern), 60u);
}

TEST(Compand, AllByteValuesAndShortRepeats) {
    std::vector<std::uint8_t> data;
    for (int round = 0; round < 40; ++round) {
        for (int b = 0; b < 256; ++b) {
            data.push_back(static_cast<std::uint8_t>((b * (round + 1)) & 0xFF));
            if (b % 7 == 0) {
                data.push_back(static_cast<std::uint8_t>(b));
            }
        }
    }
    roundTrip(data);
}

TEST(Compand, MatchLengthsAndDistancesAtTheirBoundaries) {
    // Random filler with planted repeats of every boundary length at every class boundary.
    std::vector<std::uint8_t> data = randomBytes(270000, 5);
    std::mt19937 random(6);
    for (int length : {3, 4, 5, 8, 9, 24, 25, 88, 89, 344, 345, 1368, 1369, 5464, 5465}) {
        for (std::uint32_t base : compand_test::kDistanceBase) {
            for (std::uint32_t distance : {base - 1, base}) {
                if (distance == 0) {
                    continue;
                }
                const std::size_t start = data.size() - distance;
                for (int i = 0; i < length; ++i) {
                    data.push_back(data[start + static_cast<std::size_t>(i)]);
                }
                data.push_back(static_cast<std::uint8_t>(random() & 0xFF));
            }
        }
    }
    roundTrip(data);
}

TEST(Compand, InputsOfSeveralChunksKeepTheirHistory) {
    // 2.5 MiB: random bytes, then one 200000-byte block repeated over the chunk ends. With the
    // history carried over, everything after the first copy of the block is matched.
    const std::size_t total = 2621440;
    std::vector<std::uint8_t> data = randomBytes(900000, 8);
    const std::vector<std::uint8_t> block = randomBytes(200000, 9);
    while (data.size() < total) {
        data.insert(data.end(), block.begin(), block.end());
    }
    data.resize(total);
    const std::size_t packed = roundTrip(data);
    EXPECT_LT(packed, 1100000u * 9 / 8 + 40000);

    roundTrip(projectText(total, 3));
    // Exactly one chunk, and one byte more.
    roundTrip(projectText(1048576, 4));
    roundTrip(projectText(1048577, 4));
}

TEST(Compand, TwentyMegabytesCrossTwentyChunkBorders) {
    // 20 MiB of project-like text: the window slides nineteen times, the hash chains are shifted
    // each time, and the output expands back exactly. Text keeps the encoder quick enough for the
    // sanitizer runs.
    const std::vector<std::uint8_t> text = projectText(std::size_t{20} << 20, 11);
    const std::size_t packed = roundTrip(text);
    EXPECT_LT(packed, text.size() / 2);
}

TEST(Compand, EncoderChoosesBetweenNewAndCurrentCodeLengths) {
    TCompand compand;
    std::vector<std::uint8_t> packed;
    // One byte: sending new lengths costs more than they save.
    ASSERT_TRUE(compand.compressStream({'Q'}, packed));
    ASSERT_EQ(compand.diagnostics().size(), 1u);
    EXPECT_EQ(compand.diagnostics()[0], "Huffman-Tabelle wiederverwendet.");
    // 'Q' = 81 in 9 bits right after the marker: 0010 1000 1...
    ASSERT_GE(packed.size(), kCompandMarkerLength + 2);
    EXPECT_EQ(packed[kCompandMarkerLength], 0x28);

    // A long text pays for its own lengths: symbol 257 (1 0000 0001) comes first.
    TCompand second;
    ASSERT_TRUE(second.compressStream(projectText(100000, 2), packed));
    EXPECT_TRUE(second.diagnostics().empty());
    EXPECT_EQ(packed[kCompandMarkerLength], 0x80);
    EXPECT_EQ(packed[kCompandMarkerLength + 1] >> 7, 1);

    // A second chunk of the same long run keeps the lengths of the first.
    TCompand third;
    const std::vector<std::uint8_t> repeated(1500000, 'z');
    ASSERT_TRUE(third.compressStream(repeated, packed));
    EXPECT_GE(third.diagnostics().size(), 1u);
}

TEST(Compand, MessagesCollectUntilCleared) {
    TCompand compand;
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(compand.expandStream({}, out));
    EXPECT_FALSE(compand.expandStream(bytesOf("MyIni2C"), out));
    ASSERT_EQ(compand.messages().size(), 2u);
    EXPECT_EQ(compand.messages()[0], "ExpandStream ging schief!");
    compand.clearMessages();
    EXPECT_TRUE(compand.messages().empty());
}

} // namespace
} // namespace sonora
