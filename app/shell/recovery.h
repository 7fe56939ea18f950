// Recovery copies: while a project has unsaved changes the workspace keeps a copy of it in the data
// folder, so that a crash loses at most the last minute or the last few changes. One copy per
// project file, named after a hash of the file's path.
#pragma once

#include <chrono>
#include <string>

namespace sonora {

// Folder below the data folder that holds the copies.
inline constexpr char kRecoveryFolderName[] = "Wiederherstellung";
// A copy is written at most this often while changes go on, and after every this many changes.
inline constexpr std::chrono::seconds kRecoveryInterval{60};
inline constexpr int kRecoveryChangeCount = 10;

// Undo label of a restored copy (UTF-8).
inline constexpr char kUndoRecovery[] = "Wiederherstellung";
// The start-up question and its buttons (UTF-8); the file name goes between the two parts.
inline constexpr char kRecoveryQuestionStart[] = "Für ";
inline constexpr char kRecoveryQuestionEnd[] =
    " gibt es eine Wiederherstellungskopie mit Änderungen, die nicht gespeichert wurden.\r\n"
    "Soll sie geladen werden?";
inline constexpr char kRecoveryButtons[] = "Wiederherstellen|Verwerfen";

// The copy that belongs to `projectFile` (full path, or "noname.LSP"): data folder +
// "Wiederherstellung/" + 16 hex digits of the path's hash + ".LSP".
std::string recoveryFileFor(const std::string& dataFolder, const std::string& projectFile);

// True when the copy exists and is newer than the project file (or the project file does not
// exist, as for a project that was never saved).
bool isRecoveryNewer(const std::string& copy, const std::string& projectFile);

} // namespace sonora
