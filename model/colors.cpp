#include "model/colors.h"

namespace sonora {

namespace {
constexpr TColor kTopByteMask = 0xFF000000u;
}

TColor sanitizeColor(TColor c) {
    return (c & kTopByteMask) != 0 ? 0 : c;
}

void sanitizeColors(TAnzOption& o) {
    for (TColor& c : o.ColorSetAmps) {
        c = sanitizeColor(c);
    }
    for (TColor& c : o.ColorSetChassis) {
        c = sanitizeColor(c);
    }
    for (TColor& c : o.ColorSetRichtungen) {
        c = sanitizeColor(c);
    }
}

} // namespace sonora
