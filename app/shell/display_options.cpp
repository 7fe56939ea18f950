#include "app/shell/display_options.h"

#include <cmath>
#include <utility>

namespace sonora {
namespace {

constexpr TColor kSystemColourMask = 0xFF000000u; // top byte set: a system colour

// `value` when it is finite and above `floor`, else `replacement`.
double above(double value, double floor, double replacement) {
    return std::isfinite(value) && value > floor ? value : replacement;
}

template <std::size_t N> void clearSystem(TColor (&colours)[N]) {
    for (TColor& c : colours) {
        if ((c & kSystemColourMask) != 0) {
            c = 0;
        }
    }
}

} // namespace

DisplayOptionsInput displayOptionsInputOf(const TAnzOption& option, bool allProjects) {
    DisplayOptionsInput in;
    in.option = option;
    in.fMin = option.Afmin;
    in.fMax = option.Afmax;
    in.dBMin = option.dBmin;
    in.dBMax = option.dBmax;
    in.impMax = option.ImpMax;
    in.lineWidth = option.GraphsThickness;
    in.allProjects = allProjects;
    return in;
}

void clearSystemColours(TAnzOption& o) {
    clearSystem(o.ColorSetAmps);
    clearSystem(o.ColorSetChassis);
    clearSystem(o.ColorSetRichtungen);
}

TAnzOption acceptDisplayOptions(const DisplayOptionsInput& in) {
    TAnzOption o = in.option;
    // 1. floors
    double fMin = above(in.fMin, 0, kAcceptedFMin);
    double fMax = above(in.fMax, 0, kAcceptedFMax);
    double dBMin = above(in.dBMin, kLowestDbMin, kLowestDbMin);
    double dBMax = above(in.dBMax, kLowestDbMax, kLowestDbMax);
    o.ImpMax = above(in.impMax, 0, kAcceptedImpMax);
    // 2. a usable frequency ratio and level span
    if (fMax / fMin < kMinFrequencyRatio) {
        fMax = kMinFrequencyRatio * fMin;
    }
    if (dBMax - dBMin < kMinLevelSpan) {
        dBMax = dBMin + kMinLevelSpan;
    }
    // 3. line width; reversed ranges are exchanged (step 2 already leaves none, the exchange stays
    // as the last guard)
    o.GraphsThickness = in.lineWidth;
    if (fMin > fMax) {
        std::swap(fMin, fMax);
    }
    if (dBMin > dBMax) {
        std::swap(dBMin, dBMax);
    }
    o.Afmin = fMin;
    o.Afmax = fMax;
    o.dBmin = dBMin;
    o.dBmax = dBMax;
    clearSystemColours(o);
    return o;
}

} // namespace sonora
