// Project files (".LSP"): a whole TProjekt in the key-value store, reading of every older version,
// the signature check of the main window's open, and the cabinet description for the outside
// visualisation program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"
#include "model/user_prompt.h"
#include "storage/chassis_keys.h"

namespace sonora {

class TMyIniFile;

// Version written; versions kOldestProjectVersion .. kProjectVersion are read.
inline constexpr int kProjectVersion = 2000;
inline constexpr int kOldestProjectVersion = 1000;

// Extension of project files, compared upper-cased.
inline constexpr char kProjectExtension[] = ".LSP";

enum class ProjectReadStatus {
    Ok,          // the project was read (defaults where the file lacks keys)
    WrongFormat, // version outside 1000 .. 2000: "Datei hat falsches Datenformat.", no change
    Refused,     // the file exists but was not taken (damaged, cut off, no form of the store, too
                 // large, unreadable): the store's messages naming the file, no change
};

// Writes every section of `project` (Header, General, Option, AktFilter/Aktfilter per amplifier
// in use, Weiche, Chassis, GemGeh, Einbau, Schallwand) to `path`, replacing any existing file.
// `compressed` selects the compressed form, else the plain form. Messages of the store (e.g. an
// I/O error) go to `prompt`; returns false when the file could not be written.
bool writeProjectFile(const TProjekt& project, const std::string& path, bool compressed,
                      UserPrompt& prompt);

// Reads `path` into `project` with the defaults of every missing key and the conversions of the
// older versions. `scrambled` opens the compressed and scrambled forms, else the plain form. A
// missing file or one without key lines reads as version 2000 with every default. Fields the file
// does not hold keep the values `project` had (the caller decides what that is).
//
// Hostile input: counts are clamped to the record limits (nAmps 1..6, nChassis 1..32); a float
// that reads as NaN or infinite takes the key's default; a part kind outside 0..6 becomes an
// empty slot, a driver number outside 0..31 becomes 0, a free wire's node outside 0..132 is
// clamped; directions outside their lists become 0, and other Int16/Int8 fields (polarity, damping
// sliders) are clamped to their type's range. Drivers of version 1000 files go through `fit`. The
// derived driver values are left to the caller (recomputeDerivedDriverValues of the engine).
ProjectReadStatus readProjectFile(TProjekt& project, const std::string& path, bool scrambled,
                                  UserPrompt& prompt, OldFileVoiceCoilFit fit = nullptr);

// True when the first 8 bytes of a file carry a signature of the forms the main window opens:
// the compressed marker "MyIni2CK", or the scrambled-line header of the current or the older
// (36-character) header variant.
bool hasProjectFileSignature(const std::vector<std::uint8_t>& firstBytes);

// The project of "New project" and of a failed open: the record cleared to zeros, then the reader
// applied to the missing file "temp" + k + ".tmp" in `projectsFolder` (k the first number from 900
// for which no such file exists; the name is deleted afterwards), then driver 1 with its enclosure
// and baffle copied into the other 31 slots.
void makeDefaultProject(TProjekt& project, const std::string& projectsFolder, UserPrompt& prompt);

enum class ProjectOpenStatus {
    Opened,          // read (derived driver values left to the caller); project.saved is true
    NotAProjectFile, // no signature: message shown, `project` replaced by the default project
    WrongFormat,     // wrong version, or a damaged file: message shown, `project` unchanged
};

// The main window's open: signature check of the first 8 bytes (message path + "\r" + "ist keine
// gültige Projektdatei dieser Version von Sonora." and the default project otherwise), reading in
// the scrambled forms with `fit` for version 1000. The caller recomputes the derived driver values.
ProjectOpenStatus openProjectFile(TProjekt& project, const std::string& path,
                                  const std::string& projectsFolder, UserPrompt& prompt,
                                  OldFileVoiceCoilFit fit);

// The name the main window saves under: ".LSP" appended unless the last four characters,
// upper-cased, are ".LSP"; empty (nothing is saved) for names of 4 characters or fewer.
std::string projectSaveName(const std::string& dialogName);

// The display-option keys of a project's and of the settings file's section "Option": the colour
// arrays (7, 33 and 10 entries; entry 33 of the driver colours is not stored), "dBMin", "dBMax",
// "AfMin", "AfMax", "ImpMax" and "GThickness". Reading starts from the defaults of the record,
// replaces as many colours as the arrays hold, turns system colours into 0 and gives non-finite
// numbers their default.
void writeDisplayOptionKeys(TMyIniFile& ini, const std::string& section, const TAnzOption& option);
void readDisplayOptionKeys(TMyIniFile& ini, const std::string& section, TAnzOption& option);

// The cabinet description for the visualisation program: a reduced copy of the project written
// with our plain INI writer ("[Section]" lines, "key=value" lines, numbers in the C locale's
// shortest round-trip form, texts in UTF-8, "\n" line ends) into `folder` under the first unused
// name "Sonoragehäuse" + k + ".tmp" (k from 1000). Returns the path written, or an empty text with
// `error` (UTF-8) set.
std::string writeCabinetDescription(const TProjekt& project, const std::string& folder,
                                    std::string& error);

} // namespace sonora
