// Canonical Huffman codes, decoding table and transmitted code lengths of the compressed stream.
#include "storage/compand_codes.h"

#include <algorithm>

namespace sonora::compand {

namespace {

// Transmitted code-length forms.
constexpr std::uint32_t kRepeatPrefix = 0b00;
constexpr int kRepeatBits = 2;
constexpr std::uint32_t kShortPrefix = 0b0100;
constexpr int kShortPrefixBits = 4;
constexpr int kShortLengthMax = 5;
constexpr int kLengthValueBits = 4;
constexpr int kFirstEntryCost = 5;
constexpr int kShortFormBits = kShortPrefixBits + kLengthValueBits;

} // namespace

CodeLengthsCheck checkCodeLengths(const CodeLengths& lengths) {
    std::uint64_t used = 0; // code space in units of 2^-16
    for (std::uint8_t length : lengths) {
        if (length < 1) {
            return CodeLengthsCheck::TooSmall;
        }
        if (length > kMaxCodeLength) {
            return CodeLengthsCheck::TooLarge;
        }
        used += std::uint64_t{1} << (kMaxCodeLength - length);
    }
    return used > kDecodeTableSize ? CodeLengthsCheck::Overfull : CodeLengthsCheck::Ok;
}

std::string_view codeLengthsMessage(CodeLengthsCheck check) {
    switch (check) {
    case CodeLengthsCheck::TooSmall:
        return kMsgLengthTooSmall;
    case CodeLengthsCheck::TooLarge:
        return kMsgLengthTooLarge;
    case CodeLengthsCheck::Overfull:
        return kMsgOverfull;
    case CodeLengthsCheck::Ok:
        break;
    }
    return {};
}

bool assignCanonicalCodes(const CodeLengths& lengths, Codes& codes) {
    if (checkCodeLengths(lengths) != CodeLengthsCheck::Ok) {
        return false;
    }
    std::array<int, kMaxCodeLength + 1> countPerLength{};
    for (std::uint8_t length : lengths) {
        ++countPerLength[length];
    }
    std::array<std::uint32_t, kMaxCodeLength + 1> nextCode{};
    std::uint32_t code = 0;
    for (int length = 1; length <= kMaxCodeLength; ++length) {
        code = (code + static_cast<std::uint32_t>(countPerLength[length - 1])) << 1;
        nextCode[length] = code;
    }
    for (int symbol = 0; symbol < kSymbolCount; ++symbol) {
        codes[symbol] = static_cast<std::uint16_t>(nextCode[lengths[symbol]]++);
    }
    return true;
}

CodeLengths initialCodeLengths() {
    CodeLengths lengths;
    lengths.fill(kInitialCodeLength);
    return lengths;
}

CodeLengthsCheck buildDecodeTable(const CodeLengths& lengths, DecodeTable& table) {
    const CodeLengthsCheck check = checkCodeLengths(lengths);
    if (check != CodeLengthsCheck::Ok) {
        return check;
    }
    Codes codes;
    assignCanonicalCodes(lengths, codes);
    table.assign(kDecodeTableSize, DecodeEntry{0, 0});
    for (int symbol = 0; symbol < kSymbolCount; ++symbol) {
        const int length = lengths[symbol];
        const std::size_t first = std::size_t{codes[symbol]} << (kMaxCodeLength - length);
        const std::size_t count = std::size_t{1} << (kMaxCodeLength - length);
        std::fill_n(
            table.begin() + static_cast<std::ptrdiff_t>(first), count,
            DecodeEntry{static_cast<std::uint16_t>(symbol), static_cast<std::uint16_t>(length)});
    }
    return CodeLengthsCheck::Ok;
}

int codeLengthsCost(const CodeLengths& lengths) {
    int bits = kFirstEntryCost;
    for (int symbol = 1; symbol < kSymbolCount; ++symbol) {
        if (lengths[symbol] == lengths[symbol - 1]) {
            bits += kRepeatBits;
        } else if (lengths[symbol] <= kShortLengthMax) {
            bits += kShortFormBits;
        } else {
            bits += kLengthValueBits;
        }
    }
    return bits;
}

bool writeCodeLengths(BitWriter& writer, const CodeLengths& lengths) {
    for (int symbol = 0; symbol < kSymbolCount; ++symbol) {
        const int length = lengths[symbol];
        if (length < 1 || length > kMaxCodeLength) {
            return false;
        }
        bool ok;
        if (symbol > 0 && length == lengths[symbol - 1]) {
            ok = writer.put(kRepeatPrefix, kRepeatBits);
        } else if (length <= kShortLengthMax) {
            ok = writer.put(kShortPrefix, kShortPrefixBits) &&
                 writer.put(static_cast<std::uint32_t>(length - 1), kLengthValueBits);
        } else {
            ok = writer.put(static_cast<std::uint32_t>(length - 1), kLengthValueBits);
        }
        if (!ok) {
            return false;
        }
    }
    return true;
}

CodeLengths readCodeLengths(BitReader& reader) {
    CodeLengths lengths;
    std::uint32_t previous = 0;
    for (int symbol = 0; symbol < kSymbolCount; ++symbol) {
        const std::uint32_t head = reader.read(kRepeatBits);
        std::uint32_t length;
        if (head == kRepeatPrefix) {
            length = previous;
        } else {
            const std::uint32_t form = (head << kRepeatBits) | reader.read(kRepeatBits);
            length = form == kShortPrefix ? reader.read(kLengthValueBits) + 1 : form + 1;
        }
        lengths[symbol] = static_cast<std::uint8_t>(length);
        previous = length;
    }
    return lengths;
}

} // namespace sonora::compand
