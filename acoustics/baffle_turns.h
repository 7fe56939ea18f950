// Re-orientation of a baffle response for drivers that do not radiate to the front.
//
// The first 30 directions of every grid row are permuted; the 5° rings 30..89 stay.
#pragma once

#include "acoustics/baffle_response.h"

namespace sonora {

// Each acts on every row up to the grid's end (freq as for baffleGridRows): new[k] = old[p[k]].
void TurnHorizontal(const double* freq, int count,
                    BaffleResponse& response); // 90° about the up axis
void TurnVertical(const double* freq, int count,
                  BaffleResponse& response); // 90° about the right axis
void TurnToRear(const double* freq, int count, BaffleResponse& response); // front and back swapped

} // namespace sonora
