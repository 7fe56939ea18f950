// The check for newer driver files: compares the drivers of the open project with the files of the
// drivers folder, one driver per tick of the main window's timer, and offers to reload a driver
// whose file is newer.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "storage/chassis_keys.h"

namespace sonora {

class UserPrompt;

// Period of the main window's timer that drives the check, ms. Short enough that a project's
// drivers are all checked within seconds, long enough that the user interface stays responsive
// while a rescan opens the folder's files.
inline constexpr int kNewerDriverTickMs = 500;
// Entries of the file table; the rescan stops there.
inline constexpr int kMaxDriverTableEntries = 1024;
// Driver file names collected from the folder before they are sorted and opened; bounds the
// memory a hostile folder can make the rescan use.
inline constexpr int kMaxDriverFolderNames = 65536;

// One accepted driver file of the folder.
struct DriverFileEntry {
    std::string path;    // UTF-8 path of the file
    std::string name;    // "Name" of section "Chassis", Latin-1
    std::string pubdate; // "pubdate" of section "Chassis" (default "01.01.2000")
};

// Versions whose files take part in the check: 1000 to 1002, 1103 to 1108, 1200 and above.
bool isCheckedDriverVersion(int version);

// The name as the check compares it: only name characters are kept, upper-cased. Name characters
// are the ASCII letters and digits and the Latin-1 letters 0xC0 .. 0xFF except the signs 0xD7 (×)
// and 0xF7 (÷), so "Bändchen-HT (neu)" and "BÄNDCHENHTNEU" are the same name but "Bandchen" is a
// different one. Blanks, "-", "_", "(", ")" and every other character are dropped. ß and ÿ, which
// have no Latin-1 capital, stay as they are.
std::string normalizedDriverName(std::string_view latin1Name);

// True when the date `fileDate` lies after `driverDate`; both are read as day.month.year by
// parseDate (two-digit years, and 1 January 1900 for an impossible day or month).
bool isLaterDriverDate(std::string_view fileDate, std::string_view driverDate);

// The question asked on a match, Latin-1.
std::string newerDriverQuestion(std::string_view latin1DriverName);

enum class NewerDriverOutcome {
    Idle,       // no check requested, or all drivers done
    Busy,       // the previous tick is still running (its question is open): nothing done
    NoMatch,    // the driver was checked, no newer file
    Declined,   // a newer file was offered and the user said "Nein"
    Reloaded,   // the newer file was loaded: the caller applies `chassis`
    LoadFailed, // the user said "Ja" but the file could not be read (message shown)
};

struct NewerDriverTickResult {
    NewerDriverOutcome outcome = NewerDriverOutcome::Idle;
    int driver = -1;       // index 0..31 of the driver this tick looked at
    std::string file;      // the newer file offered, UTF-8 path
    std::string undoLabel; // "Chassis " + (driver + 1) + " neu laden" for Reloaded
    // For Reloaded: the driver's record with the file read into it. The caller records the undo
    // step with undoLabel, stores it in the driver's slot, marks the project changed and requests
    // a calculation.
    std::unique_ptr<TChassis> chassis;
};

// The check as a model the GUI timer drives; the timer calls tick() every kNewerDriverTickMs.
class NewerDriverCheck {
public:
    // `fit` is the voice-coil fit a reloaded driver file of version 1000 goes through.
    explicit NewerDriverCheck(std::string driversFolder = {}, OldFileVoiceCoilFit fit = nullptr);

    void setDriversFolder(std::string driversFolder);
    const std::string& driversFolder() const { return folder_; }

    // Asks for a check (start-up, a project opened, a recent file chosen): the next tick rescans
    // the folder and checks driver 1, each later tick the next driver up to nChassis.
    void request();
    // A check is requested or under way.
    bool pending() const { return requested_ || active_; }

    // One timer tick. The question and any load message go through `prompt`. A tick that starts
    // while another is still running (a timer firing inside the open question) returns Busy.
    NewerDriverTickResult tick(const TProjekt& project, UserPrompt& prompt);

    // The file table of the last rescan, in folder order (sorted by file name).
    const std::vector<DriverFileEntry>& table() const { return table_; }

private:
    // Rebuilds the table; returns the file that matches `chassis` (the last in folder order), or
    // -1.
    int rescan(const TChassis& chassis);
    // The first entry of the table that matches `chassis`, or -1.
    int firstMatch(const TChassis& chassis) const;

    std::string folder_;
    OldFileVoiceCoilFit fit_;
    std::vector<DriverFileEntry> table_;
    bool requested_ = false;
    bool active_ = false;
    int next_ = 0;                     // index of the driver the next tick checks
    std::atomic<bool> running_{false}; // a tick is under way
};

} // namespace sonora
