// Files dropped onto the main window: which of them are taken and what a drop means.
#pragma once

#include <string>
#include <vector>

namespace sonora {

// Names taken from one drop.
inline constexpr int kMaxDroppedFiles = 32;

enum class DropKind {
    Nothing, // no name, a missing file, or a name not ending in ".LSP"
    OneFile, // ask where to load it
    Several, // open every file in a new instance
};

struct DropDecision {
    DropKind kind = DropKind::Nothing;
    std::vector<std::string> files; // the names taken (at most 32), UTF-8
};

// Takes the first 32 names; nothing happens when any of them does not exist or does not end in
// ".LSP" compared upper-cased.
DropDecision classifyDroppedFiles(const std::vector<std::string>& names);

} // namespace sonora
