#include "storage/folders.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "storage/file_io.h"
#include "storage/latin1.h"

namespace sonora {

namespace fs = std::filesystem;

namespace {

// The install rules give the place of the installed files relative to the executable's folder.
#ifdef SONORA_INSTALLED_DATA_FOLDER
constexpr char kInstalledDataFolder[] = SONORA_INSTALLED_DATA_FOLDER;
#else
constexpr char kInstalledDataFolder[] = "../share/sonora";
#endif

constexpr int kMaxTempfileAttempts = 100000; // bound of the search for an unused test file name

std::string folderOf(const fs::path& file) {
    return withTrailingSeparator(file.parent_path().string());
}

// Copies every regular file of `from` into `to`; files already there are kept.
void copyFilesKeepingExisting(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        return;
    }
    fs::create_directories(to, ec);
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (it->is_regular_file(fileEc)) {
            fs::copy_file(it->path(), to / it->path().filename(), fs::copy_options::skip_existing,
                          fileEc);
        }
    }
}

} // namespace

std::string withTrailingSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != kPathSeparator) {
        folder += kPathSeparator;
    }
    return folder;
}

std::string programFolderOf(const std::string& executableFolder,
                            const std::string& installedRelative) {
    if (executableFolder.empty()) {
        return executableFolder;
    }
    std::error_code ec;
    const fs::path installed = (fs::path(executableFolder) / installedRelative).lexically_normal();
    if (!installedRelative.empty() && fs::is_directory(installed, ec)) {
        return withTrailingSeparator(installed.string());
    }
    return withTrailingSeparator(executableFolder);
}

BaseFolders platformBaseFolders() {
    BaseFolders b;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    b.programFolder =
        programFolderOf(ec ? fs::current_path(ec).string() : folderOf(exe), kInstalledDataFolder);
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == kPathSeparator) {
        b.appDataFolder = withTrailingSeparator(xdg);
    } else {
        const char* home = std::getenv("HOME");
        b.appDataFolder =
            withTrailingSeparator(std::string(home != nullptr ? home : "") + "/.local/share");
    }
    return b;
}

FolderPaths deriveFolders(const std::string& home, const std::string& base) {
    FolderPaths f;
    f.home = home;
    f.base = base;
    f.drivers = base + kDriversFolderName + kPathSeparator;
    f.parts = base + kPartsFolderName + kPathSeparator;
    f.projects = base + kProjectsFolderName + kPathSeparator;
    f.reports = base + kReportsFolderName + kPathSeparator;
    f.publications = base + kPublicationsFolderName + kPathSeparator;
    f.kits = base + kKitsFolderName + kPathSeparator;
    f.settingsFile = base + kSettingsFileName;
    return f;
}

bool isFolderWritable(const std::string& folder) {
    const std::string dir = withTrailingSeparator(folder);
    for (int i = 0; i < kMaxTempfileAttempts; ++i) {
        const std::string name = dir + "Tempfile" + std::to_string(i) + ".temp";
        if (fileExists(name)) {
            continue;
        }
        std::FILE* f = std::fopen(name.c_str(), "wx"); // never opens a file that appeared since
        if (f == nullptr) {
            return false;
        }
        const bool written = std::fputs("Can be deleted.\n", f) >= 0;
        const bool closed = std::fclose(f) == 0;
        const bool removed = std::remove(name.c_str()) == 0;
        return written && closed && removed;
    }
    return false;
}

FolderPaths locateFolders(const BaseFolders& baseFolders, UserPrompt& prompt) {
    const std::string home = withTrailingSeparator(baseFolders.appDataFolder);
    const std::string program = withTrailingSeparator(baseFolders.programFolder);
    const auto writable =
        baseFolders.isWritable != nullptr ? baseFolders.isWritable : isFolderWritable;
    if (!program.empty() && writable(program)) {
        return deriveFolders(home, program);
    }
    const std::string base = home + kDataFolderName + kPathSeparator;
    const fs::path dataFolder = fs::path(home + kDataFolderName);
    std::error_code ec;
    if (!fs::exists(dataFolder, ec)) {
        fs::create_directories(dataFolder / kDriversFolderName, ec);
        fs::create_directories(dataFolder / kPartsFolderName, ec);
        fs::create_directories(dataFolder / kProjectsFolderName, ec);
        const std::string shownFolder = utf8ToLatin1(home + kDataFolderName);
        prompt.showMessage("Verzeichnis " + shownFolder + " wurde erstellt.");
        if (!program.empty() && fs::is_directory(fs::path(program) / kDriversFolderName, ec)) {
            const std::string question =
                utf8ToLatin1("Sonora kann im Programmverzeichnis nicht schreiben. Das ist normal, "
                             "wenn Sonora im Windows-Programmverzeichnis installiert wurde oder "
                             "von einem schreibgeschützten Medium läuft.\r\nSollen Chassisdaten "
                             "und Weichenbauteile nach ") +
                shownFolder + " kopiert werden?";
            constexpr int kYes = 1;
            if (prompt.choose(question, "Ja|Nein", kYes) == kYes) {
                for (const char* sub :
                     {kDriversFolderName, kPartsFolderName, kProjectsFolderName}) {
                    copyFilesKeepingExisting(fs::path(program) / sub, dataFolder / sub);
                }
            }
        } else {
            prompt.showMessage("Kopieren sie Sonora-Chassis, -Projekte und "
                               "Weichenbauteile\r\nin die entsprechenden Unterverzeichnisse "
                               "von\r\n" +
                               shownFolder);
        }
    }
    return deriveFolders(home, base);
}

std::string pathsListing(const FolderPaths& f) {
    const std::pair<const char*, const std::string*> lines[] = {
        {"homepath=", &f.home},
        {"inifile=", &f.settingsFile},
        {"sonorapath=", &f.base},
        {"chassispath=", &f.drivers},
        {"projectpath=", &f.projects},
        {"reportpath=", &f.reports},
        {"publikationenpath=", &f.publications},
        {"wbauteilepath=", &f.parts},
        {"bausatzpath=", &f.kits},
    };
    std::string text = "Pfade:";
    for (const auto& [name, folder] : lines) {
        text += "\r\n";
        text += name;
        text += utf8ToLatin1(*folder);
    }
    return text;
}

} // namespace sonora
