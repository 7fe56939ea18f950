// Code-length construction of the encoder: lengths 1..16 for all 356 symbols from their weights.
#pragma once

#include <array>
#include <cstdint>

#include "storage/compand_format.h"

namespace sonora::compand {

using SymbolWeights = std::array<std::uint64_t, kSymbolCount>;

// Retries of the construction before it gives up. Each retry adds 1 to every weight, which
// flattens the distribution. The worst case of a 1 MiB chunk, two symbols sharing all of its
// weight (about 2.6 million each), takes about 3000 retries; this leaves a margin of 20.
inline constexpr int kMaxLengthRetries = 1 << 16;

// Assigns lengths by thresholds on the remaining weight (see the .cpp). When an attempt runs out
// of codes or leaves symbols after length 16, every weight grows by 1 and it starts again, at most
// maxRetries times. Returns false when no attempt succeeded; the lengths always fit the code space
// when it returns true.
bool constructCodeLengths(const SymbolWeights& weights, CodeLengths& lengths,
                          int maxRetries = kMaxLengthRetries);

} // namespace sonora::compand
