#include "storage/my_ini_file.h"

#include "storage/compand.h"
#include "storage/file_io.h"
#include "storage/trandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace sonora {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::string textOf(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

const std::string kHeaderLine = std::string(kMyIniHeader) + "\r\n";

// One scrambled line as the format stores it, built here independently of the writer.
std::string scrambledLine(std::string_view line) {
    std::string out;
    out += static_cast<char>(line.size() / 100);
    out += static_cast<char>(line.size() % 100);
    for (std::size_t i = 0; i < line.size(); ++i) {
        out += static_cast<char>(static_cast<unsigned char>(line[i]) ^
                                 ((i * kScrambleMultiplier) & 0xFF));
    }
    return out;
}

class MyIniFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_ini_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // An object read from `image` that never writes a file.
    std::unique_ptr<TMyIniFile> fromImage(std::string_view image, bool krypt = false,
                                          bool compress = false) {
        auto ini = std::make_unique<TMyIniFile>(path("image.ini"), false, false, krypt, compress);
        ini->loadImage(bytesOf(image));
        return ini;
    }
    // An empty object that may be written to; it saves into the test folder when destroyed.
    std::unique_ptr<TMyIniFile> writable(bool krypt = false, bool compress = false) {
        return std::make_unique<TMyIniFile>(path("w.ini"), false, true, krypt, compress);
    }

    fs::path dir;
};

// ---------------------------------------------------------------------------------------------
// Plain form

TEST_F(MyIniFile, PlainImageOfASmallProjectIsByteExact) {
    auto ini = writable();
    ini->WriteInteger("Header", "Version", 2000);
    ini->WriteString("General", "Name", "Box");
    ini->WriteFloat("General", "Vb", 0.024);
    ini->WriteBool("General", "bOptimize", true);
    EXPECT_EQ(std::string(kMyIniHeader).size(), 30u);
    EXPECT_EQ(textOf(ini->fileImage()), "## MyIniFile 1.0 by KT 2004 ##\r\n"
                                        "#Header\r\n"
                                        "Version=\t2000\r\n"
                                        "#General\r\n"
                                        "Name=\tBox\r\n"
                                        "Vb=\t0,024\r\n"
                                        "bOptimize=\t1\r\n");
}

TEST_F(MyIniFile, HeaderIsCheckedOnTwelveCharactersAndItsThirtyTwoBytesAreSkipped) {
    // Bytes 12..31 hold what would be a section and a key line if they were read.
    std::string header = "## MyIniFile\n#Hidden\nk=\t1\r\n";
    header.resize(32, 'x');
    auto ini = fromImage(header + "#S\r\nk=\tv\r\n");
    EXPECT_TRUE(ini->messages().empty());
    EXPECT_FALSE(ini->SectionExists("Hidden"));
    EXPECT_EQ(ini->nSections(), 1);
    EXPECT_EQ(ini->ReadString("S", "k", "-"), "v");

    // A header line of 27 characters: the 3 bytes "#A#" after its CR LF are skipped too, so the
    // line "B" is no section and "k=\tb" has none to go to.
    auto shortHeader = fromImage("## MyIniFile 2.0 by someone\r\n#A#B\r\nk=\tb\r\n");
    EXPECT_EQ(shortHeader->nSections(), 0);
    EXPECT_EQ(shortHeader->valueCount(), 0);
}

TEST_F(MyIniFile, WrongHeaderLeavesTheObjectEmptyWithMessage) {
    for (std::string_view image :
         {std::string_view("## MyIniFilE 1.0 by KT 2004 ##\r\n#S\r\nk=\t1\r\n"),
          std::string_view("## MyIni"), std::string_view("")}) {
        auto ini = fromImage(image);
        EXPECT_EQ(ini->nSections(), 0) << image;
        ASSERT_EQ(ini->messages().size(), 1u) << image;
        EXPECT_EQ(ini->messages()[0], path("image.ini") + " hat falsches Format.");
        EXPECT_EQ(ini->ReadInteger("S", "k", 7), 7);
    }
}

