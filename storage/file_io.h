// Whole-file reading with a size bound, and writing through a temporary file that is renamed over
// the target, so that a failed write never destroys the file that was there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sonora {

// Largest file any reader of the program accepts, bytes. Project files are a few MiB at most.
inline constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

enum class ReadStatus { Ok, Missing, TooLarge, Failed };

// Reads the file at `path` (UTF-8 path) into `bytes`. Files larger than maxBytes are not read.
ReadStatus readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::size_t maxBytes = kMaxFileBytes);

// Writes `bytes` to a new temporary file beside `path`, flushes it and renames it over `path`.
// On failure the old file is untouched, the temporary file is removed and `error` holds a German
// message (UTF-8) naming the file.
bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);

bool fileExists(const std::string& path);

} // namespace sonora
