#include "app/shell/startup.h"

namespace sonora {

WindowPlacement startWindowPlacement(const WindowGeometry& g, ScreenSize screen) {
    WindowPlacement p;
    // Sums in 64 bits: the stored values are bounded, but a damaged file should not overflow.
    const bool fits = g.left >= 0 && g.top >= 0 && g.width >= kMinRestoredWidth &&
                      g.height >= kMinRestoredHeight &&
                      static_cast<long long>(g.left) + g.width < screen.width &&
                      static_cast<long long>(g.top) + g.height < screen.height;
    if (fits) {
        p.restored = true;
        p.geometry = g;
    } else {
        p.geometry = WindowGeometry{kDefaultWindowLeft, kDefaultWindowTop, -1, -1};
    }
    return p;
}

} // namespace sonora
