// The ring of 64 byte pairs sent as single symbols, and the encoder's choice and use of pairs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "storage/compand_format.h"

namespace sonora::compand {

// Entry i starts as the pair (0, i); new pairs overwrite the entries in ring order from entry 0.
class PairTable {
public:
    PairTable();

    // High byte << 8 | low byte of entry `index` (0..63).
    std::uint16_t entry(int index) const { return entries_[index]; }
    // The entry holding `pair`, or -1.
    int find(std::uint16_t pair) const { return where_[pair]; }
    // Writes `pair` into the next entry of the ring.
    void append(std::uint16_t pair);

private:
    std::array<std::uint16_t, kPairCount> entries_;
    std::vector<std::int8_t> where_; // per pair value: its entry or -1
    int next_ = 0;
};

// Pairs of two literal pre-codes following each other, counted more than 5 times and not in the
// table: the at most 32 most frequent, most frequent first (equal counts: lower pair value first).
std::vector<std::uint16_t> choosePairs(const std::vector<PreCode>& preCodes,
                                       const PairTable& table);

// Replaces every two adjacent literals that form a pair of the table by that pair's symbol,
// scanning from the front.
void replacePairs(std::vector<PreCode>& preCodes, const PairTable& table);

} // namespace sonora::compand
