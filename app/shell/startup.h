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

// On a first start (or when the stored geometry does not fit) the main window takes this share
// of the available screen in both directions.
inline constexpr double kFirstStartShare = 0.8;

struct WindowPlacement {
    bool restored = false; // the stored geometry is used
    WindowGeometry geometry;
};

// The stored geometry is applied only when left >= 0, top >= 0, width > 539, height > 359,
// left + width < screen width and top + height < screen height; otherwise the window starts at
// left 66, top 0 (moved left as far as it must to fit) with kFirstStartShare of `available`, the
// screen without its panels, but never smaller than the smallest restored window.
WindowPlacement startWindowPlacement(const WindowGeometry& stored, ScreenSize screen,
                                     ScreenSize available);

// Smallest width and height of a stored tool window that is restored, pixels.
inline constexpr int kMinToolWindowSide = 100;

// Where an editor or tool window of `width` × `height` opens: where it was last closed when that
// still lies on the screen and is at least kMinToolWindowSide in both directions; otherwise beside
// the main window `main`, to its right or else to its left, when the screen has room there;
// otherwise nowhere in particular (left -1: the toolkit centres it over the main window). Width and
// height of the result are the stored ones or the given ones.
WindowGeometry toolWindowPlacement(const WindowGeometry* stored, const WindowGeometry& main,
                                   int width, int height, ScreenSize screen);

} // namespace sonora
