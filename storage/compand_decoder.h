// Decoder of the compressed stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sonora::compand {

// Expands `source` (marker, symbols up to the end symbol) into `destination`, which is replaced.
// Returns false with a German message (Latin-1) in `messages` on a damaged stream, leaving in
// `destination` what was expanded so far (never more than maxOutput bytes):
// - a 16-bit value that starts no code, or a pair byte that is no byte symbol: "Fehlerhaftes
//   Zeichen bei Decodieren gefunden.";
// - rejected code lengths: their message; the old table stays and decoding goes on, but the
//   result is false;
// - a stream that ends before its end symbol, a length prefix of more than five one-bits or a
//   distance reaching before the start of the output: "ExpandStream ging schief!";
// - output beyond maxOutput: "Disk full? ... ging jedenfalls nicht schreiben!".
// A wrong marker is not reported; the bytes after it are decoded all the same.
bool expandCompandStream(const std::vector<std::uint8_t>& source,
                         std::vector<std::uint8_t>& destination, std::size_t maxOutput,
                         std::vector<std::string>& messages);

} // namespace sonora::compand
