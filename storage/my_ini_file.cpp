#include "storage/my_ini_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/numbers.h"
#include "storage/trandom.h"

namespace sonora {

namespace {

// Only the start of the header is checked: "## MyIniFile".
constexpr std::size_t kHeaderCheckLength = 12;
// Header line plus CR LF: the lines of the plain form start here, whatever these bytes hold.
constexpr std::size_t kPlainBodyOffset = 32;
// Header lengths of the scrambled line form: the current header and that of older files.
constexpr std::uint8_t kScrambledHeaderLength = 30;
constexpr std::uint8_t kOldScrambledHeaderLength = 36;
// Two length bytes before every scrambled line.
constexpr std::size_t kLengthBytes = 2;
constexpr std::size_t kLengthRadix = 100;
// The variant of the scrambled form is recognised from its first bytes: two length bytes and the
// start of the header, "## MyI".
constexpr std::size_t kScrambledProbeLength = 8;
constexpr std::uint32_t kByteMask = 0xFF;
constexpr std::uint32_t kKeystreamModulus = 255; // GetRandomInt(255): one byte per call
constexpr char kLineEnd[] = "\r\n";
constexpr char kKeySeparator[] = "=\t";
constexpr char kArraySeparator[] = ";\t";

bool isKeySeparator(char c) {
    return c == '\t' || c == ';' || c == '=';
}
bool isArraySeparator(char c) {
    return c == '\t' || c == ';';
}

// Latin-1 case folding: A-Z and the accented capitals (except the multiplication sign 0xD7).
unsigned char foldCase(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<unsigned char>(c + ('a' - 'A'));
    }
    return c;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(static_cast<unsigned char>(a[i])) !=
            foldCase(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::uint8_t scrambleByte(std::size_t i) {
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(i) * kScrambleMultiplier) &
                                     kByteMask);
}

// Combines bytes from offset kCompandMarkerLength on with the keystream, block by block; the
// keystream runs on across blocks. The same call scrambles and unscrambles.
void applyKeystream(std::vector<std::uint8_t>& image) {
    TRandom random;
    random.Reset(kKeystreamSeed1, kKeystreamSeed2);
    for (std::size_t block = 0; block < image.size(); block += kKeystreamBlockBytes) {
        const std::size_t end = std::min(image.size(), block + kKeystreamBlockBytes);
        for (std::size_t i = std::max(block, kCompandMarkerLength); i < end; ++i) {
            image[i] ^= static_cast<std::uint8_t>(random.GetRandomInt(kKeystreamModulus));
        }
    }
}

bool startsWithMarker(const std::vector<std::uint8_t>& image) {
    return image.size() >= kCompandMarkerLength &&
           std::memcmp(image.data(), kCompandMarker, kCompandMarkerLength) == 0;
}

std::int32_t clampToInt32(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::round(v), lo, hi));
}

// Calls take(element) for every element of an array value (elements separated by any run of ";"
// and TAB) until take returns false.
template <typename Take> void forEachElement(const std::string& value, Take take) {
    std::size_t pos = 0;
    while (pos < value.size()) {
        while (pos < value.size() && isArraySeparator(value[pos])) {
            ++pos;
        }
        if (pos == value.size()) {
            return;
        }
        std::size_t end = pos;
        while (end < value.size() && !isArraySeparator(value[end])) {
            ++end;
        }
        if (!take(std::string_view(value).substr(pos, end - pos))) {
            return;
        }
        pos = end;
    }
}

template <typename T, typename Text>
std::string joinElements(const T* a, int vonindex, int anzahl, Text text) {
    std::string joined;
    if (a == nullptr || vonindex < 0) {
        return joined;
    }
    for (int k = 0; k < anzahl; ++k) {
        if (k > 0) {
            joined += kArraySeparator;
        }
        joined += text(a[vonindex + k]);
    }
    return joined;
}

} // namespace

TMyIniFile::TMyIniFile(const std::string& filename, bool behalteExistierende, bool bAllowchange,
                       bool bKrypt, bool bCompress)
    : bAllowchanges(bAllowchange), bKryptFile(bKrypt), bCompressFile(bCompress),
      IniFilename_(filename) {
    if (behalteExistierende) {
        readFile();
    } else {
        filechanged = true;
    }
}

TMyIniFile::~TMyIniFile() {
    if (!saved_) {
        save(); // errors stay in messages(): a destructor has nobody to tell
    }
}

std::string TMyIniFile::messageName() const {
    return utf8ToLatin1(IniFilename_);
}