TEST_F(MyIniFile, LinesAreSortedIntoCommentsSectionsAndKeys) {
    const std::string long100(100, 'L');
    auto ini = fromImage(kHeaderLine +
                         "orphan=\tbefore any section\r\n"
                         "#S\r\n"
                         "/comment=\tnot a key\r\n"
                         "## not a section\r\n"
                         "Name=;\tx\r\n"
                         "  Spaced Key =\tv\r\n"
                         "a=\tb=c;\td\r\n"
                         "just words\r\n"
                         "\r\n\r\n"
                         "semi;1\n"
                         "tab\t2\r"
                         "=\tempty key\r\n"
                         "novalue=\r\n"
                         "#" +
                         long100 + "\r\nin=\tlong\r\n");
    EXPECT_EQ(ini->nSections(), 2);
    EXPECT_EQ(ini->valueCount(), 8);
    EXPECT_EQ(ini->ReadString("S", "Name", "-"), "x");
    EXPECT_EQ(ini->ReadString("S", "  Spaced Key ", "-"), "v");
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "b=c;\td");
    EXPECT_EQ(ini->ReadString("S", "semi", "-"), "1");
    EXPECT_EQ(ini->ReadString("S", "tab", "-"), "2");
    EXPECT_EQ(ini->ReadString("S", "", "-"), "empty key");
    EXPECT_EQ(ini->ReadString("S", "novalue", "-"), "");
    EXPECT_FALSE(ini->ValueExists("S", "/comment"));
    EXPECT_FALSE(ini->ValueExists("S", "orphan"));
    EXPECT_FALSE(ini->SectionExists(" not a section"));
    EXPECT_FALSE(ini->SectionExists("# not a section"));
    EXPECT_EQ(ini->ReadString(long100.substr(0, kMaxSectionNameLength), "in", "-"), "long");
    EXPECT_TRUE(ini->messages().empty());
}

TEST_F(MyIniFile, DuplicateSectionsAreKeptAndTheFirstIsFound) {
    auto ini = fromImage(kHeaderLine + "#S\r\na=\t1\r\n#S\r\nb=\t2\r\n");
    EXPECT_EQ(ini->nSections(), 2);
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "1");
    EXPECT_EQ(ini->ReadString("S", "b", "-"), "-"); // it went into the second "S"
    EXPECT_EQ(textOf(ini->fileImage()), kHeaderLine + "#S\r\na=\t1\r\n#S\r\nb=\t2\r\n");
}

TEST_F(MyIniFile, SectionsDifferingOnlyInCaseCoexistAndAreWrittenSeparately) {
    auto ini = writable();
    ini->WriteInteger("AktFilter1", "Typ", 3);
    ini->WriteInteger("Aktfilter1", "Typ", 5);
    ini->WriteInteger("AKTFILTER1", "typ", 7);
    EXPECT_EQ(ini->nSections(), 3);
    EXPECT_EQ(ini->ReadInteger("AktFilter1", "Typ", 0), 3);
    EXPECT_EQ(ini->ReadInteger("Aktfilter1", "Typ", 0), 5);
    EXPECT_EQ(textOf(ini->fileImage()), kHeaderLine + "#AktFilter1\r\nTyp=\t3\r\n"
                                                      "#Aktfilter1\r\nTyp=\t5\r\n"
                                                      "#AKTFILTER1\r\ntyp=\t7\r\n");
}

// ---------------------------------------------------------------------------------------------
// Lookup and order

