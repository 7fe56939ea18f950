#include "storage/newer_driver_check.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>
#include <utility>

#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/driver_file.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr unsigned char kFirstLatin1Letter = 0xC0; // À
constexpr unsigned char kMultiplySign = 0xD7;      // ×
constexpr unsigned char kDivideSign = 0xF7;        // ÷
constexpr unsigned char kFirstLatin1Small = 0xE0;  // à; its capital is 0x20 lower
constexpr unsigned char kLastLatin1Small = 0xFE;   // þ (ÿ at 0xFF has no capital)
constexpr unsigned char kCaseOffset = 0x20;

bool isNameCharacter(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
        return true;
    }
    return c >= kFirstLatin1Letter && c != kMultiplySign && c != kDivideSign;
}

unsigned char upperLatin1(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned char>(c - kCaseOffset);
    }
    if (c >= kFirstLatin1Small && c <= kLastLatin1Small && c != kDivideSign) {
        return static_cast<unsigned char>(c - kCaseOffset);
    }
    return c;
}

bool hasDriverExtension(const std::filesystem::path& path) {
    const std::string ext = path.extension().string();
    return ext.size() == std::char_traits<char>::length(kDriverExtension) &&
           endsWithIgnoringAsciiCase(ext, kDriverExtension);
}

// The driver files of the folder, sorted by name so that "folder order" is the same on every
// platform. At most kMaxDriverFolderNames names are collected.
std::vector<std::string> driverFilesOf(const std::string& folder) {
    std::vector<std::string> files;
    if (folder.empty()) {
        return files;
    }
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    const std::filesystem::directory_iterator end;
    while (!ec && it != end && files.size() < static_cast<std::size_t>(kMaxDriverFolderNames)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError) && hasDriverExtension(it->path())) {
            files.push_back(it->path().string());
        }
        it.increment(ec);
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool matches(const DriverFileEntry& entry, const std::string& normalizedName,
             const TChassis& chassis) {
    return !normalizedName.empty() && normalizedDriverName(entry.name) == normalizedName &&
           isLaterDriverDate(entry.pubdate, chassis.pubdate.view());
}

} // namespace

bool isCheckedDriverVersion(int version) {
    constexpr int kFirstOpen = 1200; // every version from here on takes part
    return isReadableDriverVersion(version) || version >= kFirstOpen;
}

std::string normalizedDriverName(std::string_view latin1Name) {
    std::string out;
    out.reserve(latin1Name.size());
    for (const char ch : latin1Name) {
        const auto c = static_cast<unsigned char>(ch);
        if (isNameCharacter(c)) {
            out.push_back(static_cast<char>(upperLatin1(c)));
        }
    }
    return out;
}

bool isLaterDriverDate(std::string_view fileDate, std::string_view driverDate) {
    const DateValue a = parseDate(fileDate);
    const DateValue b = parseDate(driverDate);
    return std::tie(a.year, a.month, a.day) > std::tie(b.year, b.month, b.day);
}

std::string newerDriverQuestion(std::string_view latin1DriverName) {
    return utf8ToLatin1("Das Projekt enthält möglicherweise eine veraltete Version\r\ndes Chassis "
                        "\"") +
           std::string(latin1DriverName) + "\".\r\n" +
           utf8ToLatin1("Soll die neuere Chassisdatei nachgeladen werden?");
}

NewerDriverCheck::NewerDriverCheck(std::string driversFolder, OldFileVoiceCoilFit fit)
    : folder_(std::move(driversFolder)), fit_(fit) {}

void NewerDriverCheck::setDriversFolder(std::string driversFolder) {
    folder_ = std::move(driversFolder);
}

void NewerDriverCheck::request() {
    requested_ = true;
}

int NewerDriverCheck::rescan(const TChassis& chassis) {
    table_.clear();
    const std::string name = normalizedDriverName(chassis.name.view());
    int match = -1;
    for (const std::string& path : driverFilesOf(folder_)) {
        if (table_.size() >= static_cast<std::size_t>(kMaxDriverTableEntries)) {
            break;
        }
        TMyIniFile ini(path, /*behalteExistierende=*/true, /*bAllowchange=*/false,
                       /*bKrypt=*/true, /*bCompress=*/true);
        // A damaged file is left out: a part of it would look like a driver with default values.
        if (ini.readRefused() || !isCheckedDriverVersion(ini.ReadInteger("Header", "Version", 0))) {
            continue;
        }
        DriverFileEntry entry{path, ini.ReadString(kDriverSection, "Name", ""),
                              ini.ReadString(kDriverSection, "pubdate", kDefaultPubdate)};
        table_.push_back(std::move(entry));
        if (matches(table_.back(), name, chassis)) {
            match = static_cast<int>(table_.size()) - 1; // the last match wins
        }
    }
    return match;
}

int NewerDriverCheck::firstMatch(const TChassis& chassis) const {
    const std::string name = normalizedDriverName(chassis.name.view());
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (matches(table_[i], name, chassis)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

NewerDriverTickResult NewerDriverCheck::tick(const TProjekt& project, UserPrompt& prompt) {
    NewerDriverTickResult result;
    if (running_.exchange(true)) {
        result.outcome = NewerDriverOutcome::Busy;
        return result;
    }
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = false; }
    } release{running_};

    bool doRescan = false;
    if (requested_) {
        requested_ = false;
        active_ = true;
        next_ = 0;
        doRescan = true;
    }
    const int nChassis = std::clamp<int>(project.nChassis, 1, kMaxChassis);
    if (!active_ || next_ >= nChassis) {
        active_ = false;
        return result;
    }

    const int driver = next_++;
    if (next_ >= nChassis) {
        active_ = false;
    }
    result.driver = driver;
    const TChassis& chassis = project.chassis[driver];
    const int match = doRescan ? rescan(chassis) : firstMatch(chassis);
    if (match < 0) {
        result.outcome = NewerDriverOutcome::NoMatch;
        return result;
    }
    // Copied before the question: the table may be rebuilt by a request while it is open.
    result.file = table_[static_cast<std::size_t>(match)].path;

    constexpr int kYes = 1;
    constexpr int kNo = 2;
    if (prompt.choose(newerDriverQuestion(chassis.name.view()), "Ja|Nein", kNo) != kYes) {
        result.outcome = NewerDriverOutcome::Declined;
        return result;
    }
    auto loaded = std::make_unique<TChassis>(chassis);
    if (!loadDriver(*loaded, result.file, /*scrambled=*/true, prompt, fit_)) {
        result.outcome = NewerDriverOutcome::LoadFailed;
        return result;
    }
    result.outcome = NewerDriverOutcome::Reloaded;
    result.undoLabel = "Chassis " + std::to_string(driver + 1) + " neu laden";
    result.chassis = std::move(loaded);
    return result;
}

} // namespace sonora