void TMyIniFile::addMessageOnce(bool& given, const std::string& utf8Message) {
    if (!given) {
        given = true;
        messages_.push_back(utf8ToLatin1(utf8Message));
    }
}

void TMyIniFile::markChanged() {
    filechanged = true;
    saved_ = false;
}

void TMyIniFile::replaceAllSections(const std::vector<TSection>& content) {
    if (!bAllowchanges) {
        return;
    }
    sections = content;
    if (sections.size() > static_cast<std::size_t>(kMaxSections)) {
        sections.resize(kMaxSections);
    }
    nValues = 0;
    for (const TSection& sec : sections) {
        nValues += static_cast<int>(sec.names.size());
    }
    merkINDEX = 0;
    lastSection_ = -1;
    markChanged();
}

// ---------------------------------------------------------------------------------------------
// Reading

void TMyIniFile::readFile() {
    std::vector<std::uint8_t> bytes;
    switch (readFileBytes(IniFilename_, bytes, kMaxFileBytes)) {
    case ReadStatus::Ok:
        loadImage(bytes);
        break;
    case ReadStatus::Missing:
        break;
    case ReadStatus::TooLarge:
        readRefused_ = true;
        messages_.push_back(utf8ToLatin1("Die Datei " + IniFilename_ + " ist größer als " +
                                         std::to_string(kMaxFileBytes / (1024 * 1024)) +
                                         " MiB und wird nicht gelesen."));
        break;
    case ReadStatus::Failed:
        readRefused_ = true;
        messages_.push_back(
            utf8ToLatin1("Die Datei " + IniFilename_ + " kann nicht gelesen werden."));
        break;
    }
}

std::size_t scrambledHeaderLength(const std::vector<std::uint8_t>& firstBytes) {
    if (firstBytes.size() < kScrambledProbeLength || firstBytes[0] != 0) {
        return 0;
    }
    if (firstBytes[1] == kOldScrambledHeaderLength) {
        return kOldScrambledHeaderLength;
    }
    if (firstBytes[1] != kScrambledHeaderLength) {
        return 0;
    }
    for (std::size_t i = 0; i + kLengthBytes < kScrambledProbeLength; ++i) {
        if (static_cast<char>(firstBytes[kLengthBytes + i] ^ scrambleByte(i)) != kMyIniHeader[i]) {
            return 0;
        }
    }
    return kScrambledHeaderLength;
}

void TMyIniFile::loadImage(const std::vector<std::uint8_t>& image) {
    sections.clear();
    lastSection_ = -1;
    merkINDEX = 0;
    nValues = 0;
    readSection_ = -1;
    readRefused_ = false;
    if (!bKryptFile) {
        loadPlain(image);
        return;
    }
    if (startsWithMarker(image)) {
        loadCompressed(image);
        return;
    }
    if (const std::size_t headerLength = scrambledHeaderLength(image); headerLength != 0) {
        loadScrambled(image, headerLength);
        return;
    }
    refuseImage();
}

void TMyIniFile::refuseImage() {
    sections.clear();
    lastSection_ = -1;
    merkINDEX = 0;
    nValues = 0;
    readSection_ = -1;
    readRefused_ = true;
    messages_.push_back(messageName() + " hat falsches Format.");
}

void TMyIniFile::loadPlain(const std::vector<std::uint8_t>& image) {
    if (image.size() < kHeaderCheckLength ||
        std::memcmp(image.data(), kMyIniHeader, kHeaderCheckLength) != 0) {
        refuseImage();
        return;
    }
    if (image.size() > kPlainBodyOffset) {
        parseText(reinterpret_cast<const char*>(image.data()) + kPlainBodyOffset,
                  image.size() - kPlainBodyOffset);
    }
}

void TMyIniFile::loadCompressed(const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> packed = image;
    applyKeystream(packed);
    std::vector<std::uint8_t> text;
    Comp.clearMessages();
    // A compressed text may not grow beyond what the plain form would be allowed to hold.
    const bool ok = Comp.expandStream(packed, text, kMaxFileBytes);
    for (const std::string& m : Comp.messages()) {
        messages_.push_back(m);
    }
    Comp.clearMessages();
    if (!ok) {
        // A partly expanded file would look like a complete one with keys missing: keep nothing.
        refuseImage();
        return;
    }
    parseText(reinterpret_cast<const char*>(text.data()), text.size());
}

