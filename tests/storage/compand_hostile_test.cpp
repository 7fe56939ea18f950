// Damaged and hostile compressed streams: bounded output, the right German message, no crash.
#include "storage/compand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "compand_test_streams.h"

namespace sonora {
namespace {

using compand_test::bytesOf;
using compand_test::StreamBuilder;

const std::string kExpandFailed = "ExpandStream ging schief!";
const std::string kBadSymbol = "Fehlerhaftes Zeichen bei Decodieren gefunden.";
const std::string kOutputFull = "Disk full? ... ging jedenfalls nicht schreiben!";

struct Expanded {
    bool ok;
    std::vector<std::uint8_t> out;
    std::vector<std::string> messages;
};

Expanded expand(const std::vector<std::uint8_t>& stream,
                std::size_t maxOutput = kMaxExpandedBytes) {
    TCompand compand;
    Expanded result;
    result.ok = compand.expandStream(stream, result.out, maxOutput);
    result.messages = compand.messages();
    return result;
}

std::vector<std::uint8_t> compressed(const std::vector<std::uint8_t>& data) {
    TCompand compand;
    std::vector<std::uint8_t> packed;
    EXPECT_TRUE(compand.compressStream(data, packed));
    return packed;
}

bool isPrefix(const std::vector<std::uint8_t>& part, const std::vector<std::uint8_t>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// Text with matches, pairs and new code lengths.
std::vector<std::uint8_t> sampleText() {
    std::string text;
    for (int i = 0; i < 150; ++i) {
        text += "[Weiche" + std::to_string(i % 7) + "]\r\nBauteil" + std::to_string(i) +
                "=Kondensator " + std::to_string(i * 37 % 1000) + " \xB5" + "F\r\n";
    }
    return bytesOf(text);
}

TEST(CompandHostile, StreamsCutAnywhereStopWithAMessageAndAPrefix) {
    const std::vector<std::uint8_t> text = sampleText();
    const std::vector<std::uint8_t> stream = compressed(text);
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
        const std::vector<std::uint8_t> part(stream.begin(),
                                             stream.begin() + static_cast<std::ptrdiff_t>(cut));
        const Expanded result = expand(part);
        EXPECT_TRUE(isPrefix(result.out, text)) << "cut " << cut;
        if (result.ok) {
            // Only the zero bits after the end symbol may go.
            EXPECT_EQ(result.out, text) << "cut " << cut;
            EXPECT_GE(cut, stream.size() - 2);
        } else {
            ASSERT_EQ(result.messages.size(), 1u) << "cut " << cut;
            EXPECT_TRUE(result.messages[0] == kExpandFailed || result.messages[0] == kBadSymbol)
                << "cut " << cut;
        }
    }
}

TEST(CompandHostile, TooShortForTheMarker) {
    for (const char* text : {"", "MyIni2C"}) {
        const Expanded result = expand(bytesOf(text));
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.messages, std::vector<std::string>{kExpandFailed});
    }
    // Marker without a single symbol.
    const Expanded result = expand(bytesOf("MyIni2CK"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.messages, std::vector<std::string>{kExpandFailed});
}

TEST(CompandHostile, LengthZeroIsRejectedAndTheOldTableStays) {
    // The first entry "00" repeats a previous entry that does not exist: length 0.
    StreamBuilder stream;
    stream.symbol(compand_test::kLengths).bits(0, 2);
    for (int s = 1; s < compand_test::kSymbols; ++s) {
        stream.bits(8, 4); // length 9
    }
    stream.literals("z").end();
    const Expanded result = expand(stream.bytes());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, bytesOf("z"));
    EXPECT_EQ(result.messages, std::vector<std::string>{"Achtung: Huffman-Codel\xE4nge <= 0!"});
}

TEST(CompandHostile, OverfullCodeLengthsAreRejectedAndTheOldTableStays) {
    StreamBuilder stream;
    stream.newLengths(std::vector<int>(compand_test::kSymbols, 1), false, /*adopt=*/false);
    stream.literals("noch da").end();
    const Expanded result = expand(stream.bytes());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, bytesOf("noch da"));
    EXPECT_EQ(result.messages, std::vector<std::string>{"Achtung: Zu viele Huffman-Code belegt."});
}

TEST(CompandHostile, ValuesThatStartNoCodeStopExpansion) {
    // An incomplete code: lengths 1, 2 and 354 × 11 leave the top of the code space empty.
    std::vector<int> lengths(compand_test::kSymbols, 11);
    lengths['A'] = 1;
    lengths['B'] = 2;
    StreamBuilder stream;
    stream.newLengths(lengths).literals("AB").bits(0xFFFF, 16).end();
    const Expanded result = expand(stream.bytes());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, bytesOf("AB"));
    EXPECT_EQ(result.messages, std::vector<std::string>{kBadSymbol});
}

TEST(CompandHostile, PairBytesMustBeByteSymbols) {
    StreamBuilder stream;
    stream.literals("x").symbol(compand_test::kPairs).bits(0, 5).symbol(300).symbol('y').end();
    const Expanded result = expand(stream.bytes());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, bytesOf("x"));
    EXPECT_EQ(result.messages, std::vector<std::string>{kBadSymbol});
}