TEST_F(MyIniFile, ReadingIsCaseSensitiveWritingReplacesInPlaceIgnoringCase) {
    auto ini = writable();
    ini->WriteString("S", "Alpha", "1");
    ini->WriteString("S", "Beta", "2");
    ini->WriteString("S", "Gamma", "3");
    ini->WriteString("S", "L\xC4NGE", "4"); // Latin-1 "LÄNGE"
    EXPECT_EQ(ini->ReadString("S", "BETA", "-"), "-");
    EXPECT_FALSE(ini->ValueExists("S", "beta"));
    ini->WriteString("S", "BETA", "two");
    ini->WriteString("S", "l\xE4nge", "four"); // "länge" finds "LÄNGE"
    EXPECT_EQ(ini->ReadString("S", "Beta", "-"), "two");
    EXPECT_EQ(ini->valueCount(), 4);
    EXPECT_EQ(textOf(ini->fileImage()),
              kHeaderLine + "#S\r\nAlpha=\t1\r\nBeta=\ttwo\r\nGamma=\t3\r\nL\xC4NGE=\tfour\r\n");
}

TEST_F(MyIniFile, ReadsGoOnFromWhereTheLastSearchEnded) {
    // With a key that appears twice the start of the search becomes visible: it begins at the
    // position of the last key found and wraps around once.
    auto ini = fromImage(kHeaderLine + "#S\r\na=\t1\r\nb=\t2\r\na=\t3\r\nc=\t4\r\n#T\r\nx=\t9\r\n");
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "1"); // from the start
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "1"); // found again where the search ended
    EXPECT_EQ(ini->ReadString("S", "b", "-"), "2");
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "3"); // onwards from "b"
    EXPECT_EQ(ini->ReadString("S", "c", "-"), "4");
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "1"); // wrapped around
    EXPECT_EQ(ini->ReadString("S", "c", "-"), "4");
    // The position is one value for the whole object: in "T" (one key) it lies outside the list.
    EXPECT_EQ(ini->ReadString("T", "x", "-"), "9");
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "1");
    EXPECT_EQ(ini->ReadString("S", "missing", "-"), "-");

    // Reading every key of a larger section forwards, backwards and in a stride finds each.
    std::string image = kHeaderLine + "#Big\r\n";
    for (int k = 0; k < 50; ++k) {
        image += "k" + std::to_string(k) + "=\t" + std::to_string(k * k) + "\r\n";
    }
    auto big = fromImage(image);
    for (int k = 0; k < 50; ++k) {
        EXPECT_EQ(big->ReadInteger("Big", "k" + std::to_string(k), -1), k * k);
    }
    for (int k = 49; k >= 0; --k) {
        EXPECT_EQ(big->ReadInteger("Big", "k" + std::to_string(k), -1), k * k);
    }
    for (int k = 0; k < 50; ++k) {
        const int j = (k * 17) % 50;
        EXPECT_EQ(big->ReadInteger("Big", "k" + std::to_string(j), -1), j * j);
    }
}

TEST_F(MyIniFile, DeleteEntryRemovesOneKeyAndKeepsTheOrder) {
    auto ini = writable();
    for (const char* key : {"a", "b", "c", "d"}) {
        ini->WriteString("S", key, key);
    }
    EXPECT_EQ(ini->ReadString("S", "d", "-"), "d"); // search position at the end of the list
    EXPECT_TRUE(ini->DeleteEntry("S", "D"));        // case-insensitive
    EXPECT_TRUE(ini->DeleteEntry("S", "b"));
    EXPECT_FALSE(ini->DeleteEntry("S", "b"));
    EXPECT_FALSE(ini->DeleteEntry("S", "zz"));
    EXPECT_FALSE(ini->DeleteEntry("Missing", "a"));
    EXPECT_EQ(ini->ReadString("S", "c", "-"), "c");
    EXPECT_EQ(ini->ReadString("S", "a", "-"), "a");
    EXPECT_FALSE(ini->ValueExists("S", "d"));
    ini->WriteString("S", "b", "again"); // appended at the end, not at its old place
    EXPECT_EQ(textOf(ini->fileImage()), kHeaderLine + "#S\r\na=\ta\r\nc=\tc\r\nb=\tagain\r\n");
}

// ---------------------------------------------------------------------------------------------
// Typed values

