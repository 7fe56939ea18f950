#include "app/shell/startup.h"

#include <algorithm>
#include <cmath>

namespace sonora {

namespace {

// The main window's rule for a stored geometry: on the screen with room to spare.
bool fitsScreen(const WindowGeometry& g, ScreenSize screen) {
    // Sums in 64 bits: the stored values are bounded, but a damaged file should not overflow.
    return g.left >= 0 && g.top >= 0 && g.width >= kMinRestoredWidth &&
           g.height >= kMinRestoredHeight &&
           static_cast<long long>(g.left) + g.width < screen.width &&
           static_cast<long long>(g.top) + g.height < screen.height;
}

// A tool window may be small, but not so small that it cannot be found again.
bool toolWindowFits(const WindowGeometry& g, ScreenSize screen) {
    return g.left >= 0 && g.top >= 0 && g.width >= kMinToolWindowSide &&
           g.height >= kMinToolWindowSide &&
           static_cast<long long>(g.left) + g.width < screen.width &&
           static_cast<long long>(g.top) + g.height < screen.height;
}

} // namespace

WindowPlacement startWindowPlacement(const WindowGeometry& g, ScreenSize screen,
                                     ScreenSize available) {
    WindowPlacement p;
    if (fitsScreen(g, screen)) {
        p.restored = true;
        p.geometry = g;
        return p;
    }
    const auto share = [](int pixels, int smallest) {
        return std::max(smallest, static_cast<int>(std::lround(kFirstStartShare * pixels)));
    };
    const int width = share(available.width, kMinRestoredWidth);
    const int height = share(available.height, kMinRestoredHeight);
    p.geometry = WindowGeometry{std::clamp(available.width - width, 0, kDefaultWindowLeft),
                                kDefaultWindowTop, width, height};
    return p;
}

WindowGeometry toolWindowPlacement(const WindowGeometry* stored, const WindowGeometry& main,
                                   int width, int height, ScreenSize screen) {
    if (stored != nullptr && toolWindowFits(*stored, screen)) {
        return *stored;
    }
    WindowGeometry g{-1, -1, width, height};
    const long long right = static_cast<long long>(main.left) + main.width;
    const int top = std::clamp(main.top, 0, std::max(0, screen.height - height));
    if (main.left < 0 || main.width <= 0) {
        return g;
    }
    if (right + width <= screen.width) {
        g.left = static_cast<int>(right);
        g.top = top;
    } else if (main.left >= width) {
        g.left = main.left - width;
        g.top = top;
    }
    return g;
}

} // namespace sonora
