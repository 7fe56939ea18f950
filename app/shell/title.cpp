#include "app/shell/title.h"

#include <algorithm>
#include <cstddef>

#include "model/version.h"
#include "storage/folders.h"

namespace sonora {
namespace {

// Characters of a UTF-8 text: every byte that does not continue a sequence starts one.
int codePoints(const std::string& text) {
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char ch) {
        return (static_cast<unsigned char>(ch) & 0xC0u) != 0x80u;
    }));
}

} // namespace

int titlePathCapacity(int windowWidth) {
    return std::max(0, (windowWidth - kTitleReservedPixels) / kTitlePixelsPerChar);
}

std::string shortenTitlePath(const std::string& path, int maxChars) {
    if (codePoints(path) <= maxChars) {
        return path;
    }
    const std::size_t first = path.find(kPathSeparator);
    if (first == std::string::npos) {
        return path; // no folder to drop
    }
    const std::string head = path.substr(0, first + 1);
    const std::string dots = std::string("...") + kPathSeparator;
    std::string rest = path.substr(first + 1);
    std::string candidate = path;
    for (std::size_t next = rest.find(kPathSeparator); next != std::string::npos;
         next = rest.find(kPathSeparator)) {
        rest.erase(0, next + 1);
        candidate = head + dots + rest;
        if (codePoints(candidate) <= maxChars) {
            break;
        }
    }
    return candidate;
}

std::string windowTitle(const std::string& path, int windowWidth) {
    return "Sonora " + std::string(kVersion) + " - TARVELO-Edition [" +
           shortenTitlePath(path, titlePathCapacity(windowWidth)) + "]";
}

} // namespace sonora
