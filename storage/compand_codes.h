// Canonical Huffman codes of the compressed stream: codes from lengths, the 16-bit decoding table
// and the transmitted form of the 356 code lengths.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "storage/compand_bits.h"
#include "storage/compand_format.h"

namespace sonora::compand {

enum class CodeLengthsCheck { Ok, TooSmall, TooLarge, Overfull };

// Every length must lie in 1..16 and the codes must fit into the code space (Kraft sum <= 1);
// an incomplete code space is allowed.
CodeLengthsCheck checkCodeLengths(const CodeLengths& lengths);

// The German message of a failed check (empty for Ok).
std::string_view codeLengthsMessage(CodeLengthsCheck check);

// Canonical codes: by increasing length, within a length by increasing symbol, each the next value
// of a running counter. Returns false when the lengths do not pass checkCodeLengths.
bool assignCanonicalCodes(const CodeLengths& lengths, Codes& codes);

// All lengths 9: the table at the start of every stream.
CodeLengths initialCodeLengths();

// One entry per value of the next 16 bits; length 0 marks a value that starts no code.
struct DecodeEntry {
    std::uint16_t symbol;
    std::uint16_t length;
};
using DecodeTable = std::vector<DecodeEntry>;

// Fills `table` (resized to 65536 entries) when the lengths pass the check; otherwise leaves it
// unchanged and returns the failed check.
CodeLengthsCheck buildDecodeTable(const CodeLengths& lengths, DecodeTable& table);

// Bits the code lengths take in the stream as the encoder counts them for its table choice: 5 for
// the first entry, then 2, 8 or 4 for each further one.
int codeLengthsCost(const CodeLengths& lengths);

// Writes the 356 lengths (each 1..16): "00" repeats the previous entry, "0100" + 4 bits l - 1 for
// l <= 5, 4 bits l - 1 for l >= 6. Returns false when a length is out of range.
bool writeCodeLengths(BitWriter& writer, const CodeLengths& lengths);

// Reads 356 lengths. The first entry has no previous one; "00" there gives length 0, which the
// check then rejects.
CodeLengths readCodeLengths(BitReader& reader);

} // namespace sonora::compand
