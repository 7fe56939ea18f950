// Encoder of the compressed stream: chunks, pairs, code-length choice and output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonora::compand {

// Compresses `source` into `destination` (replaced; marker, symbols, end symbol, zero bits).
// Returns false with a German message (Latin-1) in `messages` when an internal check fails; adds
// "Huffman-Tabelle wiederverwendet." to `diagnostics` for every chunk that keeps the current
// code lengths.
bool compressCompandStream(const std::vector<std::uint8_t>& source,
                           std::vector<std::uint8_t>& destination,
                           std::vector<std::string>& messages,
                           std::vector<std::string>& diagnostics);

} // namespace sonora::compand
