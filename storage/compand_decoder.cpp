// Decoder of the compressed stream: one table lookup per symbol, matches copied from the output.
#include "storage/compand_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <exception>

#include "storage/compand.h"
#include "storage/compand_bits.h"
#include "storage/compand_codes.h"
#include "storage/compand_format.h"

namespace sonora::compand {

namespace {

// The destination grows at least by this much (bytes), so that small streams do not reallocate
// for every few bytes.
constexpr std::size_t kMinGrowth = std::size_t{1} << 16;
// Initial guess of the expanded size: text compresses to about a quarter.
constexpr std::size_t kExpectedRatio = 4;
// Length prefixes hold at most five one-bits (row 6).
constexpr int kMaxLengthPrefixOnes = kLengthRows - 1;
constexpr int kLengthPrefixPeekBits = kLengthRows;
constexpr int kBitsPerWord = 32;

enum class Failure { None, BadSymbol, Damaged, OutputFull };

class Decoder {
public:
    Decoder(const std::vector<std::uint8_t>& source, std::vector<std::uint8_t>& out,
            std::size_t maxOutput, std::vector<std::string>& messages)
        : reader_(source.data() + kCompandMarkerLength, source.size() - kCompandMarkerLength),
          out_(out), maxOutput_(maxOutput), messages_(messages) {
        buildDecodeTable(initialCodeLengths(), table_);
        for (int i = 0; i < kPairCount; ++i) {
            pairs_[i] = static_cast<std::uint16_t>(i);
        }
        out_.clear();
        out_.resize(std::min(maxOutput_, std::max(kMinGrowth, source.size() * kExpectedRatio)));
    }

    Failure run();
    bool damaged() const { return damaged_; }
    void finish() { out_.resize(size_); }

private:
    // Makes room for `count` more bytes within maxOutput; returns how many fit.
    std::size_t room(std::size_t count) {
        const std::size_t wanted = std::min(count, maxOutput_ - size_);
        if (size_ + wanted > out_.size()) {
            const std::size_t grown = std::max({size_ + wanted, out_.size() * 2, kMinGrowth});
            out_.resize(std::min(grown, maxOutput_));
        }
        return wanted;
    }
    Failure literal(std::uint8_t byte) {
        if (room(1) < 1) {
            return Failure::OutputFull;
        }
        out_[size_++] = byte;
        return Failure::None;
    }
    Failure match(int symbol);
    Failure newPairs();
    Failure newLengths();
    // The next symbol, or -1 when the next 16 bits start no code.
    int decodeSymbol() {
        reader_.refill();
        const DecodeEntry entry = table_[reader_.peek(kMaxCodeLength)];
        if (entry.length == 0) {
            return -1;
        }
        reader_.consume(entry.length);
        return entry.symbol;
    }

