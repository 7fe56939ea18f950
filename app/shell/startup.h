// Start-up rules that do not need the workspace: where the main window is placed.
#pragma once

#include "storage/settings.h"

namespace sonora {

struct ScreenSize {
    int width = 0;  // pixels
    int height = 0; // pixels
};

// Smallest stored window that is restored, pixels (a smaller one is a damaged setting).
inline constexpr int kMinRestoredWidth = 540;
inline constexpr int kMinRestoredHeight = 360;
// Where the window starts when the stored geometry is not used.
inline constexpr int kDefaultWindowLeft = 66;
inline constexpr int kDefaultWindowTop = 0;

struct WindowPlacement {
    bool restored = false; // the stored geometry is used
    // The geometry to apply; when not restored only left and top are set and width and height
    // are -1 (the window keeps its designed size).
    WindowGeometry geometry;
};

// The stored geometry is applied only when left >= 0, top >= 0, width > 539, height > 359,
// left + width < screen width and top + height < screen height; otherwise the window starts at
// left 66, top 0.
WindowPlacement startWindowPlacement(const WindowGeometry& stored, ScreenSize screen);

} // namespace sonora