TEST(CompandHostile, DistanceBeforeTheStartOfTheOutput) {
    StreamBuilder stream;
    // "ab", "aba", then "abab" from the very first byte, then one byte too far back.
    stream.literals("ab").match(3, 2).match(4, 5).match(4, 10).end();
    const Expanded result = expand(stream.bytes());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, bytesOf("ababaabab"));
    EXPECT_EQ(result.messages, std::vector<std::string>{kExpandFailed});
}

TEST(CompandHostile, LengthPrefixOfSixOnes) {
    StreamBuilder stream;
    stream.literals("a").symbol(277).bits(0b111111, 6).bits(0, 15).end();
    const Expanded result = expand(stream.bytes());
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.out, bytesOf("a"));
    EXPECT_EQ(result.messages, std::vector<std::string>{kExpandFailed});
}

TEST(CompandHostile, OutputStopsAtTheLimit) {
    StreamBuilder run;
    run.literals("x").match(5464, 1).match(4535, 1).end();
    const Expanded limited = expand(run.bytes(), 100);
    EXPECT_FALSE(limited.ok);
    EXPECT_EQ(limited.out, std::vector<std::uint8_t>(100, 'x'));
    EXPECT_EQ(limited.messages, std::vector<std::string>{kOutputFull});
    const Expanded exact = expand(run.bytes(), 10000);
    EXPECT_TRUE(exact.ok);
    EXPECT_EQ(exact.out.size(), 10000u);

    StreamBuilder text;
    text.literals("Hallo").symbol(compand_test::kFirstPair + 1).end();
    EXPECT_EQ(expand(text.bytes(), 3).out, bytesOf("Hal"));
    EXPECT_EQ(expand(text.bytes(), 6).out, bytesOf(std::string("Hallo\0", 6)));
    EXPECT_EQ(expand(text.bytes(), 0).messages, std::vector<std::string>{kOutputFull});

    // A small stream must not make the reader allocate without bound.
    const Expanded big = expand(compressed(std::vector<std::uint8_t>(3000000, 0)), 1 << 20);
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.out.size(), std::size_t{1} << 20);
}

TEST(CompandHostile, RandomGarbageAfterTheMarker) {
    std::mt19937 random(21);
    const std::size_t limit = 1 << 16;
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> stream = bytesOf("MyIni2CK");
        const std::size_t size = random() % 400;
        for (std::size_t i = 0; i < size; ++i) {
            stream.push_back(static_cast<std::uint8_t>(random() & 0xFF));
        }
        const Expanded result = expand(stream, limit);
        EXPECT_LE(result.out.size(), limit);
        EXPECT_EQ(result.ok, result.messages.empty()) << "round " << round;
    }
}

TEST(CompandHostile, MutatedStreamsNeverCrashNorOverrun) {
    // Deterministic fuzzing: bit flips, overwritten bytes, cuts and duplicated spans of valid
    // streams (our encoder's and a hand-built one with new lengths and pairs).
    std::vector<std::vector<std::uint8_t>> seeds = {
        compressed(sampleText()), compressed(std::vector<std::uint8_t>(9000, 'r'))};
    std::vector<int> lengths(compand_test::kSymbols, 11);
    lengths['A'] = 1;
    lengths[compand_test::kEnd] = 2;
    StreamBuilder built;
    built.literals("abc").match(40, 3).newLengths(lengths).newPairs({0x4142}).literals("AAA");
    built.symbol(compand_test::kFirstPair).end();
    seeds.push_back(built.bytes());

    std::mt19937 random(42);
    const std::size_t limit = 1 << 16;
    for (int round = 0; round < 4000; ++round) {
        std::vector<std::uint8_t> stream = seeds[random() % seeds.size()];
        const int mutations = 1 + static_cast<int>(random() % 4);
        for (int m = 0; m < mutations && stream.size() > kCompandMarkerLength; ++m) {
            const std::size_t body = stream.size() - kCompandMarkerLength;
            const std::size_t at = kCompandMarkerLength + random() % body;
            switch (random() % 4) {
            case 0:
                stream[at] ^= static_cast<std::uint8_t>(1u << (random() % 8));
                break;
            case 1:
                stream[at] = static_cast<std::uint8_t>(random() & 0xFF);
                break;
            case 2:
                stream.resize(at);
                break;
            default: {
                const std::size_t span =
                    std::min<std::size_t>(1 + random() % 16, stream.size() - at);
                const std::vector<std::uint8_t> copy(
                    stream.begin() + static_cast<std::ptrdiff_t>(at),
                    stream.begin() + static_cast<std::ptrdiff_t>(at + span));
                stream.insert(stream.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(),
                              copy.end());
            }
            }
        }
        const Expanded result = expand(stream, limit);
        EXPECT_LE(result.out.size(), limit);
        EXPECT_EQ(result.ok, result.messages.empty()) << "round " << round;
    }
}

} // namespace
} // namespace sonora
