// Colour checks applied wherever display options are taken in.
#pragma once

#include "model/records.h"

namespace sonora {

// A colour with a non-zero top byte (a system colour) becomes 0 (black).
TColor sanitizeColor(TColor c);
void sanitizeColors(TAnzOption& o);

} // namespace sonora
