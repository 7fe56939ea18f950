// Damaged and hostile images: the reader stays inside its input, keeps its bounds and never hangs.
#include "storage/my_ini_file.h"

#include "storage/file_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace sonora {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

const std::string kHeaderLine = std::string(kMyIniHeader) + "\r\n";

class MyIniFileHostile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_ini_hostile_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::unique_ptr<TMyIniFile> fromImage(const std::vector<std::uint8_t>& image, bool krypt,
                                          bool compress) {
        auto ini =
            std::make_unique<TMyIniFile>((dir / "h.ini").string(), false, false, krypt, compress);
        ini->loadImage(image);
        return ini;
    }
    // The bounds every object keeps whatever it read.
    static void expectBounded(TMyIniFile& ini) {
        EXPECT_LE(ini.nSections(), kMaxSections);
        EXPECT_LE(ini.valueCount(), kMaxIniKeys);
        EXPECT_LE(ini.messages().size(), 4u);
    }
    fs::path dir;
};

TEST_F(MyIniFileHostile, RandomBytesInEveryFormAndBehindEveryValidStart) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 3000);
    // A scrambled image of the current header, so that random lines follow a valid start.
    auto scrambledStart =
        std::make_unique<TMyIniFile>((dir / "s.ini").string(), false, false, true, false);
    const std::vector<std::uint8_t> scrambledHeader = scrambledStart->fileImage();
    const std::vector<std::vector<std::uint8_t>> starts = {
        {}, bytesOf(kHeaderLine), bytesOf("MyIni2CK"), scrambledHeader};
    int withContent = 0;
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> image = starts[static_cast<std::size_t>(round % 4)];
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            // Many separators, line ends and "#" so that lines and sections occur often.
            const int b = byte(random);
            image.push_back(b < 96 ? static_cast<std::uint8_t>("#\r\n=;\t/#\n\r#=a##;b"[b % 16])
                                   : static_cast<std::uint8_t>(b));
        }
        for (int form = 0; form < 3; ++form) {
            auto ini = fromImage(image, form > 0, form == 2);
            expectBounded(*ini);
            withContent += ini->nSections() > 0 ? 1 : 0;
            // Reading and writing out whatever was read stays possible.
            ini->ReadString("#", "a", "");
            std::vector<std::uint8_t> again = ini->fileImage();
            EXPECT_LE(again.size(), 2 * image.size() + 64);
        }
    }
    EXPECT_GT(withContent, 50); // the plain and scrambled starts did give sections
}

TEST_F(MyIniFileHostile, TruncatedScrambledImagesAreRefusedUnlessCutBetweenLines) {
    auto writer = std::make_unique<TMyIniFile>((dir / "t.ini").string(), false, true, true, false);
    for (int k = 0; k < 20; ++k) {
        writer->WriteInteger("S", "key" + std::to_string(k), k);
    }
    const std::vector<std::uint8_t> full = writer->fileImage();
    // Where the lines end, from the length bytes: a file cut there cannot be told from a shorter
    // one. The header line must be there in any case.
    std::vector<std::size_t> lineEnds;
    for (std::size_t pos = 0; pos + 2 <= full.size();) {
        pos += 2 + full[pos] * 100u + full[pos + 1];
        lineEnds.push_back(pos);
    }
    ASSERT_EQ(lineEnds.size(), 22u); // header line, section line, 20 key lines
    ASSERT_EQ(lineEnds.back(), full.size());
    int refused = 0;
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        auto ini =
            fromImage(std::vector<std::uint8_t>(full.begin(), full.begin() + cut), true, false);
        const bool atLineEnd = std::find(lineEnds.begin(), lineEnds.end(), cut) != lineEnds.end();
        if (!atLineEnd) {
            ++refused;
            EXPECT_TRUE(ini->readRefused()) << cut;
            EXPECT_EQ(ini->valueCount(), 0) << cut;
            EXPECT_EQ(ini->nSections(), 0) << cut;
            ASSERT_EQ(ini->messages().size(), 1u) << cut;
            EXPECT_EQ(ini->messages()[0], (dir / "h.ini").string() + " hat falsches Format.");
            continue;
        }
        // The lines before the cut, complete.
        EXPECT_FALSE(ini->readRefused()) << cut;
        EXPECT_TRUE(ini->messages().empty()) << cut;
        const int count = ini->valueCount();
        for (int k = 0; k < count; ++k) {
            EXPECT_EQ(ini->ReadInteger("S", "key" + std::to_string(k), -1), k);
        }
    }
    EXPECT_EQ(refused, static_cast<int>(full.size() + 1 - lineEnds.size()));
    EXPECT_EQ(fromImage(full, true, false)->valueCount(), 20);
}

