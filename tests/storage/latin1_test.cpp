#include "storage/latin1.h"

#include <gtest/gtest.h>

#include <string>

namespace sonora {
namespace {

std::string allBytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        bytes.push_back(static_cast<char>(b));
    }
    return bytes;
}

TEST(Latin1, EndingsCompareAsciiLettersWithoutCase) {
    for (const char* name : {"a.LSP", "a.lsp", "a.LsP", ".lsp", "Gr\xFC\xDF.lSp"}) {
        EXPECT_TRUE(endsWithIgnoringAsciiCase(name, ".LSP")) << name;
    }
    for (const char* name : {"a.LSC", "LSP", "a.LSP ", "a.LS", ""}) {
        EXPECT_FALSE(endsWithIgnoringAsciiCase(name, ".LSP")) << name;
    }
    // Only ASCII letters fold: a Latin-1 ä (0xE4) is not Ä (0xC4), and '@' (0x40) is not '`'.
    EXPECT_FALSE(endsWithIgnoringAsciiCase("x\xE4", "X\xC4"));
    EXPECT_TRUE(endsWithIgnoringAsciiCase("x\xE4", "X\xE4"));
    EXPECT_FALSE(endsWithIgnoringAsciiCase("x`", "x@"));
    EXPECT_TRUE(endsWithIgnoringAsciiCase("anything", ""));
}

TEST(Latin1, KnownCharactersEncodeAsUtf8) {
    EXPECT_EQ(latin1ToUtf8("Hallo"), "Hallo");
    EXPECT_EQ(latin1ToUtf8("\xB5"), "\xC2\xB5");             // µ
    EXPECT_EQ(latin1ToUtf8("Geh\xE4use"), "Geh\xC3\xA4use"); // ä
    EXPECT_EQ(latin1ToUtf8("\xDF\xFF"), "\xC3\x9F\xC3\xBF"); // ß ÿ
    EXPECT_EQ(latin1ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(latin1ToUtf8(""), "");
}

TEST(Latin1, EveryByteSurvivesTheRoundTrip) {
    const std::string bytes = allBytes();
    const std::string utf8 = latin1ToUtf8(bytes);
    EXPECT_EQ(utf8.size(), 128u + 2u * 128u);
    EXPECT_EQ(utf8ToLatin1(utf8), bytes);
}

TEST(Latin1, CharactersOutsideLatin1BecomeQuestionMarks) {
    EXPECT_EQ(utf8ToLatin1("5 \xE2\x82\xAC"), "5 ?");   // € (three bytes)
    EXPECT_EQ(utf8ToLatin1("\xF0\x9F\x98\x80!"), "?!"); // emoji (four bytes)
    EXPECT_EQ(utf8ToLatin1("\xC4\x80"), "?");           // U+0100, first one outside
    EXPECT_EQ(utf8ToLatin1("\xC3\xBF"), "\xFF");        // U+00FF, last one inside
}

TEST(Latin1, MalformedUtf8GivesOneQuestionMarkPerBadByte) {
    EXPECT_EQ(utf8ToLatin1("\x80"), "?");   // stray continuation byte
    EXPECT_EQ(utf8ToLatin1("a\xC3"), "a?"); // truncated at the end
    EXPECT_EQ(utf8ToLatin1("\xC3"
                           "A"),
              "?A");                                          // continuation missing
    EXPECT_EQ(utf8ToLatin1("\xE2\x82"), "??");                // truncated three-byte form
    EXPECT_EQ(utf8ToLatin1("\xC0\x80"), "??");                // overlong NUL
    EXPECT_EQ(utf8ToLatin1("\xE0\x80\xB5"), "???");           // overlong µ
    EXPECT_EQ(utf8ToLatin1("\xED\xA0\x80"), "???");           // encoded surrogate
    EXPECT_EQ(utf8ToLatin1("\xF4\x90\x80\x80"), "????");      // above U+10FFFF
    EXPECT_EQ(utf8ToLatin1("\xF8\x88\x80\x80\x80"), "?????"); // five-byte form
    EXPECT_EQ(utf8ToLatin1("\xFF\xFE"), "??");
}

TEST(Latin1, Latin1BytesReadAsUtf8NeverGrow) {
    // Files are Latin-1; when one is read as UTF-8 by mistake nothing is lost beyond the bad bytes
    // and the text never grows.
    const std::string bytes = allBytes();
    const std::string decoded = utf8ToLatin1(bytes);
    EXPECT_EQ(decoded.size(), bytes.size());
    EXPECT_EQ(decoded.substr(0, 128), bytes.substr(0, 128));
    EXPECT_EQ(decoded.substr(128), std::string(128, '?'));
}

} // namespace
} // namespace sonora
