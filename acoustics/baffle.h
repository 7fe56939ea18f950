// The baffle diffraction model: a driver's 90-direction pattern on its baffle over the grid.
//
// Each value is relative to the driver's own on-axis output.
#pragma once

#include <string>

#include "acoustics/baffle_response.h"
#include "acoustics/baffle_tuning.h"
#include "model/records.h"

namespace sonora {

// Computes `out` for every grid row (freq ends at its first entry <= 0; at most `count` entries
// and kResultFreqs rows are read) for baffle sw and the directivity of chassis `ch` with the
// given membrane form. `text` receives "OK", or the German check messages (Latin-1), or
// "Unbekannter Fehler." when a value turns out not finite; on failure every entry of `out` is
// kTinyResponse. Entries that are not computed (directions the driver does not reach, rows beyond
// the grid) are kTinyResponse too. Never throws, never leaves a non-finite value in `out`. Reads
// the tuning once at the start.
void CalcBaffle(BaffleResponse& out, const TSchallwand& sw, const TChassis& ch, std::string& text,
                int count, const double* freq, int membranform);

// The same with explicit tuning values (tests, developer tool previews).
void CalcBaffle(BaffleResponse& out, const TSchallwand& sw, const TChassis& ch, std::string& text,
                int count, const double* freq, int membranform, const BaffleTuning& tuning);

// How many grid entries the callers pass as `count`.
inline constexpr int kBaffleGridCount = 600;

} // namespace sonora
