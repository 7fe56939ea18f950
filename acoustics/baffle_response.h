// The 90-direction response of one driver on its baffle, and its rows on the frequency grid.
#pragma once

#include "model/complex.h"
#include "model/result.h"

namespace sonora {

// Rows = grid index, columns = direction (acoustics/direction_set.h). The same layout as one side
// of TResult::fgang_sw[n], so a stage computes straight into the result.
using BaffleResponse = Complex[kResultFreqs][kDirections];

// Value of every entry that is not computed (about -2000 dB), also of the rows beyond the grid.
inline constexpr Complex kTinyResponse{1e-100, 0.0};

// Number of grid rows: entries of freq before the first that is not > 0 (a NaN ends the grid too),
// reading at most `count` entries and at most the kResultFreqs rows of a response.
inline int baffleGridRows(const double* freq, int count) {
    const int limit = count < kResultFreqs ? count : kResultFreqs;
    int n = 0;
    while (n < limit && freq[n] > 0.0) {
        ++n;
    }
    return n;
}

} // namespace sonora
