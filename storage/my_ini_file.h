// TMyIniFile: the sectioned key-value store of project, driver and settings files.
//
// The whole file is read into memory on construction; all reads and writes act on the in-memory
// tables; save() writes the file back when something changed and writing is allowed. Keys, values
// and section names are Latin-1 bytes exactly as in the file; file names are UTF-8 paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/compand.h"

namespace sonora {

// First line of the plain form; with CR LF it fills the first 32 bytes of the file.
inline constexpr char kMyIniHeader[] = "## MyIniFile 1.0 by KT 2004 ##";
inline constexpr int kMaxSections = 1000;
inline constexpr std::size_t kMaxSectionNameLength = 99;

struct TSection {
    std::string name;
    std::vector<std::string> names;  // keys in file order
    std::vector<std::string> values; // parallel to names
};

class TMyIniFile {
public:
    // Reads `filename` when behalteExistierende is set and the file exists (the form is chosen by
    // bKrypt); otherwise starts empty and counts as changed, so that save() writes a new file.
    TMyIniFile(const std::string& filename, bool behalteExistierende, bool bAllowchange,
               bool bKrypt, bool bCompress);
    // Saves like save() when that has not been done since the last change; errors are kept in
    // messages() only, which nobody reads any more, so callers that care call save() first.
    ~TMyIniFile();

    TMyIniFile(const TMyIniFile&) = delete;
    TMyIniFile& operator=(const TMyIniFile&) = delete;

    // Writes the file (plain, compressed or scrambled line form by the flags of construction) when
    // something changed and writing is allowed. Returns false with a message on an I/O error.
    bool save();

    std::int32_t ReadInteger(const std::string& section, const std::string& name, std::int32_t def);
    bool ReadBool(const std::string& section, const std::string& name, bool def);
    double ReadFloat(const std::string& section, const std::string& name, double def);
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& def);
    // Fill a[vonindex ...] with at most max values; return the count read (0 when the key is
    // missing, a unchanged). Integers are read as numbers and rounded.
    int ReadIntArray(const std::string& section, const std::string& name, std::int32_t* a,
                     int vonindex, int max);
    int ReadFloatArray(const std::string& section, const std::string& name, double* a, int vonindex,
                       int max);

    void WriteInteger(const std::string& section, const std::string& name, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& name, bool value);
    void WriteFloat(const std::string& section, const std::string& name, double value);
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    void WriteIntArray(const std::string& section, const std::string& name, const std::int32_t* a,
                       int vonindex, int anzahl);
    void WriteFloatArray(const std::string& section, const std::string& name, const double* a,
                         int vonindex, int anzahl);
    bool DeleteEntry(const std::string& section, const std::string& name);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& name);

    // German messages (Latin-1) for the caller to show, e.g. name + " hat falsches Format.".
    const std::vector<std::string>& messages() const { return messages_; }

    const std::string& IniFilename() const { return IniFilename_; }
    int nSections() const { return static_cast<int>(sections.size()); }
    bool filechanged = false;
    bool bAllowchanges = false;

    // The file image save() would write, and parsing of an image as the constructor reads it:
    // for in-memory use and tests.
    std::vector<std::uint8_t> fileImage();
    void loadImage(const std::vector<std::uint8_t>& image);

private:
    std::vector<TSection> sections;
    int merkINDEX = 0;
    bool bKryptFile = false;
    bool bCompressFile = false;
    std::string IniFilename_;
    int nValues = 0;
    TCompand Comp;
    std::vector<std::string> messages_;
    bool saved_ = false;
};

} // namespace sonora
