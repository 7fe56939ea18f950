// Reading project files of any form for the commands, and the results export.
#pragma once

#include <memory>
#include <string>

#include "model/records.h"
#include "model/result.h"
#include "model/user_prompt.h"

namespace sonora::cli {

// Reads a project in the plain, compressed or scrambled form and recomputes the derived driver
// values as the workspace does after loading. False, with the program's message, when the file is
// no project file of a version this program reads.
bool loadProjectAnyForm(const std::string& path, TProjekt& project, UserPrompt& prompt);

// Computes `project` completely on a calculation thread of its own, without pauses between
// stages. Returns the valid result; for a run that did not finish or failed, prints why to
// standard error (the error list and "Berechnung fehlerhaft.") and returns null.
std::unique_ptr<TResult> calculateValidResult(const TProjekt& project);

// Writes the results export with the sections named in the comma list `sections` (empty: all).
// False with a message for unknown section names or a failed write.
bool exportResults(const std::string& path, const std::string& sections, const TProjekt& project,
                   const TResult& result, UserPrompt& prompt);

} // namespace sonora::cli
