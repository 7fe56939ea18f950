// Output of symbols and pre-codes with the current Huffman codes and their consistency checks.
#pragma once

#include <string>
#include <vector>

#include "storage/compand_bits.h"
#include "storage/compand_format.h"

namespace sonora::compand {

class SymbolWriter {
public:
    SymbolWriter(BitWriter& bits, std::vector<std::string>& messages);

    // Makes `lengths` the current code. Lengths outside 1..16 give "PreCodesToOutbuf:
    // Huffman-Codelänge zu groß/zu klein.", lengths that over-fill the code space "Fehler 4 bei
    // Huffman-Codierung."; the current code then stays and the result is false.
    bool setLengths(const CodeLengths& lengths);
    // Sends symbol 257 with the current code and then `lengths`, which become the current code;
    // checks them as setLengths does before anything is written.
    bool sendLengths(const CodeLengths& lengths);
    const CodeLengths& lengths() const { return lengths_; }

    // Writes the code of `symbol`; "Ungültiges Zeichen in Precode" for a value outside 0..355.
    bool symbol(int symbol);
    // Writes `count` plain bits; "CodeOut erhielt unsaubere Daten!" when `value` has more bits.
    bool bits(std::uint32_t value, int count);
    // Writes a literal, pair or match pre-code with its length and distance bits. A match whose
    // symbol does not fit its length and distance is an invalid pre-code.
    bool preCode(const PreCode& code);

private:
    // Reports lengths that cannot form the code.
    bool acceptable(const CodeLengths& lengths);

    BitWriter& bits_;
    std::vector<std::string>& messages_;
    CodeLengths lengths_;
    Codes codes_;
};

} // namespace sonora::compand
