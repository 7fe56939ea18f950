// Driver files (".LSC"): one TChassis in the key-value store, saving, loading of every older
// version, and the driver editor's load and save rules around them.
#pragma once

#include <cstdint>
#include <string>

#include "model/records.h"
#include "storage/chassis_keys.h"

namespace sonora {

class UserPrompt;

// Version written.
inline constexpr int kDriverFileVersion = 2000;
// Extension of driver files and the file dialogs' filter.
inline constexpr char kDriverExtension[] = ".LSC";
inline constexpr char kDriverFileFilter[] = "Sonora-Chassisdateien (*.LSC)|*.LSC";
// Section of the driver's keys.
inline constexpr char kDriverSection[] = "Chassis";

// The versions the loader reads: 1000 to 1002, 1103 to 1108, 1200 and 2000.
bool isReadableDriverVersion(int version);
// The versions of files no longer supported: 1201 to 1999.
bool isRetiredDriverVersion(int version);

// Writes `chassis` to `path` in the compressed form, replacing any existing file: "Header" /
// "Version" 2000, then the section "Chassis" with today's date as "pubdate". The maker text
// "TARVELO" writes the maker mark; the driver editor passes an empty text. Messages of the store
// (an I/O error, "Kompression schlug fehl.") go to `prompt`; false when the file was not written.
bool saveDriver(const TChassis& chassis, const std::string& path, const std::string& makerText,
                UserPrompt& prompt);

// Reads `path` into `chassis`: the compressed and scrambled forms when `scrambled` is set, else the
// plain form. Readable versions fill the record (defaults for missing keys, conversions of the
// older versions, `fit` for version 1000) and give true. Otherwise the record is
// unchanged, the store's own messages and then "Dieses Dateiformat wird nicht mehr
// unterstützt.\r\nBitte verwenden Sie die aktuelle Chassisdatei." (1201 .. 1999) or "Datei hat
// falsches Datenformat." (any other version, a missing file) are shown, and the result is false.
// The derived values are not recomputed; the caller does that with its mounting.
bool loadDriver(TChassis& chassis, const std::string& path, bool scrambled, UserPrompt& prompt,
                OldFileVoiceCoilFit fit = nullptr);

// The save dialog's name: a matching ending (".lsc" in any case) becomes ".LSC", any other name
// gets ".LSC" appended.
std::string driverFileName(const std::string& dialogName);

// After a driver was loaded into the editor: for the mounting kinds 0, 1 and 2 the baffle's front
// outlet diameter swd becomes sqrt(4 Sd / pi) and the message says so; for the bandpass kinds the
// baffle is kept. Returns the message to show (Latin-1).
std::string applyLoadedDriverToBaffle(const TChassis& chassis, std::int32_t einbauTyp,
                                      TSchallwand& schallwand);

// The driver editor's load: loadDriver with the scrambled forms into `chassis`; on success the
// baffle rule above with its message. The editor then derives the values for its mounting.
bool loadDriverIntoEditor(TChassis& chassis, std::int32_t einbauTyp, TSchallwand& schallwand,
                          const std::string& path, UserPrompt& prompt, OldFileVoiceCoilFit fit);

} // namespace sonora