TEST_F(MyIniFile, TypedReadsUseTheDefaultOnlyWhenSectionOrKeyIsMissing) {
    auto ini = fromImage(kHeaderLine + "#V\r\n"
                                       "int=\t-42\r\n"
                                       "frac=\t1,5\r\n"
                                       "word=\tabc\r\n"
                                       "huge=\t99999999999\r\n"
                                       "tiny=\t-99999999999\r\n"
                                       "two=\t2\r\n"
                                       "zero=\t0\r\n"
                                       "neg=\t-1\r\n"
                                       "comma=\t0,24\r\n"
                                       "point=\t0.24\r\n"
                                       "exp=\t1,234567E6\r\n"
                                       "text=\t  spaced \xE4 text  \r\n");
    EXPECT_EQ(ini->ReadInteger("V", "int", 7), -42);
    EXPECT_EQ(ini->ReadInteger("V", "frac", 7), 1);
    EXPECT_EQ(ini->ReadInteger("V", "word", 7), 0);
    EXPECT_EQ(ini->ReadInteger("V", "huge", 7), INT32_MAX);
    EXPECT_EQ(ini->ReadInteger("V", "tiny", 7), INT32_MIN);
    EXPECT_EQ(ini->ReadInteger("V", "nokey", 7), 7);
    EXPECT_EQ(ini->ReadInteger("W", "int", 7), 7);

    EXPECT_TRUE(ini->ReadBool("V", "two", false));
    EXPECT_FALSE(ini->ReadBool("V", "zero", true));
    EXPECT_FALSE(ini->ReadBool("V", "neg", true));
    EXPECT_FALSE(ini->ReadBool("V", "word", true));
    EXPECT_TRUE(ini->ReadBool("V", "nokey", true));

    EXPECT_DOUBLE_EQ(ini->ReadFloat("V", "comma", 9), 0.24);
    EXPECT_DOUBLE_EQ(ini->ReadFloat("V", "point", 9), 0.24);
    EXPECT_DOUBLE_EQ(ini->ReadFloat("V", "exp", 9), 1234567);
    EXPECT_DOUBLE_EQ(ini->ReadFloat("V", "word", 9), 0);
    EXPECT_DOUBLE_EQ(ini->ReadFloat("V", "nokey", 9.5), 9.5);

    EXPECT_EQ(ini->ReadString("V", "text", "-"), "  spaced \xE4 text  ");
    EXPECT_EQ(ini->ReadString("X", "text", "def"), "def");
}

TEST_F(MyIniFile, TypedWritesUseTheFileNotation) {
    auto ini = writable();
    ini->WriteFloat("F", "a", 0.24);
    ini->WriteFloat("F", "b", 20000);
    ini->WriteFloat("F", "c", 0.000001);
    ini->WriteFloat("F", "d", 1234567);
    ini->WriteFloat("F", "e", -2.5);
    ini->WriteInteger("F", "f", INT32_MIN);
    ini->WriteBool("F", "g", false);
    ini->WriteString("F", "h", "two\r\nlines");
    EXPECT_EQ(textOf(ini->fileImage()), kHeaderLine +
                                            "#F\r\na=\t0,24\r\nb=\t20000\r\nc=\t1,E-6\r\n"
                                            "d=\t1,234567E6\r\ne=\t-2,5\r\nf=\t-2147483648\r\n"
                                            "g=\t0\r\nh=\ttwo  lines\r\n");
    EXPECT_DOUBLE_EQ(ini->ReadFloat("F", "c", 0), 0.000001);
    EXPECT_EQ(ini->ReadInteger("F", "f", 0), INT32_MIN);
}

