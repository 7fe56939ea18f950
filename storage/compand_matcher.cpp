// The encoder's window, hash chains and match choice.
//
// Greedy matching with one step of lookahead: when the match at the next position is longer,
// the current byte goes out as a literal (repeated while that keeps paying).
#include "storage/compand_matcher.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace sonora::compand {

namespace {

constexpr int kHashBits = 16;
constexpr std::size_t kHashSize = std::size_t{1} << kHashBits;
constexpr std::uint32_t kHashMultiplier = 0x9E3779B1u; // 2^32 / golden ratio, spreads the bits
constexpr int kBitsPerWord = 32;
// Matches at least this long are taken without looking one byte further.
constexpr int kLazyMaxLength = 32;
constexpr std::size_t kWordBytes = 8;

bool allowedMatch(int length, std::uint32_t distance) {
    if (length >= 5) {
        return distance <= kMaxDistance;
    }
    if (length == 4) {
        return distance <= kMaxDistanceLength4;
    }
    return length == kMinMatch && distance <= kMaxDistanceLength3;
}

} // namespace

MatchFinder::MatchFinder(std::size_t inputBytes)
    : window_(std::max<std::size_t>(1, std::min(inputBytes, kHistoryBytes + kChunkBytes))),
      head_(kHashSize, -1), prev_(window_.size(), -1) {}

void MatchFinder::append(const std::uint8_t* data, std::size_t count) {
    if (count > 0) {
        std::memcpy(window_.data() + end_, data, count);
        end_ += count;
    }
}

std::uint32_t MatchFinder::hashAt(std::size_t position) const {
    const std::uint32_t bytes = (std::uint32_t{window_[position]} << 16) |
                                (std::uint32_t{window_[position + 1]} << 8) | window_[position + 2];
    return (bytes * kHashMultiplier) >> (kBitsPerWord - kHashBits);
}

void MatchFinder::insertUpTo(std::size_t position) {
    const std::size_t stop = std::min(position, end_ >= 2 ? end_ - 2 : 0);
    for (std::size_t p = inserted_; p < stop; ++p) {
        const std::uint32_t hash = hashAt(p);
        prev_[p] = head_[hash];
        head_[hash] = static_cast<std::int32_t>(p);
    }
    inserted_ = std::max(inserted_, position);
}

int MatchFinder::matchLength(std::size_t earlier, std::size_t position, int maxLength) const {
    const std::uint8_t* a = window_.data() + earlier;
    const std::uint8_t* b = window_.data() + position;
    int length = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (length + static_cast<int>(kWordBytes) <= maxLength) {
            std::uint64_t x;
            std::uint64_t y;
            std::memcpy(&x, a + length, kWordBytes);
            std::memcpy(&y, b + length, kWordBytes);
            if (x != y) {
                return length + std::countr_zero(x ^ y) / 8;
            }
            length += static_cast<int>(kWordBytes);
        }
    }
    while (length < maxLength && a[length] == b[length]) {
        ++length;
    }
    return length;
}

MatchFinder::Match MatchFinder::findMatch(std::size_t position, int longerThan) {
    insertUpTo(position);
    Match best;
    best.length = longerThan;
    const int maxLength = static_cast<int>(std::min<std::size_t>(kMaxMatch, end_ - position));
    if (maxLength < kMinMatch || maxLength <= longerThan) {
        return Match{};
    }
    std::int32_t candidate = head_[hashAt(position)];
    for (int step = 0; step < kMaxCandidates && candidate >= 0; ++step) {
        const auto earlier = static_cast<std::size_t>(candidate);
        const auto distance = static_cast<std::uint32_t>(position - earlier);
        if (distance > kMaxDistance) {
            break; // the chain only gets older
        }
        candidate = prev_[earlier];
        if (best.length > 0 && window_[earlier + static_cast<std::size_t>(best.length)] !=
                                   window_[position + static_cast<std::size_t>(best.length)]) {
            continue;
        }
        const int length = matchLength(earlier, position, maxLength);
        if (length > best.length && allowedMatch(length, distance)) {
            best = Match{length, distance};
            if (length == maxLength) {
                break;
            }
        }
    }
    return best.distance == 0 ? Match{} : best;
}

void MatchFinder::collect(std::size_t limit, std::vector<PreCode>& preCodes) {
    std::size_t position = cursor_;
    while (position < limit) {
        Match match = findMatch(position);
        while (match.length > 0 && match.length < kLazyMaxLength && position + 1 < end_) {
            // Only a longer match at the next byte counts, which lets most candidates fail on
            // their first compared byte.
            const Match next = findMatch(position + 1, match.length);
            if (next.length == 0) {
                break;
            }
            preCodes.push_back(PreCode{window_[position], 0, 0});
            ++position;
            match = next;
        }
        if (match.length == 0) {
            preCodes.push_back(PreCode{window_[position], 0, 0});
            ++position;
            continue;
        }
        preCodes.push_back(
            PreCode{static_cast<std::uint16_t>(matchSymbol(match.length, match.distance)),
                    static_cast<std::uint16_t>(match.length), match.distance});
        position += static_cast<std::size_t>(match.length);
    }
    cursor_ = position;
}

void MatchFinder::slide() {
    if (cursor_ <= kHistoryBytes) {
        return;
    }
    const std::size_t shift = cursor_ - kHistoryBytes;
    const auto shiftPosition = [shift](std::int32_t p) {
        return p < static_cast<std::int32_t>(shift) ? -1 : p - static_cast<std::int32_t>(shift);
    };
    std::memmove(window_.data(), window_.data() + shift, end_ - shift);
    for (std::size_t p = shift; p < end_; ++p) {
        prev_[p - shift] = shiftPosition(prev_[p]);
    }
    for (std::int32_t& p : head_) {
        p = shiftPosition(p);
    }
    end_ -= shift;
    cursor_ -= shift;
    inserted_ = inserted_ > shift ? inserted_ - shift : 0;
}

} // namespace sonora::compand
