// The compressor's parts: bits, canonical codes, code-length construction, pairs, match finder
// and the encoder's consistency checks.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <random>

#include "compand_test_streams.h"
#include "storage/compand_bits.h"
#include "storage/compand_codes.h"
#include "storage/compand_format.h"
#include "storage/compand_lengths.h"
#include "storage/compand_matcher.h"
#include "storage/compand_pairs.h"
#include "storage/compand_symbols.h"

namespace sonora::compand {
namespace {

double kraftSum(const CodeLengths& lengths) {
    double sum = 0.0;
    for (std::uint8_t l : lengths) {
        sum += std::ldexp(1.0, -l);
    }
    return sum;
}

TEST(CompandParts, BitsAreWrittenAndReadMostSignificantFirst) {
    std::vector<std::uint8_t> out;
    BitWriter writer(out);
    EXPECT_TRUE(writer.put(0b101, 3));
    EXPECT_TRUE(writer.put(0b11110, 5));
    EXPECT_TRUE(writer.put(0x1, 1));
    EXPECT_EQ(out, std::vector<std::uint8_t>{0xBE});
    EXPECT_EQ(writer.pendingBits(), 1);
    EXPECT_TRUE(writer.put(0x7F, 7));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xBE, 0xFF}));
    // Bits above the count are refused and nothing is written.
    EXPECT_FALSE(writer.put(4, 2));
    EXPECT_FALSE(writer.put(0, 33));
    EXPECT_EQ(writer.pendingBits(), 0);

    std::mt19937 random(3);
    std::vector<std::pair<std::uint32_t, int>> values;
    std::vector<std::uint8_t> stream;
    BitWriter many(stream);
    for (int i = 0; i < 2000; ++i) {
        const int count = 1 + static_cast<int>(random() % 32);
        const std::uint32_t value = count == 32 ? random() : random() & ((1u << count) - 1);
        values.emplace_back(value, count);
        ASSERT_TRUE(many.put(value, count));
    }
    many.put(0, 8 - many.pendingBits());
    BitReader reader(stream.data(), stream.size());
    for (const auto& [value, count] : values) {
        ASSERT_EQ(reader.read(count), value);
    }
    EXPECT_FALSE(reader.overrun());
}

TEST(CompandParts, ReaderFeedsZerosAndReportsOverrun) {
    const std::vector<std::uint8_t> data = {0xA5, 0x0F};
    BitReader reader(data.data(), data.size());
    reader.refill();
    EXPECT_EQ(reader.peek(16), 0xA50Fu);
    EXPECT_EQ(reader.read(12), 0xA50u);
    EXPECT_EQ(reader.read(4), 0xFu);
    EXPECT_FALSE(reader.overrun());
    EXPECT_EQ(reader.read(1), 0u);
    EXPECT_TRUE(reader.overrun());
    EXPECT_EQ(reader.consumedBits(), 17u);
}

TEST(CompandParts, CanonicalCodesCountUpByLengthThenSymbol) {
    // Lengths 3,3,3,3,3,2,4,5 for symbols 0..7, length 16 for all others.
    CodeLengths lengths;
    lengths.fill(16);
    const int first[] = {3, 3, 3, 3, 3, 2, 4, 5};
    for (int s = 0; s < 8; ++s) {
        lengths[s] = static_cast<std::uint8_t>(first[s]);
    }
    Codes codes;
    ASSERT_TRUE(assignCanonicalCodes(lengths, codes));
    const std::uint16_t expected[] = {0b010, 0b011, 0b100, 0b101, 0b110, 0b00, 0b1110, 0b11110};
    for (int s = 0; s < 8; ++s) {
        EXPECT_EQ(codes[s], expected[s]) << s;
    }
    EXPECT_EQ(codes[8], 0xF800);
    EXPECT_EQ(codes[355], 0xF800 + 347);
    // The test's own construction agrees on every symbol.
    const std::vector<std::uint32_t> oracle =
        compand_test::canonicalCodes(std::vector<int>(lengths.begin(), lengths.end()));
    for (int s = 0; s < kSymbolCount; ++s) {
        ASSERT_EQ(codes[s], oracle[s]) << s;
    }

    DecodeTable table;
    ASSERT_EQ(buildDecodeTable(lengths, table), CodeLengthsCheck::Ok);
    ASSERT_EQ(table.size(), kDecodeTableSize);
    EXPECT_EQ(table[0x0000].symbol, 5);
    EXPECT_EQ(table[0x3FFF].symbol, 5);
    EXPECT_EQ(table[0x3FFF].length, 2);
    EXPECT_EQ(table[0x4000].symbol, 0);
    EXPECT_EQ(table[0x4000].length, 3);
    EXPECT_EQ(table[0xF7FF].symbol, 7);
    EXPECT_EQ(table[0xF800 + 347].symbol, 355);
    EXPECT_EQ(table[0xF800 + 347].length, 16);
    EXPECT_EQ(table[0xF800 + 348].length, 0); // no code starts here
    EXPECT_EQ(table[0xFFFF].length, 0);
}

