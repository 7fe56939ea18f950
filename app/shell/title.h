// The main window's title and the shortening of long paths in it.
#pragma once

#include <string>

namespace sonora {

// The name shown for a project that has not been saved yet.
inline constexpr char kNoNameProject[] = "noname.LSP";

// Pixels of the title bar that the path cannot use, and the pixels one character takes.
inline constexpr int kTitleReservedPixels = 180;
inline constexpr int kTitlePixelsPerChar = 9;

// Characters of the path that fit into a window of `windowWidth` pixels: (width - 180) / 9, at
// least 0.
int titlePathCapacity(int windowWidth);

// `path` (UTF-8) shortened to `maxChars` characters (code points) when it is longer: the text up to
// and including the first separator stays, leading folders of the rest are dropped one by one until
// the first part, ".../" and the rest fit. The file name itself is never dropped, so a very long
// file name may still exceed `maxChars`.
std::string shortenTitlePath(const std::string& path, int maxChars);

// "Sonora " + version + " - TARVELO-Edition [" + shortened path + "]".
std::string windowTitle(const std::string& path, int windowWidth);

} // namespace sonora
