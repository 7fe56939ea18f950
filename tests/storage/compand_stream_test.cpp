// Expanding hand-built streams: the format as written, not only what our encoder produces.
#include "storage/compand.h"

#include <gtest/gtest.h>

#include <random>

#include "compand_test_streams.h"

namespace sonora {
namespace {

using compand_test::bytesOf;
using compand_test::copyMatch;
using compand_test::kFirstPair;
using compand_test::StreamBuilder;

std::vector<std::uint8_t> expandOk(const std::vector<std::uint8_t>& stream) {
    TCompand compand;
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(compand.expandStream(stream, out));
    EXPECT_TRUE(compand.messages().empty());
    return out;
}

TEST(CompandStream, EndSymbolInItsInitialCodeExpandsToNothing) {
    StreamBuilder stream;
    stream.end().bits(0, 7);
    const std::vector<std::uint8_t> bytes = stream.bytes();
    // 256 in 9 bits is 1 0000 0000, then seven zero bits.
    const std::vector<std::uint8_t> expected = {'M', 'y', 'I', 'n', 'i', '2', 'C', 'K', 0x80, 0x00};
    ASSERT_EQ(bytes, expected);
    std::vector<std::uint8_t> out = {1, 2, 3}; // replaced
    TCompand compand;
    EXPECT_TRUE(compand.expandStream(bytes, out));
    EXPECT_TRUE(out.empty());
    EXPECT_TRUE(compand.messages().empty());
}

TEST(CompandStream, LiteralsUseTheInitialNineBitCode) {
    const std::string text = "Geh\xE4use 5,25\r\n\x00\xFF"; // Latin-1 ä
    StreamBuilder stream;
    stream.literals(text).end();
    EXPECT_EQ(stream.bitCount(), 9 * (text.size() + 1));
    EXPECT_EQ(expandOk(stream.bytes()), bytesOf(text));
    // The symbol number is the code: 'G' = 71 = 0 0100 0111.
    EXPECT_EQ(stream.bytes()[8], 0x23);
}

TEST(CompandStream, MatchesOfEveryLengthRowBoundaryCopyFromTheOutput) {
    for (int length : {3, 4, 5, 8, 9, 24, 25, 88, 89, 344, 345, 1368, 1369, 5464}) {
        StreamBuilder stream;
        std::vector<std::uint8_t> expected = bytesOf("0123456789");
        stream.literals("0123456789").match(length, 10).literals("!").end();
        copyMatch(expected, length, 10);
        expected.push_back('!');
        EXPECT_EQ(expandOk(stream.bytes()), expected) << "length " << length;
    }
}

TEST(CompandStream, OverlappingMatchesRepeatTheirOwnOutput) {
    StreamBuilder stream;
    stream.literals("x").match(5464, 1).match(4535, 1).end();
    EXPECT_EQ(expandOk(stream.bytes()), std::vector<std::uint8_t>(10000, 'x'));

    StreamBuilder pattern;
    pattern.literals("abc").match(10, 3).end();
    EXPECT_EQ(expandOk(pattern.bytes()), bytesOf("abcabcabcabca"));
}

TEST(CompandStream, DistancesAtEveryClassBoundary) {
    // 262136 literals, then matches reaching back to the class boundaries up to the largest one.
    std::mt19937 random(11);
    std::string text(262136, ' ');
    for (char& c : text) {
        c = static_cast<char>(random() & 0xFF);
    }
    StreamBuilder stream;
    stream.literals(text);
    std::vector<std::uint8_t> expected = bytesOf(text);
    for (std::uint32_t base : compand_test::kDistanceBase) {
        for (std::uint32_t distance : {base - 1, base, base + 1}) {
            if (distance < 1) {
                continue;
            }
            const int length = distance <= 2040 ? 3 : (distance <= 8184 ? 4 : 5);
            stream.match(length, distance);
            copyMatch(expected, length, distance);
        }
    }
    stream.match(6, 262136);
    copyMatch(expected, 6, 262136);
    stream.end();
    EXPECT_EQ(expandOk(stream.bytes()), expected);
}

TEST(CompandStream, SecondCodeLengthsApplyFromTheNextSymbol) {
    std::vector<int> first(compand_test::kSymbols, 9);
    first['a'] = 8;
    first[compand_test::kLengths] = 8;
    std::vector<int> second(compand_test::kSymbols, 11);
    second['A'] = 1;
    second[compand_test::kEnd] = 2;
    StreamBuilder stream;
    stream.newLengths(first, /*longForm=*/true).literals("a");
    EXPECT_EQ(stream.codes()['a'], 0u);
    stream.newLengths(second).literals("AA").end();
    EXPECT_EQ(stream.codes()['A'], 0u);
    EXPECT_EQ(stream.codes()[compand_test::kEnd], 0b10u);
    EXPECT_EQ(expandOk(stream.bytes()), bytesOf("aAA"));
}

TEST(CompandStream, PairsBeforeAnyTableAreByteZeroAndTheirNumber) {
    StreamBuilder stream;
    stream.symbol(kFirstPair).symbol(kFirstPair + 5).symbol(kFirstPair + 63).end();
    EXPECT_EQ(expandOk(stream.bytes()), (std::vector<std::uint8_t>{0, 0, 0, 5, 0, 63}));
}

TEST(CompandStream, NewPairsFillTheRingInOrderAndWrap) {
    auto pairsFrom = [](int first, int count) {
        std::vector<std::uint16_t> pairs;
        for (int i = 0; i < count; ++i) {
            pairs.push_back(static_cast<std::uint16_t>(((first + i) << 8) | (0xFF - i)));
        }
        return pairs;
    };
    const std::vector<std::uint16_t> second = pairsFrom(0x10, 32);
    const std::vector<std::uint16_t> third = pairsFrom(0x40, 32);
    StreamBuilder stream;
    stream.newPairs({0x6162, 0x6364}); // "ab", "cd" into entries 0 and 1
    stream.symbol(kFirstPair).symbol(kFirstPair + 1).symbol(kFirstPair + 2);
    stream.newPairs(second); // entries 2..33
    stream.newPairs(third);  // entries 34..63, then 0 and 1
    stream.symbol(kFirstPair + 0).symbol(kFirstPair + 1).symbol(kFirstPair + 2);
    stream.symbol(kFirstPair + 33).symbol(kFirstPair + 34).symbol(kFirstPair + 63).end();

    std::vector<std::uint8_t> expected = {'a', 'b', 'c', 'd', 0, 2};
    for (std::uint16_t pair : {third[30], third[31], second[0], second[31], third[0], third[29]}) {
        expected.push_back(static_cast<std::uint8_t>(pair >> 8));
        expected.push_back(static_cast<std::uint8_t>(pair & 0xFF));
    }
    EXPECT_EQ(expandOk(stream.bytes()), expected);
}

TEST(CompandStream, PairBytesAreCodedWithTheCurrentTable) {
    std::vector<int> lengths(compand_test::kSymbols, 10);
    lengths['p'] = 2;
    lengths['q'] = 2;
    StreamBuilder stream;
    stream.newLengths(lengths).newPairs({('p' << 8) | 'q'}).symbol(kFirstPair).end();
    EXPECT_EQ(expandOk(stream.bytes()), bytesOf("pq"));
}

TEST(CompandStream, BytesAfterTheEndSymbolAreIgnored) {
    StreamBuilder stream;
    stream.literals("ok").end().bits(0xFFFFFF, 24);
    EXPECT_EQ(expandOk(stream.bytes()), bytesOf("ok"));
}

TEST(CompandStream, AWrongMarkerIsNotReported) {
    StreamBuilder stream;
    stream.literals("trotzdem").end();
    EXPECT_EQ(expandOk(stream.bytes("XXXXXXXX")), bytesOf("trotzdem"));
}

} // namespace
} // namespace sonora