TEST_F(MyIniFileHostile, LineLengthsBeyondTheEndRefuseTheFile) {
    auto writer = std::make_unique<TMyIniFile>((dir / "l.ini").string(), false, true, true, false);
    writer->WriteInteger("S", "a", 1);
    std::vector<std::uint8_t> image = writer->fileImage();
    const std::vector<std::uint8_t> valid = image;
    image.push_back(255); // 255 * 100 + 99 = 25599 bytes announced, three present
    image.push_back(99);
    image.insert(image.end(), {'b', '=', '2'});
    auto ini = fromImage(image, true, false);
    EXPECT_TRUE(ini->readRefused());
    EXPECT_FALSE(ini->ValueExists("S", "a"));
    EXPECT_EQ(ini->nSections(), 0);
    // A single dangling length byte is the start of a line that was cut off.
    std::vector<std::uint8_t> odd = valid;
    odd.push_back(0);
    auto dangling = fromImage(odd, true, false);
    EXPECT_TRUE(dangling->readRefused());
    EXPECT_EQ(dangling->valueCount(), 0);
    EXPECT_FALSE(fromImage(valid, true, false)->readRefused());
    EXPECT_EQ(fromImage(valid, true, false)->valueCount(), 1);
}

TEST_F(MyIniFileHostile, SectionsBeyondTheLimitAreDroppedWithTheirKeys) {
    std::string text = kHeaderLine;
    for (int s = 0; s < 2000; ++s) {
        text += "#S" + std::to_string(s) + "\r\nk=\t" + std::to_string(s) + "\r\n";
    }
    auto ini = fromImage(bytesOf(text), false, false);
    EXPECT_EQ(ini->nSections(), kMaxSections);
    EXPECT_EQ(ini->valueCount(), kMaxSections);
    EXPECT_EQ(ini->ReadInteger("S999", "k", -1), 999);
    EXPECT_EQ(ini->ReadInteger("S1000", "k", -1), -1);
    ASSERT_EQ(ini->messages().size(), 1u);
    EXPECT_NE(ini->messages()[0].find("1000 Abschnitte"), std::string::npos);

    // Writing a key into a new section is refused as well, and told once.
    auto writer = std::make_unique<TMyIniFile>((dir / "w.ini").string(), false, true, false, false);
    writer->loadImage(bytesOf(text));
    writer->WriteInteger("S5", "k", 55); // an existing section still takes writes
    writer->WriteInteger("Extra", "k", 1);
    writer->WriteInteger("Extra2", "k", 1);
    EXPECT_EQ(writer->ReadInteger("S5", "k", 0), 55);
    EXPECT_FALSE(writer->SectionExists("Extra"));
    EXPECT_EQ(writer->messages().size(), 1u);
}

TEST_F(MyIniFileHostile, KeyLinesBeyondTheLimitAreDropped) {
    std::string text = kHeaderLine + "#S\r\nfirst=\t1\r\n";
    text.reserve(text.size() + 2u * kMaxIniKeys + 64);
    for (int k = 1; k < kMaxIniKeys - 1; ++k) {
        text += "=\n";
    }
    text += "last=\t2\r\nover=\t3\r\n#T\r\nt=\t4\r\n";
    auto ini = fromImage(bytesOf(text), false, false);
    EXPECT_EQ(ini->valueCount(), kMaxIniKeys);
    EXPECT_EQ(ini->ReadInteger("S", "first", 0), 1);
    EXPECT_EQ(ini->ReadInteger("S", "last", 0), 2);
    EXPECT_FALSE(ini->ValueExists("S", "over"));
    EXPECT_TRUE(ini->SectionExists("T"));
    EXPECT_FALSE(ini->ValueExists("T", "t"));
    ASSERT_EQ(ini->messages().size(), 1u);
    EXPECT_NE(ini->messages()[0].find("1000000"), std::string::npos);
}

