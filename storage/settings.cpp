#include "storage/settings.h"

#include <algorithm>
#include <string_view>

#include "model/record_defaults.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/project_file.h"

namespace sonora {

namespace {

constexpr char kWindowSection[] = "Window";
constexpr char kHistorySection[] = "Filehistory";
constexpr char kFoldersSection[] = "Verzeichnisse";
constexpr char kEditorSection[] = "Optionen";
constexpr char kOptionSection[] = "Option";
constexpr char kToolWindowSection[] = "Fenster";
constexpr char kChartTabKey[] = "Tab";

constexpr std::int32_t kMaxWindowCoordinate = 65535; // pixels; beyond is a damaged file
constexpr std::int32_t kMouseCodeThousands = 1000;
constexpr std::int32_t kMouseCodeHundreds = 100;
constexpr std::int32_t kToggleOnShiftLeft = 500; // digit 3 (Shift + left) = 5

// Key of each preset in "Verzeichnisse" (Latin-1) with its field.
struct PresetKey {
    std::string key;
    std::string FolderPresets::*field;
};
const std::vector<PresetKey>& presetKeys() {
    static const std::vector<PresetKey> keys = {
        {"Chassis", &FolderPresets::drivers},
        {"Projekte", &FolderPresets::projects},
        {"Weichenbauteile", &FolderPresets::parts},
        {"Reports", &FolderPresets::reports},
        {"Publikationen", &FolderPresets::publications},
        {utf8ToLatin1("Bausätze"), &FolderPresets::kits},
    };
    return keys;
}
constexpr char kBaseFolderKey[] = "Sonora";

std::string historyKey(int k) {
    return "File" + std::to_string(k);
}

// Paths are kept as the file system's UTF-8 bytes; the file holds them unchanged.
std::string readPath(TMyIniFile& ini, const std::string& section, const std::string& key,
                     const std::string& def) {
    std::string v = ini.ReadString(section, key, def);
    if (v.size() > kMaxSettingsPathLength) {
        v.resize(kMaxSettingsPathLength);
    }
    return v;
}

std::int32_t readWindowValue(TMyIniFile& ini, const std::string& section, const std::string& key) {
    const std::int32_t v = ini.ReadInteger(section, key, -1);
    return v >= -1 && v <= kMaxWindowCoordinate ? v : -1;
}

// The four keys of a geometry: "wl", "wt", "ww", "wh" for the main window, "<name>.wl" … for a
// tool window.
WindowGeometry readGeometry(TMyIniFile& ini, const std::string& section,
                            const std::string& prefix) {
    return WindowGeometry{
        readWindowValue(ini, section, prefix + "wl"), readWindowValue(ini, section, prefix + "wt"),
        readWindowValue(ini, section, prefix + "ww"), readWindowValue(ini, section, prefix + "wh")};
}

void writeGeometry(TMyIniFile& ini, const std::string& section, const std::string& prefix,
                   const WindowGeometry& g) {
    ini.WriteInteger(section, prefix + "wl", g.left);
    ini.WriteInteger(section, prefix + "wt", g.top);
    ini.WriteInteger(section, prefix + "ww", g.width);
    ini.WriteInteger(section, prefix + "wh", g.height);
}

bool isToolWindowName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxToolWindowName &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
}

// Every "<name>.wl" key of the tool-window section names a window; a damaged file may hold any
// number of keys, so names that are not plain words and windows beyond the bound are skipped.
std::map<std::string, WindowGeometry> readToolWindows(TMyIniFile& ini) {
    std::map<std::string, WindowGeometry> windows;
    constexpr std::string_view kLeftSuffix = ".wl";
    for (const TSection& section : ini.allSections()) {
        if (section.name != kToolWindowSection) {
            continue;
        }
        for (const std::string& key : section.names) {
            if (windows.size() >= kMaxToolWindows) {
                return windows;
            }
            const std::string_view k = key;
            if (k.size() <= kLeftSuffix.size() || !k.ends_with(kLeftSuffix)) {
                continue;
            }
            const std::string name(k.substr(0, k.size() - kLeftSuffix.size()));
            if (isToolWindowName(name)) {
                windows[name] = readGeometry(ini, kToolWindowSection, name + ".");
            }
        }
    }
    return windows;
}

constexpr char kCalcPauseKey[] = "PauseRechnung";        // ms, the window's run object
constexpr char kOptimizerPauseKey[] = "PauseOptimierer"; // ms, the optimizer's run objects

std::int32_t readStagePause(TMyIniFile& ini, const char* key) {
    const std::int32_t v = ini.ReadInteger(kEditorSection, key, 0);
    return v >= 0 && v <= kMaxStagePauseMs ? v : 0;
}

bool saveOrReport(TMyIniFile& ini, const std::string& path, UserPrompt& prompt) {
    if (ini.save()) {
        return true;
    }
    prompt.showMessage("Zugriffsfehler bei " + utf8ToLatin1(path));
    return false;
}

} // namespace

