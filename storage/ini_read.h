// Reading numbers from a key-value file that may have been edited by hand or damaged: a value that
// reads as NaN or infinite takes the key's default, so no such value ever reaches a record.
#pragma once

#include <cmath>
#include <string>

#include "storage/my_ini_file.h"

namespace sonora {

inline double readFiniteFloat(TMyIniFile& ini, const std::string& section, const std::string& key,
                              double def) {
    const double v = ini.ReadFloat(section, key, def);
    return std::isfinite(v) ? v : def;
}

} // namespace sonora