TEST_F(MyIniFile, ArraysAreJoinedBySemicolonTabAndSplitAtAnyRun) {
    auto ini = writable();
    const std::int32_t ints[] = {9, 3, -4, 5, 9};
    const double floats[] = {0.5, 1.5e-7, 20000};
    ini->WriteIntArray("A", "ints", ints, 1, 3);
    ini->WriteFloatArray("A", "floats", floats, 0, 3);
    ini->WriteIntArray("A", "none", ints, 0, 0);
    EXPECT_EQ(ini->ReadString("A", "ints", "-"), "3;\t-4;\t5");
    EXPECT_EQ(ini->ReadString("A", "floats", "-"), "0,5;\t1,5E-7;\t20000");
    EXPECT_EQ(ini->ReadString("A", "none", "-"), "");

    std::int32_t back[6] = {-1, -1, -1, -1, -1, -1};
    EXPECT_EQ(ini->ReadIntArray("A", "ints", back, 2, 10), 3);
    EXPECT_EQ((std::vector<std::int32_t>(back, back + 6)),
              (std::vector<std::int32_t>{-1, -1, 3, -4, 5, -1}));
    double fback[3] = {};
    EXPECT_EQ(ini->ReadFloatArray("A", "floats", fback, 0, 3), 3);
    EXPECT_DOUBLE_EQ(fback[1], 1.5e-7);
    EXPECT_DOUBLE_EQ(fback[2], 20000);

    auto read = fromImage(kHeaderLine + "#A\r\n"
                                        "pair=\t1,5;\t2,5\r\n"
                                        "runs=\t;\t1;;\t\t;2\t;\r\n"
                                        "round=\t2,5;\t-2,5;\t1e20;\t-1e20;\t0,49\r\n"
                                        "empty=\t\r\n");
    std::int32_t a[3] = {-1, -1, -1};
    EXPECT_EQ(read->ReadIntArray("A", "pair", a, 0, 1), 1);
    EXPECT_EQ(a[0], 2); // 1,5 rounded half away from zero
    EXPECT_EQ(a[1], -1);
    double f[3] = {-1, -1, -1};
    EXPECT_EQ(read->ReadFloatArray("A", "pair", f, 0, 1), 1);
    EXPECT_DOUBLE_EQ(f[0], 1.5);
    EXPECT_DOUBLE_EQ(f[1], -1);
    EXPECT_EQ(read->ReadFloatArray("A", "runs", f, 0, 3), 2);
    EXPECT_DOUBLE_EQ(f[0], 1);
    EXPECT_DOUBLE_EQ(f[1], 2);
    std::int32_t r[5] = {};
    EXPECT_EQ(read->ReadIntArray("A", "round", r, 0, 5), 5);
    EXPECT_EQ((std::vector<std::int32_t>(r, r + 5)),
              (std::vector<std::int32_t>{3, -3, INT32_MAX, INT32_MIN, 0}));
    // Missing keys and empty values read nothing and leave the array alone.
    std::int32_t keep[2] = {11, 12};
    EXPECT_EQ(read->ReadIntArray("A", "missing", keep, 0, 2), 0);
    EXPECT_EQ(read->ReadIntArray("A", "empty", keep, 0, 2), 0);
    EXPECT_EQ(read->ReadIntArray("Nope", "pair", keep, 0, 2), 0);
    EXPECT_EQ(keep[0], 11);
    EXPECT_EQ(keep[1], 12);
}

// ---------------------------------------------------------------------------------------------
// Changes and saving

TEST_F(MyIniFile, WithoutAllowchangesNothingChangesAndNothingIsSaved) {
    const std::string file = path("readonly.LSP");
    const std::string original = kHeaderLine + "#S\r\nk=\t1\r\n";
    std::string error;
    ASSERT_TRUE(writeFileAtomically(file, bytesOf(original), error)) << error;
    {
        TMyIniFile ini(file, true, false, false, false);
        ini.WriteInteger("S", "k", 2);
        ini.WriteString("New", "x", "y");
        EXPECT_FALSE(ini.DeleteEntry("S", "k"));
        EXPECT_EQ(ini.ReadInteger("S", "k", 0), 1);
        EXPECT_FALSE(ini.SectionExists("New"));
        EXPECT_FALSE(ini.filechanged);
        EXPECT_TRUE(ini.save());
    }
    std::vector<std::uint8_t> after;
    ASSERT_EQ(readFileBytes(file, after), ReadStatus::Ok);
    EXPECT_EQ(textOf(after), original);
    // A new file that may not be written is not created either.
    { TMyIniFile fresh(path("never.LSP"), false, false, false, false); }
    EXPECT_FALSE(fs::exists(path("never.LSP")));
}