TEST(CompandParts, RejectedCodeLengthsKeepTheTable) {
    DecodeTable table;
    ASSERT_EQ(buildDecodeTable(initialCodeLengths(), table), CodeLengthsCheck::Ok);
    EXPECT_EQ(table[0x8000].symbol, 256); // 1 0000 0000
    EXPECT_EQ(table[0x8000].length, 9);

    CodeLengths lengths = initialCodeLengths();
    lengths[100] = 0;
    EXPECT_EQ(buildDecodeTable(lengths, table), CodeLengthsCheck::TooSmall);
    EXPECT_EQ(codeLengthsMessage(CodeLengthsCheck::TooSmall), "Achtung: Huffman-Codelänge <= 0!");
    lengths[100] = 17;
    EXPECT_EQ(buildDecodeTable(lengths, table), CodeLengthsCheck::TooLarge);
    EXPECT_EQ(codeLengthsMessage(CodeLengthsCheck::TooLarge), "Achtung: Huffman-Codelänge > 16!");
    lengths[100] = 8;
    lengths[101] = 8;
    lengths[102] = 8; // 353/512 + 3/256 is still fine
    EXPECT_EQ(checkCodeLengths(lengths), CodeLengthsCheck::Ok);
    lengths.fill(8);
    EXPECT_EQ(buildDecodeTable(lengths, table), CodeLengthsCheck::Overfull);
    EXPECT_EQ(codeLengthsMessage(CodeLengthsCheck::Overfull),
              "Achtung: Zu viele Huffman-Code belegt.");
    EXPECT_EQ(table[0x8000].symbol, 256);
    EXPECT_EQ(table[0x8000].length, 9);
}

TEST(CompandParts, CodeLengthsTravelInTheirThreeForms) {
    std::mt19937 random(4);
    CodeLengths lengths;
    for (std::uint8_t& l : lengths) {
        l = static_cast<std::uint8_t>(random() % 3 == 0 ? 7 : 1 + random() % 16);
    }
    std::vector<std::uint8_t> stream;
    BitWriter writer(stream);
    ASSERT_TRUE(writeCodeLengths(writer, lengths));
    const int written = static_cast<int>(stream.size()) * 8 + writer.pendingBits();
    // The cost counts 5 bits for the first entry, which takes 4 or 8.
    const int firstBits = lengths[0] <= 5 ? 8 : 4;
    EXPECT_EQ(codeLengthsCost(lengths), written - firstBits + 5);
    writer.put(0, 8 - writer.pendingBits());
    BitReader reader(stream.data(), stream.size());
    EXPECT_EQ(readCodeLengths(reader), lengths);

    lengths[9] = 0;
    EXPECT_FALSE(writeCodeLengths(writer, lengths));
}

