#include "storage/file_form.h"

#include <cstring>
#include <fstream>

#include "storage/my_ini_file.h"

namespace sonora {

namespace {
constexpr char kPlainHeaderStart[] = "## MyIniFile"; // the part of the header readers check
constexpr char kCompressedMarker[] = "MyIni2CK";
constexpr std::size_t kProbeBytes = 64;

bool startsWith(const std::vector<std::uint8_t>& bytes, const char* text) {
    const std::size_t n = std::strlen(text);
    return bytes.size() >= n && std::memcmp(bytes.data(), text, n) == 0;
}
} // namespace

FileForm detectFileForm(const std::vector<std::uint8_t>& firstBytes) {
    if (startsWith(firstBytes, kCompressedMarker)) {
        return FileForm::Compressed;
    }
    if (startsWith(firstBytes, kPlainHeaderStart)) {
        return FileForm::Plain;
    }
    if (scrambledHeaderLength(firstBytes) != 0) {
        return FileForm::Scrambled;
    }
    return FileForm::Unknown;
}

const char* fileFormName(FileForm form) {
    switch (form) {
    case FileForm::Plain:
        return "Text";
    case FileForm::Compressed:
        return "komprimiert";
    case FileForm::Scrambled:
        return "verschlüsselt";
    case FileForm::Unknown:
        break;
    }
    return "unbekannt";
}

FileForm detectFileFormOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return FileForm::Unknown;
    }
    std::vector<std::uint8_t> bytes(kProbeBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return detectFileForm(bytes);
}

} // namespace sonora