TEST_F(MyIniFile, DestructorSavesUnlessSaveWasCalledSinceTheLastChange) {
    const std::string file = path("p.LSP");
    { TMyIniFile fresh(file, false, true, false, false); } // new and empty: header only
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(readFileBytes(file, bytes), ReadStatus::Ok);
    EXPECT_EQ(textOf(bytes), kHeaderLine);
    {
        TMyIniFile ini(file, true, true, false, false);
        EXPECT_FALSE(ini.filechanged);
        ini.WriteInteger("S", "k", 1);
        EXPECT_TRUE(ini.filechanged);
        EXPECT_TRUE(ini.save());
        EXPECT_FALSE(ini.filechanged);
        // Replace the file behind the object's back: without a further change it stays.
        std::string error;
        ASSERT_TRUE(writeFileAtomically(file, bytesOf("other"), error));
    }
    ASSERT_EQ(readFileBytes(file, bytes), ReadStatus::Ok);
    EXPECT_EQ(textOf(bytes), "other");
    {
        TMyIniFile ini(path("q.LSP"), false, true, false, false);
        ini.WriteInteger("S", "k", 1);
        EXPECT_TRUE(ini.save());
        ini.WriteInteger("S", "k", 2); // a change after save(): the destructor saves again
    }
    ASSERT_EQ(readFileBytes(path("q.LSP"), bytes), ReadStatus::Ok);
    EXPECT_EQ(textOf(bytes), kHeaderLine + "#S\r\nk=\t2\r\n");
}

