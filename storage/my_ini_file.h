// TMyIniFile: the sectioned key-value store of project, driver and settings files.
//
// The whole file is read into memory on construction; all reads and writes act on the in-memory
// tables; save() writes the file back when something changed and writing is allowed. Keys, values
// and section names are Latin-1 bytes exactly as in the file; file names are UTF-8 paths.
//
// Damaged or hostile files: a file above kMaxFileBytes is not read (message); key lines before the
// first section line are ignored; sections after the first 1000 are dropped together with their
// keys, and key lines after the first kMaxIniKeys are dropped, each with one message; a scrambled
// file whose last line is cut off (its length runs past the end of the file, or a lone length
// byte is left) and a compressed image that does not expand completely up to its end symbol leave
// the object empty with the message of a wrong format (after the compressor's own): a partly read
// file would look like a complete one with keys missing.
// With bKrypt the first 8 bytes choose the form: "MyIni2CK" the compressed form; the scrambled line
// form as scrambledHeaderLength recognises it; anything else leaves the object empty with the
// message of a wrong format.
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
// Reading stops taking key lines after this many (a hostile file must not exhaust memory); far
// above any project file, which holds a few thousand.
inline constexpr int kMaxIniKeys = 1000000;
// Fixed seed pair of the keystream of the compressed form (writing and reading).
inline constexpr std::uint32_t kKeystreamSeed1 = 20040917;
inline constexpr std::uint32_t kKeystreamSeed2 = 1718281;
// The compressed form is combined with the keystream in blocks of this many bytes.
inline constexpr std::size_t kKeystreamBlockBytes = 16384;
// Scrambled line form: byte i of a line is combined with the low 8 bits of i * this odd factor.
inline constexpr std::uint32_t kScrambleMultiplier = 109;
// Scrambled line form: the two length bytes hold length div 100 and length mod 100, so no line can
// be longer than this.
inline constexpr std::size_t kMaxScrambledLineLength = 255 * 100 + 99;

// The header length of a scrambled line file from its first 8 bytes, or 0 when they do not start
// one: 30 for length bytes 0, 30 followed by the current header's scrambled start "## MyI"; 36 for
// length bytes 0, 36 (the older header, whose text varied between versions and is not checked).
// The one test of that form for the reader, the file-form probe and the project signature.
std::size_t scrambledHeaderLength(const std::vector<std::uint8_t>& firstBytes);

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
    // The compressed form is expanded again for a check; on a difference "Kompression schlug
    // fehl." is added to messages(), the existing file is left untouched and the result is false.
    // The scrambled line form cuts lines above kMaxScrambledLineLength bytes (one message).
    bool save();

    // Reads compare section and key names case-sensitively; the key search starts at the position
    // of the key found last (one position for the whole object) and wraps around once. The default
    // is returned only when the section or the key is missing; a value without digits reads as 0.
    // Integers are clamped to the Int32 range; booleans are true for an integer reading above 0.
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

    // Writes (without bAllowchanges they do nothing) find the key case-insensitively and replace
    // its value in place; a new key goes to the end of its section, a new section to the end of
    // the file (refused with one message beyond kMaxSections). Floats use the width-10 file text.
    void WriteInteger(const std::string& section, const std::string& name, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& name, bool value);
    void WriteFloat(const std::string& section, const std::string& name, double value);
    // CR and LF in the value become blanks: the format has no way to store a line break.
    void WriteString(const std::string& section, const std::string& name, const std::string& value);
    void WriteIntArray(const std::string& section, const std::string& name, const std::int32_t* a,
                       int vonindex, int anzahl);
    void WriteFloatArray(const std::string& section, const std::string& name, const double* a,
                         int vonindex, int anzahl);
    // Removes the key (case-insensitive lookup) and reports whether it existed; without
    // bAllowchanges nothing is removed and the result is false.
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

    // All sections in file order, and the whole content replaced at once (writing must be
    // allowed): for rewriting a file in another form without touching a single key or value.
    const std::vector<TSection>& allSections() const { return sections; }
    void replaceAllSections(const std::vector<TSection>& content);

    // Number of key lines read or added (nValues).
    int valueCount() const { return nValues; }

    // Reading was asked for and the file exists, but it was not taken: too large, unreadable, in
    // no form of this store, or damaged. The object is empty then and messages() says why. A
    // missing file is not refused: it reads as an empty store.
    bool readRefused() const { return readRefused_; }

private:
    // Lookups: sections case-sensitive from the start; keys for reading case-sensitive from
    // merkINDEX on, wrapping once; keys for writing case-insensitive from the start. -1: missing.
    int findSection(const std::string& section) const;
    int findKeyForReading(const TSection& sec, const std::string& name);
    static int findKeyForWriting(const TSection& sec, const std::string& name);
    // The value text of a key, nullptr when the section or the key is missing.
    const std::string* findValue(const std::string& section, const std::string& name);
    // Stores a value (replaced in place or appended, section created when missing).
    void putValue(const std::string& section, const std::string& name, const std::string& value);
    void markChanged();

    void readFile();
    void loadPlain(const std::vector<std::uint8_t>& image);
    void loadCompressed(const std::vector<std::uint8_t>& image);
    void loadScrambled(const std::vector<std::uint8_t>& image, std::size_t headerLength);
    // Drops everything read so far and adds the message of a wrong format.
    void refuseImage();
    // Splits text at CR and LF and handles every non-empty line.
    void parseText(const char* text, std::size_t length);
    void parseLine(const char* line, std::size_t length);
    void addMessageOnce(bool& given, const std::string& utf8Message);
    // Latin-1 file name for messages.
    std::string messageName() const;

    // Section and key lines with CR LF, without the header line.
    std::string bodyText() const;
    std::vector<std::uint8_t> plainImage() const;
    // `ok` (if given) tells whether the image expands back to the text exactly.
    std::vector<std::uint8_t> compressedImage(bool* ok = nullptr);
    std::vector<std::uint8_t> scrambledImage();

    std::vector<TSection> sections;
    int merkINDEX = 0;
    bool bKryptFile = false;
    bool bCompressFile = false;
    std::string IniFilename_;
    int nValues = 0;
    TCompand Comp;
    std::vector<std::string> messages_;
    bool saved_ = false;
    bool readRefused_ = false;
    // Messages of the bounds above are given once per object.
    bool sectionLimitTold_ = false;
    bool keyLimitTold_ = false;
    bool lineLengthTold_ = false;
    // Section of the key lines being read: -1 before the first section line and for dropped ones.
    int readSection_ = -1;
    // The section found last: checked first, since reads come section by section. It is always
    // the first section of its name, as sections are only appended (or all cleared).
    mutable int lastSection_ = -1;
};

} // namespace sonora
