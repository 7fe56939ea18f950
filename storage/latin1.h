// Conversion between the program's 8-bit Latin-1 texts and UTF-8 at the edges (screen, terminal).
#pragma once

#include <string>
#include <string_view>

namespace sonora {

// Every byte of `text` is one ISO 8859-1 character; bytes 0x80..0xFF become two UTF-8 bytes.
std::string latin1ToUtf8(std::string_view text);

// Decodes UTF-8 into Latin-1 bytes. Characters above U+00FF become '?'. Each byte that does not
// belong to a well-formed sequence (stray continuation bytes, truncated or overlong sequences,
// encoded surrogates, values above U+10FFFF) also becomes one '?', so the result never holds
// more characters than the input has bytes.
std::string utf8ToLatin1(std::string_view text);

// A Latin-1 title as a file name that every system takes: umlauts and ß spelled out (ae, oe, ue,
// ss), every run of characters other than ASCII letters, digits and "-" one "_", none at the
// ends. "Bündelungsmaß" gives "Buendelungsmass"; a title without such characters gives "".
std::string fileNameStem(std::string_view latin1Title);

// True when `text` ends with `ending`, ASCII letters compared without regard to case (file name
// extensions such as ".LSP"); other bytes compare exactly.
bool endsWithIgnoringAsciiCase(std::string_view text, std::string_view ending);

} // namespace sonora
