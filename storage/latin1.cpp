#include "storage/latin1.h"

#include <algorithm>
#include <cstdint>

namespace sonora {

namespace {

constexpr unsigned char kFirstNonAscii = 0x80;
constexpr char kReplacement = '?';
constexpr char32_t kLastLatin1 = 0xFF;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLastCodePoint = 0x10FFFF;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

bool isNameCharacter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

// Latin-1 letters outside ASCII that titles and driver names use, with their ASCII spelling.
const char* spelledOut(unsigned char c) {
    switch (c) {
    case 0xC4:
        return "Ae";
    case 0xD6:
        return "Oe";
    case 0xDC:
        return "Ue";
    case 0xE4:
        return "ae";
    case 0xF6:
        return "oe";
    case 0xFC:
        return "ue";
    case 0xDF:
        return "ss";
    default:
        return nullptr;
    }
}

} // namespace

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < kFirstNonAscii) {
            out.push_back(c);
        } else {
            // Two-byte form 110xxxxx 10xxxxxx for U+0080..U+00FF.
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

std::string utf8ToLatin1(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < kFirstNonAscii) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        // Sequence length and the smallest code point that may use it (shorter forms are overlong).
        std::size_t length = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if (!isContinuation(next)) {
                valid = false;
            } else {
                cp = (cp << 6) | (next & 0x3F);
            }
        }
        if (valid && (cp < minimum || cp > kLastCodePoint ||
                      (cp >= kFirstSurrogate && cp <= kLastSurrogate))) {
            valid = false;
        }
        if (!valid) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        out.push_back(cp <= kLastLatin1 ? static_cast<char>(cp) : kReplacement);
        i += length;
    }
    return out;
}

std::string fileNameStem(std::string_view latin1Title) {
    std::string name;
    bool gap = false;
    for (const char ch : latin1Title) {
        const auto c = static_cast<unsigned char>(ch);
        const char* spelled = spelledOut(c);
        if (spelled == nullptr && !isNameCharacter(c)) {
            gap = true;
            continue;
        }
        if (gap && !name.empty()) {
            name += '_';
        }
        gap = false;
        name += spelled != nullptr ? std::string(spelled) : std::string(1, ch);
    }
    return name;
}

bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) {
        return false;
    }
    const auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    };
    const std::string_view tail = text.substr(text.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(),
                      [&](char a, char b) { return upper(a) == upper(b); });
}

} // namespace sonora