TEST(CompandParts, ConstructedLengthsFitAndFollowTheWeights) {
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        // Weights as the encoder makes them from the counts of a 1 MiB chunk, from flat
        // distributions to very skewed ones.
        const double spread = 1.0 + round % 20;
        std::array<double, kSymbolCount> share;
        double shareSum = 0.0;
        for (double& p : share) {
            p = std::exp(std::uniform_real_distribution<>(0.0, spread)(random));
            shareSum += p;
        }
        SymbolWeights weights;
        for (int s = 0; s < kSymbolCount; ++s) {
            weights[s] = 1 + 5 * static_cast<std::uint64_t>(1048576.0 * share[s] / shareSum);
        }
        CodeLengths lengths;
        ASSERT_TRUE(constructCodeLengths(weights, lengths)) << round;
        EXPECT_EQ(checkCodeLengths(lengths), CodeLengthsCheck::Ok) << round;
        // Mean length within one bit of the entropy of the weights.
        double total = 0.0;
        for (std::uint64_t w : weights) {
            total += static_cast<double>(w);
        }
        double entropy = 0.0;
        double mean = 0.0;
        for (int s = 0; s < kSymbolCount; ++s) {
            const double p = static_cast<double>(weights[s]) / total;
            entropy -= p * std::log2(p);
            mean += p * lengths[s];
        }
        EXPECT_LE(mean, entropy + 1.0) << round;
    }

    // Flat weights 7 (W = 2492): at length 8 the threshold is 7 for the first 12 symbols and
    // then rises to 8; at length 9 the 488 free codes outnumber the 344 symbols left.
    SymbolWeights flat;
    flat.fill(7);
    CodeLengths lengths;
    ASSERT_TRUE(constructCodeLengths(flat, lengths));
    for (int s = 0; s < kSymbolCount; ++s) {
        EXPECT_EQ(lengths[s], s < 12 ? 8 : 9) << s;
    }
    EXPECT_DOUBLE_EQ(kraftSum(lengths), 12.0 / 256.0 + 344.0 / 512.0);

    SymbolWeights dominant;
    dominant.fill(1);
    dominant[42] = 1000000;
    ASSERT_TRUE(constructCodeLengths(dominant, lengths));
    EXPECT_EQ(lengths[42], 1);
}

TEST(CompandParts, ConstructionRetriesWithFlatterWeights) {
    // Two heavy symbols take both codes of length 1 and leave none for the rest; one retry with
    // every weight one higher gives the second heavy symbol length 2.
    SymbolWeights weights;
    weights.fill(1);
    weights[0] = 1000;
    weights[1] = 1000;
    CodeLengths lengths;
    EXPECT_FALSE(constructCodeLengths(weights, lengths, 0));
    ASSERT_TRUE(constructCodeLengths(weights, lengths, 1));
    EXPECT_EQ(lengths[0], 1);
    EXPECT_EQ(lengths[1], 2);
    EXPECT_EQ(checkCodeLengths(lengths), CodeLengthsCheck::Ok);

    // The heaviest case of a chunk: two symbols share all of its 1 MiB.
    weights.fill(1);
    weights[7] = 1 + 5 * 524288;
    weights[8] = 1 + 5 * 524288;
    ASSERT_TRUE(constructCodeLengths(weights, lengths));
    EXPECT_EQ(lengths[7], 1);
    EXPECT_EQ(lengths[8], 2);

    // Fibonacci weights would need lengths far beyond 16 without the retries.
    std::uint64_t a = 1;
    std::uint64_t b = 1;
    for (int s = 0; s < kSymbolCount; ++s) {
        weights[s] = s < 30 ? a : 1;
        const std::uint64_t next = a + b;
        a = b;
        b = next;
    }
    ASSERT_TRUE(constructCodeLengths(weights, lengths));
    EXPECT_EQ(checkCodeLengths(lengths), CodeLengthsCheck::Ok);
}

TEST(CompandParts, PairRingReplacesItsOldestEntries) {
    PairTable table;
    EXPECT_EQ(table.entry(5), 5);
    EXPECT_EQ(table.find(0x0005), 5);
    EXPECT_EQ(table.find(0x0040), -1);
    table.append(0x6162);
    EXPECT_EQ(table.find(0x6162), 0);
    EXPECT_EQ(table.find(0x0000), -1);
    for (int i = 1; i < kPairCount; ++i) {
        table.append(static_cast<std::uint16_t>(0x1000 + i));
    }
    table.append(0x7A7A); // wraps to entry 0
    EXPECT_EQ(table.find(0x7A7A), 0);
    EXPECT_EQ(table.find(0x6162), -1);
    EXPECT_EQ(table.entry(63), 0x1000 + 63);
}

std::vector<PreCode> literalCodes(const std::string& text) {
    std::vector<PreCode> codes;
    for (unsigned char c : text) {
        codes.push_back(PreCode{c, 0, 0});
    }
    return codes;
}

