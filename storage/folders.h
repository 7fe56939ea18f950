// Where the program's data lives: the data folder (program folder when writable, else the user's
// data folder), the German-named folders below it and the settings file.
//
// Paths are UTF-8 and every folder ends with the platform's separator. The two base folders are
// given by the caller (platformBaseFolders() at start-up, a temporary folder in tests), so nothing
// here looks at the real home folder by itself.
#pragma once

#include <string>

#include "model/user_prompt.h"

namespace sonora {

inline constexpr char kPathSeparator = '/';

// Names below the data folder (UTF-8, as the file system holds them).
inline constexpr char kDataFolderName[] = "Sonora";
inline constexpr char kDriversFolderName[] = "Chassis";
inline constexpr char kPartsFolderName[] = "Weichenbauteile";
inline constexpr char kProjectsFolderName[] = "Projekte";
inline constexpr char kReportsFolderName[] = "Reports";
inline constexpr char kPublicationsFolderName[] = "Publikationen";
inline constexpr char kKitsFolderName[] = "Bausätze";
inline constexpr char kSettingsFileName[] = "Sonora.ini";

// The writability test: creates the first unused "Tempfile" + i + ".temp" in `folder`, writes
// "Can be deleted.", closes and deletes it. True when all of that worked.
bool isFolderWritable(const std::string& folder);

// The two folders the program starts from, and the writability test used on the program folder
// (replaceable because a test running as root can write everywhere).
struct BaseFolders {
    std::string programFolder; // the folder of the executable, or of its installed files
    std::string appDataFolder; // the per-user data folder ($XDG_DATA_HOME or ~/.local/share)
    bool (*isWritable)(const std::string& folder) = isFolderWritable;
};

// The program folder of an executable in `executableFolder`: `installedRelative` below it when
// that is a folder (an installed program, whose drivers, parts and example projects lie there),
// else the executable's own folder (a build tree or a copy that keeps everything together).
// With a trailing separator.
std::string programFolderOf(const std::string& executableFolder,
                            const std::string& installedRelative);

// The program folder from /proc/self/exe through programFolderOf (an installed <prefix>/bin/sonora
// finds its files in <prefix>/share/sonora/, as the install rules put them) and the per-user data
// folder from $XDG_DATA_HOME (when absolute) or $HOME + "/.local/share", each with a trailing
// separator.
BaseFolders platformBaseFolders();

struct FolderPaths {
    std::string home;         // the per-user data folder
    std::string base;         // where the program's data lives
    std::string drivers;      // base + "Chassis/"
    std::string parts;        // base + "Weichenbauteile/"
    std::string projects;     // base + "Projekte/"
    std::string reports;      // base + "Reports/"
    std::string publications; // base + "Publikationen/"
    std::string kits;         // base + "Bausätze/"
    std::string settingsFile; // base + "Sonora.ini"
    bool operator==(const FolderPaths&) const = default;
};

// `folder` with one trailing separator added when it has none (an empty text stays empty).
std::string withTrailingSeparator(std::string folder);

// The folders derived from home and base (both with trailing separators).
FolderPaths deriveFolders(const std::string& home, const std::string& base);

// Start-up steps 1 to 4: home, the writability test of the program folder, otherwise the data
// folder home + "Sonora/" (created with "Chassis", "Weichenbauteile" and "Projekte" when missing,
// with the message and the question whether to copy the program folder's files, which never
// overwrites), and the derived folders.
FolderPaths locateFolders(const BaseFolders& baseFolders, UserPrompt& prompt);

// The main window's paths listing: "Pfade:" and one "name=folder" line each (Latin-1, "\r\n").
std::string pathsListing(const FolderPaths& folders);

} // namespace sonora
