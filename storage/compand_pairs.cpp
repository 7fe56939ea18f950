// The pair ring and the encoder's pair choice.
#include "storage/compand_pairs.h"

#include <algorithm>

namespace sonora::compand {

namespace {

constexpr std::size_t kPairValues = std::size_t{1} << 16;
// A pair must occur more often than this in a chunk to be sent.
constexpr std::uint32_t kMinPairCount = 5;

bool isLiteral(const PreCode& code) {
    return code.symbol < kEndSymbol;
}

std::uint16_t pairOf(const PreCode& high, const PreCode& low) {
    return static_cast<std::uint16_t>((high.symbol << 8) | low.symbol);
}

} // namespace

PairTable::PairTable() : where_(kPairValues, -1) {
    for (int i = 0; i < kPairCount; ++i) {
        entries_[i] = static_cast<std::uint16_t>(i);
        where_[static_cast<std::size_t>(i)] = static_cast<std::int8_t>(i);
    }
}

void PairTable::append(std::uint16_t pair) {
    if (where_[entries_[next_]] == next_) {
        where_[entries_[next_]] = -1;
    }
    entries_[next_] = pair;
    where_[pair] = static_cast<std::int8_t>(next_);
    next_ = (next_ + 1) % kPairCount;
}

std::vector<std::uint16_t> choosePairs(const std::vector<PreCode>& preCodes,
                                       const PairTable& table) {
    std::vector<std::uint32_t> counts(kPairValues, 0);
    for (std::size_t i = 1; i < preCodes.size(); ++i) {
        if (isLiteral(preCodes[i - 1]) && isLiteral(preCodes[i])) {
            ++counts[pairOf(preCodes[i - 1], preCodes[i])];
        }
    }
    std::vector<std::uint16_t> candidates;
    for (std::size_t pair = 0; pair < kPairValues; ++pair) {
        if (counts[pair] > kMinPairCount && table.find(static_cast<std::uint16_t>(pair)) < 0) {
            candidates.push_back(static_cast<std::uint16_t>(pair));
        }
    }
    const auto moreFrequent = [&counts](std::uint16_t a, std::uint16_t b) {
        return counts[a] != counts[b] ? counts[a] > counts[b] : a < b;
    };
    const std::size_t kept = std::min(candidates.size(), static_cast<std::size_t>(kMaxNewPairs));
    std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(kept),
                      candidates.end(), moreFrequent);
    candidates.resize(kept);
    return candidates;
}

void replacePairs(std::vector<PreCode>& preCodes, const PairTable& table) {
    std::size_t to = 0;
    std::size_t from = 0;
    while (from < preCodes.size()) {
        if (from + 1 < preCodes.size() && isLiteral(preCodes[from]) &&
            isLiteral(preCodes[from + 1])) {
            const int index = table.find(pairOf(preCodes[from], preCodes[from + 1]));
            if (index >= 0) {
                preCodes[to++] = PreCode{static_cast<std::uint16_t>(kPairSymbol + index), 0, 0};
                from += 2;
                continue;
            }
        }
        preCodes[to++] = preCodes[from++];
    }
    preCodes.resize(to);
}

} // namespace sonora::compand