TEST(CompandParts, PairsCountedMoreThanFiveTimesBecomeCandidates) {
    PairTable table;
    // "ab" seven times, "cd" six times, "ef" five times, "\0\x05" (already in the table) often.
    std::string text;
    char separator = '\x80'; // a new one each time, so no pair with a separator repeats
    for (int i = 0; i < 7; ++i) {
        text += std::string("ab") + separator++;
        text += i < 6 ? std::string("cd") + separator++ : "";
        text += i < 5 ? std::string("ef") + separator++ : "";
    }
    std::vector<PreCode> codes = literalCodes(text + std::string(20, '\0') + "\x05");
    // A match between two literals breaks their pair.
    for (int i = 0; i < 6; ++i) {
        codes.push_back(PreCode{'x', 0, 0});
        codes.push_back(PreCode{static_cast<std::uint16_t>(kMatch3Symbol), 3, 1});
        codes.push_back(PreCode{'y', 0, 0});
    }
    const std::vector<std::uint16_t> chosen = choosePairs(codes, table);
    // '\0' '\0' (19 times) is in the table as entry 0.
    ASSERT_EQ(chosen.size(), 2u);
    EXPECT_EQ(chosen[0], 0x6162);
    EXPECT_EQ(chosen[1], 0x6364);

    // At most 32, the most frequent first, equal counts by pair value.
    // Each pair stands between two matches, so only the pairs themselves are counted.
    std::vector<PreCode> many;
    for (int p = 0; p < 40; ++p) {
        for (int k = 0; k < 6 + (p == 39 ? 1 : 0); ++k) {
            many.push_back(PreCode{static_cast<std::uint16_t>('A' + p % 20), 0, 0});
            many.push_back(PreCode{static_cast<std::uint16_t>(p < 20 ? 'a' : 'b'), 0, 0});
            many.push_back(PreCode{static_cast<std::uint16_t>(kMatch3Symbol), 3, 1});
        }
    }
    const std::vector<std::uint16_t> top = choosePairs(many, table);
    ASSERT_EQ(top.size(), 32u);
    EXPECT_EQ(top[0], ('T' << 8) | 'b');
    EXPECT_EQ(top[1], ('A' << 8) | 'a');
    EXPECT_EQ(top[2], ('A' << 8) | 'b');
}

TEST(CompandParts, AdjacentLiteralsOfATablePairAreReplaced) {
    PairTable table;
    table.append(0x6162); // "ab" in entry 0
    std::vector<PreCode> codes = literalCodes("aab");
    codes.push_back(PreCode{static_cast<std::uint16_t>(kMatch3Symbol), 3, 1});
    for (const PreCode& c : literalCodes("abab\x01")) {
        codes.push_back(c);
    }
    codes.push_back(PreCode{0, 0, 0});
    codes.push_back(PreCode{1, 0, 0}); // pair (0, 1) is still entry 1
    replacePairs(codes, table);
    const std::vector<int> expected = {'a',         kPairSymbol, kMatch3Symbol,  kPairSymbol,
                                       kPairSymbol, 1,           kPairSymbol + 1};
    ASSERT_EQ(codes.size(), expected.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(codes[i].symbol, expected[i]) << i;
    }
}

TEST(CompandParts, FormatMappingsAtTheirBoundaries) {
    for (int c = 0; c < kMatchLongClasses; ++c) {
        EXPECT_EQ(distanceBase(c), compand_test::kDistanceBase[c]);
        EXPECT_EQ(distanceClassOf(compand_test::kDistanceBase[c]), c);
        if (c > 0) {
            EXPECT_EQ(distanceClassOf(compand_test::kDistanceBase[c] - 1), c - 1);
        }
    }
    EXPECT_EQ(distanceClassOf(kMaxDistance), 14);
    EXPECT_EQ(distanceBase(14) + (1u << distanceBits(14)) - 1, kMaxDistance);
    const int lengths[] = {5, 8, 9, 24, 25, 88, 89, 344, 345, 1368, 1369, 5464};
    const int rows[] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(lengthRowOf(lengths[i]), rows[i]) << lengths[i];
    }
    EXPECT_TRUE(matchFits(kMatch3Symbol + 7, 3, 2040));
    EXPECT_FALSE(matchFits(kMatch4Symbol, 3, 2041));
    EXPECT_TRUE(matchFits(kMatch4Symbol + 9, 4, 8184));
    EXPECT_FALSE(matchFits(kMatchLongSymbol + 10, 4, 8185));
    EXPECT_TRUE(matchFits(kMatchLongSymbol + 14, 5464, 262136));
    EXPECT_FALSE(matchFits(kMatchLongSymbol + 14, 5465, 262136));
    EXPECT_FALSE(matchFits(kMatchLongSymbol + 15, 5, 262137));
}

