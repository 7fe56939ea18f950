// The encoder's window with hash chains and its choice of literals and matches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "storage/compand_format.h"

namespace sonora::compand {

// Candidates looked at per position: the 32 most recent positions with the same hash.
inline constexpr int kMaxCandidates = 32;

// The window holds up to kHistoryBytes of history before the cursor plus the bytes of one chunk.
class MatchFinder {
public:
    // `inputBytes`: the size of the whole input, which bounds the window that is ever needed.
    explicit MatchFinder(std::size_t inputBytes = kHistoryBytes + kChunkBytes);

    // Appends `count` bytes behind the window's end; the caller keeps the unencoded bytes
    // (end() - cursor()) plus `count` within kChunkBytes.
    void append(const std::uint8_t* data, std::size_t count);

    // Collects literals and matches from the cursor until it reaches `limit` (a match started
    // before `limit` may end beyond it). Matches never reach past end().
    void collect(std::size_t limit, std::vector<PreCode>& preCodes);

    // Drops all but the last kHistoryBytes before the cursor; positions move down accordingly.
    void slide();

    std::size_t end() const { return end_; }
    std::size_t cursor() const { return cursor_; }

private:
    struct Match {
        int length = 0; // 0: none
        std::uint32_t distance = 0;
    };

    // The longest allowed match at `position` that is longer than `longerThan` (length 0: none).
    // Inserts all positions before it into the hash chains first.
    Match findMatch(std::size_t position, int longerThan = 0);
    void insertUpTo(std::size_t position);
    std::uint32_t hashAt(std::size_t position) const;
    int matchLength(std::size_t earlier, std::size_t position, int maxLength) const;

    std::vector<std::uint8_t> window_;
    std::size_t end_ = 0;            // bytes in the window
    std::size_t cursor_ = 0;         // next position to encode
    std::size_t inserted_ = 0;       // positions below this are in the hash chains
    std::vector<std::int32_t> head_; // per hash: most recent position or -1
    std::vector<std::int32_t> prev_; // per position: previous one with the same hash or -1
};

} // namespace sonora::compand