void TFilehistory::AddFile(const std::string& name) {
    const int n = std::clamp(nFiles, 0, kMaxHistoryFiles);
    int place = -1; // the name's place in the list, -1 when it is new
    for (int p = 0; p < n; ++p) {
        if (filenames[p] == name) {
            place = p;
            break;
        }
    }
    if (place == 0) {
        return;
    }
    if (place < 0) { // new: the list grows up to 6, the last entry drops out when full
        nFiles = std::min(n + 1, kMaxHistoryFiles);
        place = nFiles - 1;
    }
    for (int p = place; p > 0; --p) {
        filenames[p] = filenames[p - 1];
        shortnames[p] = shortnames[p - 1];
    }
    filenames[0] = name;
    shortnames[0] = shorten(name);
}

std::string TFilehistory::shorten(const std::string& name) {
    const std::string dots = std::string(1, kPathSeparator) + "..." + kPathSeparator;
    const std::size_t first = name.find(kPathSeparator);
    if (first == std::string::npos) {
        return dots + name;
    }
    const std::size_t last = name.rfind(kPathSeparator);
    return name.substr(0, first) + dots + name.substr(last + 1);
}

std::int32_t mouseCodeWithToggle(std::int32_t oldCode) {
    return oldCode / kMouseCodeThousands * kMouseCodeThousands + kToggleOnShiftLeft +
           oldCode % kMouseCodeHundreds;
}

FolderPresets presetsOf(const FolderPaths& f) {
    return {f.drivers, f.projects, f.parts, f.reports, f.publications, f.kits};
}

ProgramSettings readSettings(const std::string& path, const FolderPaths& derived,
                             UserPrompt& prompt) {
    ProgramSettings s;
    s.displayOptions = defaultAnzOption();
    TMyIniFile ini(path, true, false, false, false);
    showMessages(ini.messages(), prompt);

    s.window = readGeometry(ini, kWindowSection, "");
    s.chartTab = ini.ReadInteger(kWindowSection, kChartTabKey, 0);
    if (s.chartTab < 0 || s.chartTab > kMaxChartTab) {
        s.chartTab = 0;
    }
    s.toolWindows = readToolWindows(ini);

    for (int k = 0; k < kMaxHistoryFiles; ++k) {
        const std::string name = readPath(ini, kHistorySection, historyKey(k), "");
        if (!name.empty()) {
            s.history.filenames[k] = name;
            s.history.shortnames[k] = TFilehistory::shorten(name);
            s.history.nFiles = k + 1;
        }
    }

    s.presets = presetsOf(derived);
    s.usePresets = ini.ReadBool(kFoldersSection, "Verzeichnisvorgaben", false);
    if (s.usePresets) {
        for (const PresetKey& p : presetKeys()) {
            const std::string v = readPath(ini, kFoldersSection, p.key, s.presets.*p.field);
            s.presets.*p.field = v.empty() ? s.presets.*p.field : withTrailingSeparator(v);
        }
    }

    std::int32_t oldCode = ini.ReadInteger(kEditorSection, "TBWE", kDefaultOldMouseCode);
    if (oldCode < 0 || oldCode > kMaxMouseCode) {
        oldCode = kDefaultOldMouseCode;
    }
    const std::int32_t toggleCode = mouseCodeWithToggle(oldCode);
    s.mouseCode = ini.ReadInteger(kEditorSection, "TBWEopti", toggleCode);
    if (s.mouseCode < 0 || s.mouseCode > kMaxMouseCode) {
        s.mouseCode = toggleCode;
    }
    s.windowSizePreset = ini.ReadInteger(kEditorSection, "WEsize", kDefaultWindowSizePreset);
    if (s.windowSizePreset < 0 || s.windowSizePreset >= kWindowSizePresets) {
        s.windowSizePreset = kDefaultWindowSizePreset;
    }

    s.calcPauseMs = readStagePause(ini, kCalcPauseKey);
    s.optimizerPauseMs = readStagePause(ini, kOptimizerPauseKey);

    s.useOption = ini.ReadBool(kOptionSection, "UseOption", false);
    if (s.useOption) {
        readDisplayOptionKeys(ini, kOptionSection, s.displayOptions);
    }
    return s;
}

