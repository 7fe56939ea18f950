// Which of the three forms of the key-value file a file is stored in, from its first bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonora {

enum class FileForm {
    Plain,      // the text form, "## MyIniFile" header
    Compressed, // "MyIni2CK" marker, compressed and scrambled
    Scrambled,  // the older scrambled line form
    Unknown,
};

FileForm detectFileForm(const std::vector<std::uint8_t>& firstBytes);

// The German name of a form for listings: "Text", "komprimiert", "verschlüsselt" (UTF-8).
const char* fileFormName(FileForm form);

// Reads at most the first 64 bytes of `path` and detects the form; Unknown when unreadable.
FileForm detectFileFormOf(const std::string& path);

} // namespace sonora
