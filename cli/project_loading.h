// Reading project files of any form for the commands, and the results export.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "model/records.h"
#include "model/result.h"
#include "model/user_prompt.h"

namespace sonora::cli {

// Reads a project in the plain, compressed or scrambled form and recomputes the derived driver
// values as the workspace does after loading. False, with the program's message, when the file is
// no project file of a version this program reads.
bool loadProjectAnyForm(const std::string& path, TProjekt& project, UserPrompt& prompt);

// Computes `project` completely on a calculation thread of its own, without pauses between
// stages. Returns the valid result (the run's own record, not a copy; see ProjectRun); for a run
// that did not finish or failed, prints why to standard error (the error list and "Berechnung
// fehlerhaft.") and returns null.
std::unique_ptr<TResult> calculateValidResult(const TProjekt& project);

// Reads the project file named on a command's line, with the terminal's prompt for messages. Null,
// after the program's message, when it cannot be read.
std::unique_ptr<TProjekt> readCommandProject(const std::string& path);

// A project read and computed completely for a command that needs a valid result.
struct ComputedProject {
    std::unique_ptr<TProjekt> project; // null when the file could not be read
    std::unique_ptr<TResult> result;   // null when reading or the calculation failed
    int exitCode = kExitOk;            // kExitUsage: not read; kExitFailed: calculation failed
};

// Reads and computes the project file `path`; why it failed is already printed when the result is
// null.
ComputedProject readAndCalculate(const std::string& path);

// Writes a table a command made (Latin-1 text) to `path`, replacing the file at once; false with
// the reason on standard error.
bool writeCommandTable(const std::string& path, const std::string& text);

// Writes the results export with the sections named in the comma list `sections` (empty: all).
// False with a message on the terminal for unknown section names or a failed write.
bool exportResults(const std::string& path, const std::string& sections, const TResult& result);

// A project computed completely on a run object of its own, as the window computes it but without
// pauses between the stages. The result is the run object's own record, read once the run has
// ended, so the 75 MB record is not copied.
class ProjectRun {
public:
    ProjectRun();
    ~ProjectRun();
    ProjectRun(const ProjectRun&) = delete;
    ProjectRun& operator=(const ProjectRun&) = delete;

    // Computes `project` to its end. False, with the reason on standard error, when the run did
    // not end within ten minutes (a guard against a hang: a run takes well under a second).
    bool run(const TProjekt& project);
    // Every stage succeeded; the result is then marked valid as the window's copy would be.
    bool valid() const { return valid_; }
    const TResult& result() const { return *calc_->Res; }
    // The record itself, for a caller that keeps it beyond this object; no run may follow.
    std::unique_ptr<TResult> takeResult() { return std::move(calc_->Res); }
    // The error list as the window shows it, ending with "Berechnung war erfolgreich." or not.
    const std::vector<std::string>& errorList() const { return form_.ErrMemo; }
    // For commands that need a valid result: the error list and "Berechnung fehlerhaft." on
    // standard error.
    void reportFailure() const;

private:
    TFormRechnen form_{ResultCopy::None};
    std::unique_ptr<TCalcThread> calc_;
    bool valid_ = false;
};

} // namespace sonora::cli
