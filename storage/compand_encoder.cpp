// Encoder of the compressed stream.
//
// The source goes through the window in chunks of up to 1 MiB; all but the last chunk leave their
// final 5464 bytes (the longest match) for the next round so that no match is cut at a chunk end.
// Per chunk: literals and matches, new pairs, code lengths from the symbol counts, then the
// choice between the new lengths and the current ones by their cost in bits.
#include "storage/compand_encoder.h"

#include <algorithm>
#include <memory>

#include "storage/compand.h"
#include "storage/compand_bits.h"
#include "storage/compand_codes.h"
#include "storage/compand_format.h"
#include "storage/compand_lengths.h"
#include "storage/compand_matcher.h"
#include "storage/compand_pairs.h"
#include "storage/compand_symbols.h"

namespace sonora::compand {

namespace {

// Weights: 1 + 5 per occurrence; symbols 257 and 258 get 5 more, as later chunks may use them.
constexpr std::uint64_t kWeightPerCount = 5;
constexpr std::uint64_t kControlSymbolBonus = 5;
// Cost of sending new lengths beyond the lengths themselves (bits).
constexpr std::uint64_t kNewTableOverhead = 16;
// Cost sums are weight · length; the weight holds 5 per occurrence.
constexpr std::uint64_t kCostDivisor = 5;
// Zero bits after the end symbol; they complete the last byte.
constexpr int kTrailingZeroBits = 8;

class Encoder {
public:
    Encoder(BitWriter& bits, std::vector<std::string>& messages,
            std::vector<std::string>& diagnostics)
        : symbols_(bits, messages), messages_(messages), diagnostics_(diagnostics) {}

    bool chunk(std::vector<PreCode>& preCodes);
    bool finish() { return symbols_.symbol(kEndSymbol) && symbols_.bits(0, kTrailingZeroBits); }

private:
    SymbolWeights weigh(const std::vector<PreCode>& preCodes,
                        const std::vector<std::uint16_t>& newPairs) const;
    bool chooseLengths(const SymbolWeights& weights);

    SymbolWriter symbols_;
    PairTable pairs_;
    std::vector<std::string>& messages_;
    std::vector<std::string>& diagnostics_;
};

SymbolWeights Encoder::weigh(const std::vector<PreCode>& preCodes,
                             const std::vector<std::uint16_t>& newPairs) const {
    SymbolWeights counts{};
    for (const PreCode& code : preCodes) {
        ++counts[code.symbol];
    }
    if (!newPairs.empty()) {
        ++counts[kNewPairsSymbol];
        for (std::uint16_t pair : newPairs) {
            ++counts[pair >> 8];
            ++counts[pair & 0xFF];
        }
    }
    SymbolWeights weights;
    for (int s = 0; s < kSymbolCount; ++s) {
        weights[s] = 1 + kWeightPerCount * counts[s];
    }
    weights[kNewLengthsSymbol] += kControlSymbolBonus;
    weights[kNewPairsSymbol] += kControlSymbolBonus;
    return weights;
}

bool Encoder::chooseLengths(const SymbolWeights& weights) {
    CodeLengths fresh;
    if (!constructCodeLengths(weights, fresh)) {
        addMessage(messages_, kMsgHuffman3);
        return false;
    }
    std::uint64_t freshSum = 0;
    std::uint64_t currentSum = 0;
    for (int s = 0; s < kSymbolCount; ++s) {
        freshSum += weights[s] * fresh[s];
        currentSum += weights[s] * symbols_.lengths()[s];
    }
    const std::uint64_t freshCost = kNewTableOverhead +
                                    static_cast<std::uint64_t>(codeLengthsCost(fresh)) +
                                    freshSum / kCostDivisor;
    const std::uint64_t currentCost = currentSum / kCostDivisor;
    if (freshCost >= currentCost) {
        addMessage(diagnostics_, kMsgTableReused);
        return true;
    }
    return symbols_.sendLengths(fresh);
}

bool Encoder::chunk(std::vector<PreCode>& preCodes) {
    const std::vector<std::uint16_t> newPairs = choosePairs(preCodes, pairs_);
    for (std::uint16_t pair : newPairs) {
        pairs_.append(pair);
    }
    replacePairs(preCodes, pairs_);
    if (!chooseLengths(weigh(preCodes, newPairs))) {
        return false;
    }
    if (!newPairs.empty()) {
        if (!symbols_.symbol(kNewPairsSymbol) ||
            !symbols_.bits(static_cast<std::uint32_t>(newPairs.size() - 1), kPairCountBits)) {
            return false;
        }
        for (std::uint16_t pair : newPairs) {
            if (!symbols_.symbol(pair >> 8) || !symbols_.symbol(pair & 0xFF)) {
                return false;
            }
        }
    }
    for (const PreCode& code : preCodes) {
        if (!symbols_.preCode(code)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool compressCompandStream(const std::vector<std::uint8_t>& source,
                           std::vector<std::uint8_t>& destination,
                           std::vector<std::string>& messages,
                           std::vector<std::string>& diagnostics) {
    destination.assign(kCompandMarker, kCompandMarker + kCompandMarkerLength);
    BitWriter bits(destination);
    Encoder encoder(bits, messages, diagnostics);
    // The window and hash chains take up to about 8 MB: kept off the stack, and no larger than
    // the input needs (a small file would otherwise pay for clearing all of it).
    auto finder = std::make_unique<MatchFinder>(source.size());
    std::vector<PreCode> preCodes;
    std::size_t read = 0;
    for (;;) {
        const std::size_t unencoded = finder->end() - finder->cursor();
        const std::size_t take = std::min(kChunkBytes - unencoded, source.size() - read);
        finder->append(source.data() + read, take);
        read += take;
        const bool last = read == source.size();
        const std::size_t limit = last ? finder->end() : finder->end() - kMaxMatch;
        preCodes.clear();
        finder->collect(limit, preCodes);
        if (!encoder.chunk(preCodes)) {
            return false;
        }
        if (last) {
            break;
        }
        finder->slide();
    }
    return encoder.finish();
}

} // namespace sonora::compand