void TMyIniFile::loadScrambled(const std::vector<std::uint8_t>& image, std::size_t headerLength) {
    std::string line;
    std::size_t pos = kLengthBytes + headerLength;
    if (pos > image.size()) {
        refuseImage(); // not even the header line is complete
        return;
    }
    while (pos < image.size()) {
        // A line without both length bytes or shorter than its length says is a cut-off file.
        if (image.size() - pos < kLengthBytes) {
            refuseImage();
            return;
        }
        const std::size_t length = image[pos] * kLengthRadix + image[pos + 1];
        pos += kLengthBytes;
        if (length > image.size() - pos) {
            refuseImage();
            return;
        }
        line.resize(length);
        for (std::size_t i = 0; i < length; ++i) {
            line[i] = static_cast<char>(image[pos + i] ^ scrambleByte(i));
        }
        // No line end is stored; a hostile line holding CR or LF is split like plain text.
        parseText(line.data(), line.size());
        pos += length;
    }
}

void TMyIniFile::parseText(const char* text, std::size_t length) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= length; ++i) {
        if (i == length || text[i] == '\r' || text[i] == '\n') {
            if (i > start) {
                parseLine(text + start, i - start);
            }
            start = i + 1;
        }
    }
}

void TMyIniFile::parseLine(const char* line, std::size_t length) {
    if (line[0] == '/') {
        return; // comment
    }
    if (line[0] == '#') {
        if (length >= 2 && line[1] == '#') {
            return;
        }
        if (sections.size() >= static_cast<std::size_t>(kMaxSections)) {
            readSection_ = -1; // its key lines are dropped with it
            addMessageOnce(sectionLimitTold_, IniFilename_ + " hat mehr als " +
                                                  std::to_string(kMaxSections) +
                                                  " Abschnitte; die übrigen werden ignoriert.");
            return;
        }
        TSection section;
        section.name.assign(line + 1, std::min(length - 1, kMaxSectionNameLength));
        sections.push_back(std::move(section));
        readSection_ = static_cast<int>(sections.size()) - 1;
        return;
    }
    std::size_t sep = 0;
    while (sep < length && !isKeySeparator(line[sep])) {
        ++sep;
    }
    if (sep == length || readSection_ < 0) {
        return; // no key line, or a key line without a section to go to
    }
    if (nValues >= kMaxIniKeys) {
        addMessageOnce(keyLimitTold_, IniFilename_ + " hat mehr als " +
                                          std::to_string(kMaxIniKeys) +
                                          " Einträge; die übrigen werden ignoriert.");
        return;
    }
    std::size_t valueStart = sep;
    while (valueStart < length && isKeySeparator(line[valueStart])) {
        ++valueStart;
    }
    TSection& section = sections[static_cast<std::size_t>(readSection_)];
    section.names.emplace_back(line, sep);
    section.values.emplace_back(line + valueStart, length - valueStart);
    ++nValues;
}

// ---------------------------------------------------------------------------------------------
// Lookup

int TMyIniFile::findSection(const std::string& section) const {
    if (lastSection_ >= 0 && static_cast<std::size_t>(lastSection_) < sections.size() &&
        sections[static_cast<std::size_t>(lastSection_)].name == section) {
        return lastSection_;
    }
    for (std::size_t s = 0; s < sections.size(); ++s) {
        if (sections[s].name == section) {
            lastSection_ = static_cast<int>(s);
            return lastSection_;
        }
    }
    return -1;
}

int TMyIniFile::findKeyForReading(const TSection& sec, const std::string& name) {
    const int n = static_cast<int>(sec.names.size());
    const int start = (merkINDEX >= 0 && merkINDEX < n) ? merkINDEX : 0;
    for (int i = 0; i < n; ++i) {
        const int k = (start + i < n) ? start + i : start + i - n;
        if (sec.names[static_cast<std::size_t>(k)] == name) {
            merkINDEX = k;
            return k;
        }
    }
    return -1;
}

int TMyIniFile::findKeyForWriting(const TSection& sec, const std::string& name) {
    for (std::size_t k = 0; k < sec.names.size(); ++k) {
        if (equalsIgnoringCase(sec.names[k], name)) {
            return static_cast<int>(k);
        }
    }
    return -1;
}

const std::string* TMyIniFile::findValue(const std::string& section, const std::string& name) {
    const int s = findSection(section);
    if (s < 0) {
        return nullptr;
    }
    const TSection& sec = sections[static_cast<std::size_t>(s)];
    const int k = findKeyForReading(sec, name);
    return k < 0 ? nullptr : &sec.values[static_cast<std::size_t>(k)];
}