TEST_F(MyIniFileHostile, FilesAboveTheSizeBoundAreNotRead) {
    const fs::path file = dir / "huge.LSP";
    {
        std::ofstream out(file, std::ios::binary);
        out << kHeaderLine << "#S\r\nk=\t1\r\n";
    }
    fs::resize_file(file, kMaxFileBytes + 1); // sparse: costs no disk space
    TMyIniFile ini(file.string(), true, true, false, false);
    EXPECT_EQ(ini.nSections(), 0);
    ASSERT_EQ(ini.messages().size(), 1u);
    EXPECT_EQ(ini.messages()[0], "Die Datei " + file.string() +
                                     " ist gr\xF6\xDF"
                                     "er als 64 MiB und wird nicht gelesen.");
    EXPECT_FALSE(ini.filechanged); // and the big file is not overwritten when the object goes
}

TEST_F(MyIniFileHostile, DamagedCompressedImagesLeaveTheObjectEmpty) {
    auto writer = std::make_unique<TMyIniFile>((dir / "c.ini").string(), false, true, true, true);
    for (int k = 0; k < 200; ++k) {
        writer->WriteInteger("S", "key" + std::to_string(k), k);
    }
    const std::vector<std::uint8_t> image = writer->fileImage();
    std::mt19937 random(4711);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> damaged = image;
        const bool cut = round % 2 == 0;
        if (cut) {
            damaged.resize(8 + random() % (damaged.size() - 8));
        } else {
            damaged[8 + random() % (damaged.size() - 8)] ^=
                static_cast<std::uint8_t>(1u << (random() % 8)); // one bit flipped
        }
        auto ini = fromImage(damaged, true, true);
        expectBounded(*ini);
        // Either the damage went unnoticed or nothing was kept at all.
        if (!ini->messages().empty()) {
            EXPECT_TRUE(ini->readRefused());
            EXPECT_EQ(ini->nSections(), 0);
            EXPECT_EQ(ini->messages().back(), (dir / "h.ini").string() + " hat falsches Format.");
        }
        if (cut && !ini->readRefused()) {
            // Only the padding after the end symbol can go unnoticed: the content is complete.
            EXPECT_EQ(ini->valueCount(), 200) << damaged.size() << " of " << image.size();
        }
    }
}

TEST_F(MyIniFileHostile, EveryCutOfACompressedImageBeforeItsEndSymbolIsRefused) {
    auto writer = std::make_unique<TMyIniFile>((dir / "e.ini").string(), false, true, true, true);
    for (int k = 0; k < 40; ++k) {
        writer->WriteString("Abschnitt" + std::to_string(k % 3), "key" + std::to_string(k),
                            "Wert " + std::to_string(k * 37));
    }
    const std::vector<std::uint8_t> image = writer->fileImage();
    int complete = 0;
    for (std::size_t cut = 0; cut < image.size(); ++cut) {
        auto ini =
            fromImage(std::vector<std::uint8_t>(image.begin(), image.begin() + cut), true, true);
        if (ini->readRefused()) {
            EXPECT_EQ(ini->nSections(), 0) << cut;
            EXPECT_EQ(ini->messages().back(), (dir / "h.ini").string() + " hat falsches Format.");
        } else {
            ++complete;
            EXPECT_EQ(ini->valueCount(), 40) << cut;
        }
    }
    // Only the last bytes, which hold the end symbol's padding, may go.
    EXPECT_LE(complete, 4);
    // Garbage right after the marker.
    std::vector<std::uint8_t> garbage(image.begin(), image.begin() + 8);
    std::mt19937 random(99);
    for (int i = 0; i < 500; ++i) {
        garbage.push_back(static_cast<std::uint8_t>(random()));
    }
    auto ini = fromImage(garbage, true, true);
    EXPECT_TRUE(ini->readRefused());
    EXPECT_EQ(ini->nSections(), 0);
}

} // namespace
} // namespace sonora
