// The keys of one driver record in a key-value file: the driver file's section "Chassis" and the
// project file's sections "Chassis" + n use the same keys, defaults and conversions.
#pragma once

#include <string>

#include "model/records.h"

namespace sonora {

class TMyIniFile;

// Writes every key of `chassis` into `section` in the order of the driver file. `makerText`
// "TARVELO" writes the maker mark, any other text removes it. "pubdate" is the date given
// ("%.02d.%.02d.%.04d"), not the record's own.
void writeChassisKeys(TMyIniFile& ini, const std::string& section, const TChassis& chassis,
                      const std::string& makerText, const std::string& pubdate);

// Reads the keys of `section` into `chassis`, applying the defaults and the conversions of file
// version `version` (1000 .. 2000). Texts are cut to their field's length, curves to 600 points.
// Does not run the voice-coil fit of version 1000; the caller does.
void readChassisKeys(TMyIniFile& ini, const std::string& section, int version, TChassis& chassis);

} // namespace sonora
