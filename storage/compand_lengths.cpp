// Code-length construction of the encoder.
//
// Length L goes to every symbol whose weight is at least about 71 % of the remaining weight per
// free code of length L, which puts a symbol of share p near length -log2(p). The threshold is
// recomputed after every assignment, so the codes never over-fill the code space; when the free
// codes outnumber the remaining symbols, all of them take the current length.
#include "storage/compand_lengths.h"

namespace sonora::compand {

namespace {

// Threshold factor in percent.
constexpr std::uint64_t kThresholdPercent = 71;
constexpr std::uint64_t kPercent = 100;

std::uint64_t threshold(std::uint64_t remainingWeight, std::uint64_t freeCodes) {
    return (kThresholdPercent * remainingWeight / kPercent + freeCodes - 1) / freeCodes;
}

// One attempt; false when it ran out of codes or symbols were left after length 16.
bool tryConstruct(const SymbolWeights& weights, CodeLengths& lengths) {
    std::array<bool, kSymbolCount> assigned{};
    std::uint64_t freeCodes = 1;
    std::uint64_t remaining = kSymbolCount;
    std::uint64_t remainingWeight = 0;
    for (std::uint64_t w : weights) {
        remainingWeight += w;
    }
    for (int length = 1; length <= kMaxCodeLength && remaining > 0; ++length) {
        freeCodes *= 2;
        std::uint64_t limit = threshold(remainingWeight, freeCodes);
        for (int symbol = 0; symbol < kSymbolCount; ++symbol) {
            if (assigned[symbol] || weights[symbol] < limit) {
                continue;
            }
            assigned[symbol] = true;
            lengths[symbol] = static_cast<std::uint8_t>(length);
            --freeCodes;
            --remaining;
            remainingWeight -= weights[symbol];
            if (freeCodes < remaining) {
                if (freeCodes == 0) {
                    return false;
                }
                limit = remainingWeight < remaining ? 1 : threshold(remainingWeight, freeCodes);
            } else {
                limit = 0;
            }
        }
    }
    return remaining == 0;
}

} // namespace

bool constructCodeLengths(const SymbolWeights& weights, CodeLengths& lengths, int maxRetries) {
    SymbolWeights current = weights;
    for (int attempt = 0; attempt <= maxRetries; ++attempt) {
        if (tryConstruct(current, lengths)) {
            return true;
        }
        for (std::uint64_t& w : current) {
            ++w;
        }
    }
    return false;
}

} // namespace sonora::compand