FolderPaths applyPresets(const FolderPaths& derived, const ProgramSettings& settings) {
    FolderPaths f = derived;
    if (!settings.usePresets) {
        return f;
    }
    auto take = [](std::string& folder, const std::string& preset) {
        if (!preset.empty()) {
            folder = withTrailingSeparator(preset);
        }
    };
    take(f.drivers, settings.presets.drivers);
    take(f.projects, settings.presets.projects);
    take(f.parts, settings.presets.parts);
    take(f.reports, settings.presets.reports);
    take(f.publications, settings.presets.publications);
    take(f.kits, settings.presets.kits);
    return f;
}

ProgramEnvironment startUp(const BaseFolders& baseFolders, UserPrompt& prompt) {
    ProgramEnvironment env;
    const FolderPaths derived = locateFolders(baseFolders, prompt);
    env.settings = readSettings(derived.settingsFile, derived, prompt);
    env.folders = applyPresets(derived, env.settings);
    return env;
}

bool writeSettings(const ProgramSettings& s, const FolderPaths& folders, UserPrompt& prompt) {
    TMyIniFile ini(folders.settingsFile, true, true, false, false);
    showMessages(ini.messages(), prompt);
    writeGeometry(ini, kWindowSection, "", s.window);
    ini.WriteInteger(kWindowSection, kChartTabKey, s.chartTab);
    std::size_t kept = 0;
    for (const auto& [name, geometry] : s.toolWindows) {
        if (isToolWindowName(name) && kept++ < kMaxToolWindows) {
            writeGeometry(ini, kToolWindowSection, name + ".", geometry);
        }
    }
    ini.WriteBool(kFoldersSection, "Verzeichnisvorgaben", s.usePresets);
    for (const PresetKey& p : presetKeys()) {
        if (s.usePresets) {
            ini.WriteString(kFoldersSection, p.key, s.presets.*p.field);
        } else {
            ini.DeleteEntry(kFoldersSection, p.key);
        }
    }
    if (s.usePresets) {
        ini.WriteString(kFoldersSection, kBaseFolderKey, folders.base);
    } else {
        ini.DeleteEntry(kFoldersSection, kBaseFolderKey);
    }
    ini.WriteInteger(kEditorSection, "TBWEopti", s.mouseCode);
    ini.WriteInteger(kEditorSection, "WEsize", s.windowSizePreset);
    ini.WriteInteger(kEditorSection, kCalcPauseKey, s.calcPauseMs);
    ini.WriteInteger(kEditorSection, kOptimizerPauseKey, s.optimizerPauseMs);
    const int n = std::clamp(s.history.nFiles, 0, kMaxHistoryFiles);
    for (int k = 0; k < n; ++k) {
        ini.WriteString(kHistorySection, historyKey(k), s.history.filenames[k]);
    }
    return saveOrReport(ini, folders.settingsFile, prompt);
}

void closeFoldersDialog(ProgramEnvironment& env, const BaseFolders& baseFolders, bool usePresets,
                        const FolderPresets& texts, UserPrompt& prompt) {
    env.settings.usePresets = usePresets;
    env.settings.presets = texts;
    writeSettings(env.settings, env.folders, prompt);
    env = startUp(baseFolders, prompt);
}

bool writeDisplayOptionSettings(const std::string& settingsFile, bool useOption,
                                const TAnzOption& options, UserPrompt& prompt) {
    TMyIniFile ini(settingsFile, true, true, false, false);
    showMessages(ini.messages(), prompt);
    ini.WriteBool(kOptionSection, "UseOption", useOption);
    if (useOption) {
        writeDisplayOptionKeys(ini, kOptionSection, options);
    }
    return saveOrReport(ini, settingsFile, prompt);
}

} // namespace sonora
