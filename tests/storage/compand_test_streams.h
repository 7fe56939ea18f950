// Hand-built compressed streams for the compressor's tests: a bit writer, canonical codes and the
// symbol layout written out here on their own, without the compressor's code.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace sonora::compand_test {

inline constexpr int kSymbols = 356;
inline constexpr int kEnd = 256;
inline constexpr int kLengths = 257;
inline constexpr int kPairs = 258;
inline constexpr int kFirstPair = 292;

// First distance of each class, as listed for the format.
inline constexpr std::array<std::uint32_t, 15> kDistanceBase = {
    1, 9, 25, 57, 121, 249, 505, 1017, 2041, 4089, 8185, 16377, 32761, 65529, 131065};
// First length of each row of long matches; row j has 2j extra bits.
inline constexpr std::array<int, 6> kRowFirst = {5, 9, 25, 89, 345, 1369};

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Canonical codes by sorting (length, symbol) and counting up, shifting left at each new length.
inline std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths) {
    std::vector<int> order(lengths.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return lengths[a] < lengths[b]; });
    std::vector<std::uint32_t> codes(lengths.size());
    std::uint32_t code = 0;
    int length = lengths[order[0]];
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0) {
            ++code;
        }
        code <<= lengths[order[i]] - length;
        length = lengths[order[i]];
        codes[order[i]] = code;
    }
    return codes;
}

class StreamBuilder {
public:
    StreamBuilder() : lengths_(kSymbols, 9), codes_(canonicalCodes(lengths_)) {}

    // Appends `count` bits of `value`, most significant first.
    StreamBuilder& bits(std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            bits_.push_back(((value >> i) & 1u) != 0);
        }
        return *this;
    }
    StreamBuilder& symbol(int s) { return bits(codes_[s], lengths_[s]); }
    StreamBuilder& literals(const std::string& text) {
        for (unsigned char c : text) {
            symbol(c);
        }
        return *this;
    }
    // A match with its symbol, length bits and distance bits.
    StreamBuilder& match(int length, std::uint32_t distance) {
        int distanceClass = 0;
        while (distanceClass + 1 < static_cast<int>(kDistanceBase.size()) &&
               distance >= kDistanceBase[distanceClass + 1]) {
            ++distanceClass;
        }
        if (length == 3) {
            symbol(259 + distanceClass);
        } else if (length == 4) {
            symbol(267 + distanceClass);
        } else {
            symbol(277 + distanceClass);
            int row = 0;
            while (row + 1 < static_cast<int>(kRowFirst.size()) && length >= kRowFirst[row + 1]) {
                ++row;
            }
            for (int i = 0; i < row; ++i) {
                bits(1, 1);
            }
            bits(0, 1);
            bits(static_cast<std::uint32_t>(length - kRowFirst[row]), 2 * (row + 1));
        }
        return bits(distance - kDistanceBase[distanceClass], distanceClass + 3);
    }
    // Symbol 257 with `lengths` in the transmitted form; the 8-bit form for every length when
    // longForm is set (a reader accepts it for any length). The lengths become the current code
    // when adopt is set (a test may send lengths the reader must reject).
    StreamBuilder& newLengths(const std::vector<int>& lengths, bool longForm = false,
                              bool adopt = true) {
        symbol(kLengths);
        for (int s = 0; s < kSymbols; ++s) {
            const int l = lengths[s];
            if (s > 0 && l == lengths[s - 1] && !longForm) {
                bits(0, 2);
            } else if (l <= 5 || longForm) {
                bits(0b0100, 4).bits(static_cast<std::uint32_t>(l - 1), 4);
            } else {
                bits(static_cast<std::uint32_t>(l - 1), 4);
            }
        }
        if (adopt) {
            lengths_ = lengths;
            codes_ = canonicalCodes(lengths_);
        }
        return *this;
    }
    // Symbol 258 with the given pairs (high byte << 8 | low byte), 1 to 32 of them.
    StreamBuilder& newPairs(const std::vector<std::uint16_t>& pairs) {
        symbol(kPairs).bits(static_cast<std::uint32_t>(pairs.size() - 1), 5);
        for (std::uint16_t pair : pairs) {
            symbol(pair >> 8).symbol(pair & 0xFF);
        }
        return *this;
    }
    StreamBuilder& end() { return symbol(kEnd); }

    std::size_t bitCount() const { return bits_.size(); }
    const std::vector<std::uint32_t>& codes() const { return codes_; }

    // Marker plus the bits, padded with zero bits to whole bytes.
    std::vector<std::uint8_t> bytes(const std::string& marker = "MyIni2CK") const {
        std::vector<std::uint8_t> out(marker.begin(), marker.end());
        for (std::size_t i = 0; i < bits_.size(); i += 8) {
            std::uint8_t byte = 0;
            for (std::size_t k = 0; k < 8; ++k) {
                byte = static_cast<std::uint8_t>(byte << 1);
                if (i + k < bits_.size() && bits_[i + k]) {
                    byte |= 1;
                }
            }
            out.push_back(byte);
        }
        return out;
    }

private:
    std::vector<bool> bits_;
    std::vector<int> lengths_;
    std::vector<std::uint32_t> codes_;
};

// What a match does: copies `length` bytes one at a time from `distance` back.
inline void copyMatch(std::vector<std::uint8_t>& out, int length, std::uint32_t distance) {
    for (int i = 0; i < length; ++i) {
        out.push_back(out[out.size() - distance]);
    }
}

} // namespace sonora::compand_test
