// The German messages of the measurement readers when a file cannot be used.
#pragma once

#include <cstddef>
#include <string>

#include "storage/file_io.h"

namespace sonora {

// Message for a failed readFileBytes (status other than Ok), Latin-1. `path` is UTF-8.
std::string fileReadMessage(const std::string& path, ReadStatus status, std::size_t maxBytes);

// Message for a file that ends before the data its header announces, or whose header holds
// values the program cannot work with, Latin-1.
std::string damagedFileMessage(const std::string& path);

} // namespace sonora