    BitReader reader_;
    std::vector<std::uint8_t>& out_;
    std::size_t size_ = 0; // bytes of out_ in use
    std::size_t maxOutput_;
    std::vector<std::string>& messages_;
    DecodeTable table_;
    std::array<std::uint16_t, kPairCount> pairs_; // high byte, low byte
    int pairWrite_ = 0;
    bool damaged_ = false; // code lengths were rejected
};

Failure Decoder::run() {
    for (;;) {
        const int symbol = decodeSymbol();
        if (symbol < 0) {
            return Failure::BadSymbol;
        }
        if (reader_.overrun()) {
            return Failure::Damaged;
        }
        Failure failure = Failure::None;
        if (symbol < kEndSymbol) {
            failure = literal(static_cast<std::uint8_t>(symbol));
        } else if (symbol >= kPairSymbol) {
            const std::uint16_t pair = pairs_[symbol - kPairSymbol];
            failure = literal(static_cast<std::uint8_t>(pair >> 8));
            if (failure == Failure::None) {
                failure = literal(static_cast<std::uint8_t>(pair & 0xFF));
            }
        } else if (symbol >= kMatch3Symbol) {
            failure = match(symbol);
        } else if (symbol == kEndSymbol) {
            return Failure::None;
        } else if (symbol == kNewLengthsSymbol) {
            failure = newLengths();
        } else {
            failure = newPairs();
        }
        if (failure != Failure::None) {
            return failure;
        }
    }
}

Failure Decoder::match(int symbol) {
    int length;
    int distanceClass;
    if (symbol < kMatch4Symbol) {
        length = 3;
        distanceClass = symbol - kMatch3Symbol;
    } else if (symbol < kMatchLongSymbol) {
        length = 4;
        distanceClass = symbol - kMatch4Symbol;
    } else {
        distanceClass = symbol - kMatchLongSymbol;
        // decodeSymbol left at least 41 bits in the reader: enough for prefix and extra bits.
        const std::uint32_t prefix = reader_.peek(kLengthPrefixPeekBits);
        const int ones = std::countl_one(prefix << (kBitsPerWord - kLengthPrefixPeekBits));
        if (ones > kMaxLengthPrefixOnes) {
            return Failure::Damaged;
        }
        reader_.consume(ones + 1);
        const int row = ones + 1;
        length = kLengthRowFirst[row - 1] + static_cast<int>(reader_.read(lengthRowExtraBits(row)));
    }
    const std::uint32_t distance =
        reader_.read(distanceBits(distanceClass)) + distanceBase(distanceClass);
    if (reader_.overrun() || distance > size_) {
        return Failure::Damaged;
    }
    const std::size_t count = room(static_cast<std::size_t>(length));
    std::uint8_t* to = out_.data() + size_;
    const std::uint8_t* from = to - distance;
    if (distance >= count) {
        std::memcpy(to, from, count);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    }
    size_ += count;
    return count < static_cast<std::size_t>(length) ? Failure::OutputFull : Failure::None;
}

Failure Decoder::newPairs() {
    const int count = static_cast<int>(reader_.read(kPairCountBits)) + 1;
    for (int i = 0; i < count; ++i) {
        const int high = decodeSymbol();
        const int low = high < 0 ? -1 : decodeSymbol();
        if (high < 0 || low < 0 || high > 0xFF || low > 0xFF) {
            return Failure::BadSymbol;
        }
        pairs_[pairWrite_] = static_cast<std::uint16_t>((high << 8) | low);
        pairWrite_ = (pairWrite_ + 1) % kPairCount;
    }
    return reader_.overrun() ? Failure::Damaged : Failure::None;
}

Failure Decoder::newLengths() {
    const CodeLengths lengths = readCodeLengths(reader_);
    if (reader_.overrun()) {
        return Failure::Damaged; // cut off: the lengths are not worth a check
    }
    const CodeLengthsCheck check = buildDecodeTable(lengths, table_);
    if (check != CodeLengthsCheck::Ok) {
        addMessage(messages_, codeLengthsMessage(check));
        damaged_ = true;
    }
    return Failure::None;
}

} // namespace

bool expandCompandStream(const std::vector<std::uint8_t>& source,
                         std::vector<std::uint8_t>& destination, std::size_t maxOutput,
                         std::vector<std::string>& messages) {
    destination.clear();
    if (source.size() < kCompandMarkerLength) {
        addMessage(messages, kMsgExpandFailed);
        return false;
    }
    try {
        Decoder decoder(source, destination, maxOutput, messages);
        const Failure failure = decoder.run();
        decoder.finish();
        switch (failure) {
        case Failure::None:
            return !decoder.damaged();
        case Failure::BadSymbol:
            addMessage(messages, kMsgBadSymbol);
            break;
        case Failure::Damaged:
            addMessage(messages, kMsgExpandFailed);
            break;
        case Failure::OutputFull:
            addMessage(messages, kMsgExpandWrite);
            break;
        }
        return false;
    } catch (const std::exception&) {
        // Only allocation can throw here: the destination could not grow.
        addMessage(messages, kMsgExpandFailed);
        return false;
    }
}

} // namespace sonora::compand