TEST_F(MyIniFile, MissingFileStaysEmptyAndIsNotCreatedWithoutChanges) {
    const std::string file = path("missing.LSP");
    {
        TMyIniFile ini(file, true, true, false, false);
        EXPECT_EQ(ini.nSections(), 0);
        EXPECT_TRUE(ini.messages().empty());
        EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    }
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(MyIniFile, SaveReportsAWriteError) {
    const std::string file = path("no/such/folder/p.LSP");
    TMyIniFile ini(file, false, true, false, false);
    ini.WriteInteger("S", "k", 1);
    EXPECT_FALSE(ini.save());
    ASSERT_EQ(ini.messages().size(), 1u);
    EXPECT_NE(ini.messages()[0].find(file), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// Round trips of the three forms through a file

enum class Form { Plain, Compressed, Scrambled };

struct FormCase {
    Form form;
    bool krypt;
    bool compress;
};

class MyIniFileForms : public MyIniFile, public ::testing::WithParamInterface<FormCase> {};

TEST_P(MyIniFileForms, EveryKeySurvivesAFile) {
    const FormCase c = GetParam();
    const std::string file = path("round.LSC");
    const std::string umlauts = "\xC4\xD6\xDC \xE4\xF6\xFC \xDF \xB5"; // ÄÖÜ äöü ß µ in Latin-1
    const double floats[] = {0.24, -1.5e-9, 1234567, 343.9999999};
    const std::int32_t ints[] = {0, -7, 2147483647};
    std::vector<std::uint8_t> written;
    {
        TMyIniFile ini(file, false, true, c.krypt, c.compress);
        ini.WriteInteger("Header", "Version", 2000);
        ini.WriteString("Gr\xF6\xDF"
                        "e",
                        "L\xE4nge", umlauts);
        ini.WriteFloatArray("Chassis1", "FreqResp", floats, 0, 4);
        ini.WriteIntArray("Chassis1", "Flags", ints, 0, 3);
        ini.WriteString("Chassis1", "Empty", "");
        ini.WriteBool("Chassis1", "bAktiv", true);
        for (int s = 0; s < 40; ++s) {
            for (int k = 0; k < 25; ++k) {
                ini.WriteFloat("Sec" + std::to_string(s), "Key" + std::to_string(k),
                               s * 1000.0 + k / 8.0);
            }
        }
        written = ini.fileImage();
        EXPECT_TRUE(ini.save());
        EXPECT_TRUE(ini.messages().empty()) << ini.messages().front();
    }
    std::vector<std::uint8_t> onDisk;
    ASSERT_EQ(readFileBytes(file, onDisk), ReadStatus::Ok);
    EXPECT_EQ(onDisk, written);

    TMyIniFile back(file, true, false, c.krypt, c.compress);
    EXPECT_TRUE(back.messages().empty());
    EXPECT_EQ(back.nSections(), 3 + 40);
    EXPECT_EQ(back.ReadInteger("Header", "Version", 0), 2000);
    EXPECT_EQ(back.ReadString("Gr\xF6\xDF"
                              "e",
                              "L\xE4nge", "-"),
              umlauts);
    double f[4] = {};
    ASSERT_EQ(back.ReadFloatArray("Chassis1", "FreqResp", f, 0, 10), 4);
    EXPECT_DOUBLE_EQ(f[0], 0.24);
    EXPECT_DOUBLE_EQ(f[1], -1.5e-9);
    EXPECT_DOUBLE_EQ(f[2], 1234567);
    EXPECT_DOUBLE_EQ(f[3], 344); // ten characters hold 343,9999999 only rounded: "344"
    std::int32_t n[3] = {};
    ASSERT_EQ(back.ReadIntArray("Chassis1", "Flags", n, 0, 3), 3);
    EXPECT_EQ(n[2], 2147483647);
    EXPECT_EQ(back.ReadString("Chassis1", "Empty", "-"), "");
    EXPECT_TRUE(back.ReadBool("Chassis1", "bAktiv", false));
    for (int s = 0; s < 40; ++s) {
        for (int k = 0; k < 25; ++k) {
            ASSERT_DOUBLE_EQ(
                back.ReadFloat("Sec" + std::to_string(s), "Key" + std::to_string(k), -1),
                s * 1000.0 + k / 8.0);
        }
    }
    EXPECT_EQ(back.fileImage(), written); // nothing is lost or reordered
}

INSTANTIATE_TEST_SUITE_P(AllForms, MyIniFileForms,
                         ::testing::Values(FormCase{Form::Plain, false, false},
                                           FormCase{Form::Compressed, true, true},
                                           FormCase{Form::Scrambled, true, false}),
                         [](const ::testing::TestParamInfo<FormCase>& param) {
                             switch (param.param.form) {
                             case Form::Plain:
                                 return std::string("Plain");
                             case Form::Compressed:
                                 return std::string("Compressed");
                             default:
                                 return std::string("Scrambled");
                             }
                         });

TEST_F(MyIniFile, ScrambledLineFormLayout) {
    auto ini = writable(true, false);
    ini->WriteString("S", "k", "v\xE4");
    const std::string expected =
        scrambledLine(kMyIniHeader) + scrambledLine("#S") + scrambledLine("k=\tv\xE4");
    EXPECT_EQ(textOf(ini->fileImage()), expected);
    EXPECT_EQ(expected.substr(0, 2), std::string("\0\x1E", 2)); // 30 = 0 * 100 + 30

    // A line of 1234 bytes has the length bytes 12 and 34.
    ini->WriteString("S", "k", std::string(1234 - 3, 'q'));
    const std::string image = textOf(ini->fileImage());
    const std::size_t at = 32 + 4;
    ASSERT_GT(image.size(), at + 2);
    EXPECT_EQ(image[at], 12);
    EXPECT_EQ(image[at + 1], 34);
    EXPECT_TRUE(ini->messages().empty());
}

TEST_F(MyIniFile, ScrambledLineFormReadsBothHeaderVariants) {
    const std::string lines = scrambledLine("#S") + scrambledLine("k=\t1") +
                              scrambledLine("/comment=\tx") + scrambledLine("") +
                              scrambledLine("#T") + scrambledLine("a=;\tb");
    auto current = fromImage(scrambledLine(kMyIniHeader) + lines, true, false);
    EXPECT_EQ(current->nSections(), 2);
    EXPECT_EQ(current->ReadString("S", "k", "-"), "1");
    EXPECT_EQ(current->ReadString("T", "a", "-"), "b");
    EXPECT_FALSE(current->ValueExists("S", "/comment"));

    // Older files: a 36-character header, lines from offset 38.
    const std::string oldHeader = "## MyIniFile 0.9 by KT 2003 krypt ##";
    ASSERT_EQ(oldHeader.size(), 36u);
    auto old = fromImage(scrambledLine(oldHeader) + lines, true, false);
    EXPECT_TRUE(old->messages().empty());
    EXPECT_EQ(old->ReadString("S", "k", "-"), "1");
    EXPECT_EQ(old->ReadString("T", "a", "-"), "b");
    // Its text varied between versions: any 36 characters will do.
    auto otherOld = fromImage(scrambledLine(std::string(36, 'Q')) + lines, true, false);
    EXPECT_TRUE(otherOld->messages().empty());
    EXPECT_EQ(otherOld->ReadString("S", "k", "-"), "1");

    // Any other start, a plain file included, leaves the object empty.
    for (const std::string& other :
         {kHeaderLine + "#S\r\nk=\t1\r\n", scrambledLine("## MyIniFile 1.0 by KT 2004 #") + lines,
          scrambledLine("XX MyIniFile 1.0 by KT 2004 ##") + lines, std::string("\0\x1E", 2)}) {
        auto rejected = fromImage(other, true, false);
        EXPECT_EQ(rejected->nSections(), 0);
        ASSERT_EQ(rejected->messages().size(), 1u);
        EXPECT_EQ(rejected->messages()[0], path("image.ini") + " hat falsches Format.");
    }
}

TEST_F(MyIniFile, ScrambledLinesOverTheLimitAreCutWithAMessage) {
    auto ini = writable(true, false);
    ini->WriteString("S", "k", std::string(kMaxScrambledLineLength + 10, 'z'));
    const std::vector<std::uint8_t> image = ini->fileImage();
    ASSERT_EQ(ini->messages().size(), 1u);
    auto back = fromImage(textOf(image), true, false);
    EXPECT_EQ(back->ReadString("S", "k", "-"), std::string(kMaxScrambledLineLength - 3, 'z'));
}

TEST_F(MyIniFile, CompressedFormIsTheBodyCompressedThenKeyed) {
    auto ini = writable(true, true);
    ini->WriteInteger("Header", "Version", 2000);
    for (int k = 0; k < 3000; ++k) { // more than one keystream block
        ini->WriteInteger("General", "Key" + std::to_string(k), k);
    }
    std::vector<std::uint8_t> image = ini->fileImage();
    ASSERT_TRUE(ini->messages().empty()) << ini->messages().front();
    ASSERT_GT(image.size(), kKeystreamBlockBytes / 4);
    EXPECT_EQ(textOf(image).substr(0, 8), "MyIni2CK");

    TRandom random;
    random.Reset(kKeystreamSeed1, kKeystreamSeed2);
    for (std::size_t i = 8; i < image.size(); ++i) {
        image[i] ^= static_cast<std::uint8_t>(random.GetRandomCard() % 256);
    }
    TCompand compand;
    std::vector<std::uint8_t> text;
    ASSERT_TRUE(compand.expandStream(image, text));
    // The plain form without its header line.
    std::string body = "#Header\r\nVersion=\t2000\r\n#General\r\n";
    for (int k = 0; k < 3000; ++k) {
        body += "Key" + std::to_string(k) + "=\t" + std::to_string(k) + "\r\n";
    }
    EXPECT_EQ(textOf(text), body);
}

} // namespace
} // namespace sonora
