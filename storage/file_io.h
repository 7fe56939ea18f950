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

// Writes `bytes` to a new temporary file beside `path`, flushes it, renames it over `path` and
// syncs the folder, so that the file is at every moment either the complete old or the complete
// new content. A symbolic link is followed: the new content goes into its target and the link
// stays. A file that is replaced keeps its permission bits (and, for root, its owner); a new one
// gets 0666 less the umask. On failure the old file is untouched, the temporary file is removed
// and `error` holds a German message (UTF-8) naming the file and the reason.
bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);

// The German reason of a failed write for an errno value (UTF-8, without a final full stop);
// `folder` is named where the folder is the problem.
std::string writeErrorReason(int errorNumber, const std::string& folder);

bool fileExists(const std::string& path);

} // namespace sonora
