// Bit writer and bit reader of the compressed stream: most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sonora::compand {

// Appends codes below the pending bits and emits every complete byte from the top.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // Appends the low `count` bits (0..32) of `value`. Returns false and writes nothing when the
    // value has bits above them or the count is out of range.
    bool put(std::uint32_t value, int count) {
        if (count < 0 || count > kMaxPutBits || (count < kMaxPutBits && (value >> count) != 0)) {
            return false;
        }
        pending_ = (pending_ << count) | value;
        pendingBits_ += count;
        while (pendingBits_ >= 8) {
            pendingBits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(pending_ >> pendingBits_));
        }
        return true;
    }

    // Bits appended but not yet emitted (0..7).
    int pendingBits() const { return pendingBits_; }

private:
    static constexpr int kMaxPutBits = 32;
    std::vector<std::uint8_t>& out_;
    std::uint64_t pending_ = 0; // the low pendingBits_ bits are waiting
    int pendingBits_ = 0;
};

// Takes codes from the top of a 64-bit buffer that is refilled byte by byte at the bottom. Past the
// end of the source it feeds zero bytes, so peeking never reads outside the source; overrun()
// tells whether more bits were consumed than the source holds.
class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Tops the buffer up to at least kGuaranteedBits bits.
    void refill() {
        while (bufferBits_ <= kBufferBits - 8) {
            const std::uint64_t byte = position_ < size_ ? data_[position_] : 0;
            ++position_;
            buffer_ |= byte << (kBufferBits - 8 - bufferBits_);
            bufferBits_ += 8;
        }
    }

    // The next `count` bits (1..32) without consuming them; call refill() first.
    std::uint32_t peek(int count) const {
        return static_cast<std::uint32_t>(buffer_ >> (kBufferBits - count));
    }
    void consume(int count) {
        buffer_ <<= count;
        bufferBits_ -= count;
    }
    // Reads `count` bits (1..32); refills by itself.
    std::uint32_t read(int count) {
        if (bufferBits_ < count) {
            refill();
        }
        const std::uint32_t value = peek(count);
        consume(count);
        return value;
    }

    // True when more bits were consumed than the source holds.
    bool overrun() const { return consumedBits() > static_cast<std::uint64_t>(size_) * 8; }
    std::uint64_t consumedBits() const {
        return static_cast<std::uint64_t>(position_) * 8 - static_cast<std::uint64_t>(bufferBits_);
    }

    // Bits a refill guarantees: enough for a code of 16 bits, 18 length bits and 17 distance bits.
    static constexpr int kGuaranteedBits = 57;

private:
    static constexpr int kBufferBits = 64;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0; // next byte to load, counting the zero bytes fed past the end
    std::uint64_t buffer_ = 0; // the next bits, left-aligned
    int bufferBits_ = 0;
};

} // namespace sonora::compand
