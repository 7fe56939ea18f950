// Output of symbols and pre-codes.
#include "storage/compand_symbols.h"

#include "storage/compand_codes.h"

namespace sonora::compand {

SymbolWriter::SymbolWriter(BitWriter& bits, std::vector<std::string>& messages)
    : bits_(bits), messages_(messages), lengths_(initialCodeLengths()) {
    assignCanonicalCodes(lengths_, codes_);
}

bool SymbolWriter::acceptable(const CodeLengths& lengths) {
    switch (checkCodeLengths(lengths)) {
    case CodeLengthsCheck::TooSmall:
        addMessage(messages_, kMsgPreCodeTooShort);
        return false;
    case CodeLengthsCheck::TooLarge:
        addMessage(messages_, kMsgPreCodeTooLong);
        return false;
    case CodeLengthsCheck::Overfull:
        addMessage(messages_, kMsgHuffman4);
        return false;
    case CodeLengthsCheck::Ok:
        break;
    }
    return true;
}

bool SymbolWriter::setLengths(const CodeLengths& lengths) {
    if (!acceptable(lengths)) {
        return false;
    }
    lengths_ = lengths;
    assignCanonicalCodes(lengths_, codes_);
    return true;
}

bool SymbolWriter::sendLengths(const CodeLengths& lengths) {
    if (!acceptable(lengths) || !symbol(kNewLengthsSymbol)) {
        return false;
    }
    // Cannot fail: the lengths passed the check.
    writeCodeLengths(bits_, lengths);
    return setLengths(lengths);
}

bool SymbolWriter::bits(std::uint32_t value, int count) {
    if (!bits_.put(value, count)) {
        addMessage(messages_, kMsgUncleanBits);
        return false;
    }
    return true;
}

bool SymbolWriter::symbol(int symbol) {
    if (symbol < 0 || symbol >= kSymbolCount) {
        addMessage(messages_, kMsgBadPreCode);
        return false;
    }
    return bits(codes_[symbol], lengths_[symbol]);
}

bool SymbolWriter::preCode(const PreCode& code) {
    const int s = code.symbol;
    const bool isMatch = s >= kMatch3Symbol && s < kPairSymbol;
    const bool valid = isMatch ? matchFits(s, code.length, code.distance)
                               : s < kEndSymbol || (s >= kPairSymbol && s < kSymbolCount);
    if (!valid) {
        addMessage(messages_, kMsgBadPreCode);
        return false;
    }
    if (!symbol(s)) {
        return false;
    }
    if (!isMatch) {
        return true;
    }
    if (s >= kMatchLongSymbol) {
        const int row = lengthRowOf(code.length);
        // row - 1 one-bits and a closing zero
        const std::uint32_t prefix = ((std::uint32_t{1} << (row - 1)) - 1) << 1;
        const auto extra = static_cast<std::uint32_t>(code.length - kLengthRowFirst[row - 1]);
        if (!bits(prefix, row) || !bits(extra, lengthRowExtraBits(row))) {
            return false;
        }
    }
    const int distanceClass = distanceClassOf(code.distance);
    return bits(code.distance - distanceBase(distanceClass), distanceBits(distanceClass));
}

} // namespace sonora::compand