bool TMyIniFile::SectionExists(const std::string& section) const {
    return findSection(section) >= 0;
}

bool TMyIniFile::ValueExists(const std::string& section, const std::string& name) {
    return findValue(section, name) != nullptr;
}

// ---------------------------------------------------------------------------------------------
// Typed reading

std::int32_t TMyIniFile::ReadInteger(const std::string& section, const std::string& name,
                                     std::int32_t def) {
    const std::string* value = findValue(section, name);
    if (value == nullptr) {
        return def;
    }
    const std::int64_t v = parseInteger(*value).value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool TMyIniFile::ReadBool(const std::string& section, const std::string& name, bool def) {
    const std::string* value = findValue(section, name);
    return value == nullptr ? def : parseInteger(*value).value > 0;
}

double TMyIniFile::ReadFloat(const std::string& section, const std::string& name, double def) {
    const std::string* value = findValue(section, name);
    return value == nullptr ? def : parseFloat(*value).value;
}

std::string TMyIniFile::ReadString(const std::string& section, const std::string& name,
                                   const std::string& def) {
    const std::string* value = findValue(section, name);
    return value == nullptr ? def : *value;
}

int TMyIniFile::ReadIntArray(const std::string& section, const std::string& name, std::int32_t* a,
                             int vonindex, int max) {
    const std::string* value = findValue(section, name);
    if (value == nullptr || a == nullptr || vonindex < 0 || max <= 0) {
        return 0;
    }
    int count = 0;
    forEachElement(*value, [&](std::string_view element) {
        a[vonindex + count] = clampToInt32(parseFloat(element).value);
        return ++count < max;
    });
    return count;
}

int TMyIniFile::ReadFloatArray(const std::string& section, const std::string& name, double* a,
                               int vonindex, int max) {
    const std::string* value = findValue(section, name);
    if (value == nullptr || a == nullptr || vonindex < 0 || max <= 0) {
        return 0;
    }
    int count = 0;
    forEachElement(*value, [&](std::string_view element) {
        a[vonindex + count] = parseFloat(element).value;
        return ++count < max;
    });
    return count;
}

// ---------------------------------------------------------------------------------------------
// Writing

void TMyIniFile::putValue(const std::string& section, const std::string& name,
                          const std::string& value) {
    if (!bAllowchanges) {
        return;
    }
    int s = findSection(section);
    if (s < 0) {
        if (sections.size() >= static_cast<std::size_t>(kMaxSections)) {
            addMessageOnce(sectionLimitTold_, IniFilename_ + " hat mehr als " +
                                                  std::to_string(kMaxSections) +
                                                  " Abschnitte; die übrigen werden ignoriert.");
            return;
        }
        sections.push_back(TSection{section, {}, {}});
        s = static_cast<int>(sections.size()) - 1;
    }
    TSection& sec = sections[static_cast<std::size_t>(s)];
    const int k = findKeyForWriting(sec, name);
    if (k >= 0) {
        sec.values[static_cast<std::size_t>(k)] = value;
    } else {
        sec.names.push_back(name);
        sec.values.push_back(value);
        ++nValues;
    }
    markChanged();
}

void TMyIniFile::WriteInteger(const std::string& section, const std::string& name,
                              std::int32_t value) {
    putValue(section, name, std::to_string(value));
}

void TMyIniFile::WriteBool(const std::string& section, const std::string& name, bool value) {
    putValue(section, name, value ? "1" : "0");
}

void TMyIniFile::WriteFloat(const std::string& section, const std::string& name, double value) {
    putValue(section, name, compactNumberText(kFileNumberWidth, value));
}

void TMyIniFile::WriteString(const std::string& section, const std::string& name,
                             const std::string& value) {
    // A text cannot hold a line break in this format: a break would end the line and turn the
    // rest into a line of its own.
    std::string text = value;
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    putValue(section, name, text);
}

void TMyIniFile::WriteIntArray(const std::string& section, const std::string& name,
                               const std::int32_t* a, int vonindex, int anzahl) {
    putValue(section, name,
             joinElements(a, vonindex, anzahl, [](std::int32_t v) { return std::to_string(v); }));
}

void TMyIniFile::WriteFloatArray(const std::string& section, const std::string& name,
                                 const double* a, int vonindex, int anzahl) {
    putValue(section, name, joinElements(a, vonindex, anzahl, [](double v) {
                 return compactNumberText(kFileNumberWidth, v);
             }));
}

bool TMyIniFile::DeleteEntry(const std::string& section, const std::string& name) {
    if (!bAllowchanges) {
        return false;
    }
    const int s = findSection(section);
    if (s < 0) {
        return false;
    }
    TSection& sec = sections[static_cast<std::size_t>(s)];
    const int k = findKeyForWriting(sec, name);
    if (k < 0) {
        return false;
    }
    sec.names.erase(sec.names.begin() + k);
    sec.values.erase(sec.values.begin() + k);
    markChanged();
    return true;
}

// ---------------------------------------------------------------------------------------------
// File images and saving

std::string TMyIniFile::bodyText() const {
    std::size_t size = 0;
    for (const TSection& sec : sections) {
        size += sec.name.size() + 3;
        for (std::size_t k = 0; k < sec.names.size(); ++k) {
            size += sec.names[k].size() + sec.values[k].size() + 4;
        }
    }
    std::string text;
    text.reserve(size);
    for (const TSection& sec : sections) {
        text += '#';
        text += sec.name;
        text += kLineEnd;
        for (std::size_t k = 0; k < sec.names.size(); ++k) {
            text += sec.names[k];
            text += kKeySeparator;
            text += sec.values[k];
            text += kLineEnd;
        }
    }
    return text;
}

std::vector<std::uint8_t> TMyIniFile::plainImage() const {
    const std::string text = std::string(kMyIniHeader) + kLineEnd + bodyText();
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> TMyIniFile::compressedImage(bool* ok) {
    const std::string body = bodyText();
    const std::vector<std::uint8_t> text(body.begin(), body.end());
    std::vector<std::uint8_t> packed;
    Comp.clearMessages();
    const bool compressed = Comp.compressStream(text, packed);
    // Check the output by expanding it again; more than the text itself cannot be right.
    std::vector<std::uint8_t> check;
    const bool expanded = Comp.expandStream(packed, check, text.size() + 1);
    const bool good = compressed && expanded && check == text;
    if (ok != nullptr) {
        *ok = good;
    }
    if (!good) {
        for (const std::string& m : Comp.messages()) {
            messages_.push_back(m);
        }
        messages_.push_back("Kompression schlug fehl.");
    }
    Comp.clearMessages();
    applyKeystream(packed);
    return packed;
}

std::vector<std::uint8_t> TMyIniFile::scrambledImage() {
    std::vector<std::uint8_t> image;
    auto addLine = [&](const std::string& a, const char* b, const std::string& c) {
        std::size_t length = a.size() + std::strlen(b) + c.size();
        if (length > kMaxScrambledLineLength) {
            length = kMaxScrambledLineLength;
            addMessageOnce(lineLengthTold_, IniFilename_ + ": Zeilen über " +
                                                std::to_string(kMaxScrambledLineLength) +
                                                " Zeichen wurden gekürzt.");
        }
        image.push_back(static_cast<std::uint8_t>(length / kLengthRadix));
        image.push_back(static_cast<std::uint8_t>(length % kLengthRadix));
        const std::string line = (a + b + c).substr(0, length);
        for (std::size_t i = 0; i < length; ++i) {
            image.push_back(static_cast<std::uint8_t>(line[i]) ^ scrambleByte(i));
        }
    };
    addLine(kMyIniHeader, "", "");
    for (const TSection& sec : sections) {
        addLine("#", "", sec.name);
        for (std::size_t k = 0; k < sec.names.size(); ++k) {
            addLine(sec.names[k], kKeySeparator, sec.values[k]);
        }
    }
    return image;
}

std::vector<std::uint8_t> TMyIniFile::fileImage() {
    if (!bKryptFile) {
        return plainImage();
    }
    return bCompressFile ? compressedImage() : scrambledImage();
}

bool TMyIniFile::save() {
    saved_ = true;
    if (!bAllowchanges || !filechanged) {
        return true;
    }
    // A compressed image that does not expand back to the text is not written: the file that is
    // there stays as it was, and the caller learns that saving failed.
    bool compressedOk = true;
    const std::vector<std::uint8_t> image =
        bKryptFile && bCompressFile ? compressedImage(&compressedOk) : fileImage();
    if (!compressedOk) {
        return false;
    }
    std::string error;
    if (!writeFileAtomically(IniFilename_, image, error)) {
        messages_.push_back(utf8ToLatin1(error));
        return false;
    }
    filechanged = false;
    return true;
}

} // namespace sonora