// Random bytes with one planted repeat of `length` bytes `distance` back; returns the pre-code
// that starts at the repeat.
PreCode codeAtRepeat(int length, std::uint32_t distance) {
    std::mt19937 random(static_cast<unsigned>(length * 7919 + static_cast<int>(distance)));
    std::vector<std::uint8_t> data(distance + static_cast<std::size_t>(length) + 64);
    for (std::uint8_t& b : data) {
        b = static_cast<std::uint8_t>(random() & 0xFF);
    }
    const std::size_t start = 20;
    for (int i = 0; i < length; ++i) {
        data[start + distance + static_cast<std::size_t>(i)] =
            data[start + static_cast<std::size_t>(i)];
    }
    std::uint8_t& after = data[start + distance + static_cast<std::size_t>(length)];
    if (after == data[start + static_cast<std::size_t>(length)]) {
        after ^= 1;
    }
    auto finder = std::make_unique<MatchFinder>();
    finder->append(data.data(), data.size());
    std::vector<PreCode> codes;
    finder->collect(data.size(), codes);
    std::size_t position = 0;
    for (const PreCode& code : codes) {
        if (position == start + distance) {
            return code;
        }
        position += code.length > 0 ? code.length : 1;
    }
    return PreCode{0xFFFF, 0, 0};
}

TEST(CompandParts, MatchFinderKeepsTheDistanceLimitsPerLength) {
    for (int length : {5, 8, 9, 24, 25, 88, 89, 344, 345, 1368, 1369, 5464}) {
        const PreCode code = codeAtRepeat(length, 1000);
        EXPECT_EQ(code.length, length);
        EXPECT_EQ(code.distance, 1000u);
    }
    EXPECT_EQ(codeAtRepeat(5470, 300).length, 5464); // the longest match
    EXPECT_EQ(codeAtRepeat(3, 2040).length, 3);
    EXPECT_EQ(codeAtRepeat(3, 2041).length, 0);
    EXPECT_EQ(codeAtRepeat(4, 8184).length, 4);
    EXPECT_EQ(codeAtRepeat(4, 8185).length, 0);
    const PreCode farthest = codeAtRepeat(5, 262136);
    EXPECT_EQ(farthest.length, 5);
    EXPECT_EQ(farthest.symbol, kMatchLongSymbol + 14);
    EXPECT_EQ(codeAtRepeat(5, 262137).length, 0);
}

TEST(CompandParts, SymbolWriterRefusesInconsistentData) {
    std::vector<std::uint8_t> out;
    BitWriter bits(out);
    std::vector<std::string> messages;
    SymbolWriter writer(bits, messages);
    EXPECT_TRUE(writer.symbol(kEndSymbol));
    EXPECT_FALSE(writer.symbol(kSymbolCount));
    EXPECT_FALSE(writer.preCode(PreCode{kMatch4Symbol, 3, 3000}));
    EXPECT_FALSE(writer.preCode(PreCode{kEndSymbol, 0, 0}));
    EXPECT_FALSE(writer.bits(4, 2));
    CodeLengths lengths = initialCodeLengths();
    lengths[3] = 0;
    EXPECT_FALSE(writer.setLengths(lengths));
    lengths[3] = 17;
    EXPECT_FALSE(writer.sendLengths(lengths));
    lengths.fill(2);
    EXPECT_FALSE(writer.setLengths(lengths));
    const std::vector<std::string> expected = {"Ung\xFCltiges Zeichen in Precode",
                                               "Ung\xFCltiges Zeichen in Precode",
                                               "Ung\xFCltiges Zeichen in Precode",
                                               "CodeOut erhielt unsaubere Daten!",
                                               "PreCodesToOutbuf: Huffman-Codel\xE4nge zu klein.",
                                               "PreCodesToOutbuf: Huffman-Codel\xE4nge zu gro\xDF.",
                                               "Fehler 4 bei Huffman-Codierung."};
    EXPECT_EQ(messages, expected);
    // Only the end symbol went out, the lengths stayed at 9.
    EXPECT_EQ(out, std::vector<std::uint8_t>{0x80});
    EXPECT_EQ(writer.lengths(), initialCodeLengths());
}

} // namespace
} // namespace sonora::compand
