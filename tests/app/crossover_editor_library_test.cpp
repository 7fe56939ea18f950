#include "app/shell/crossover_editor_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace sonora {
namespace {

TEST(CrossoverLibrary, LinesAreListedPerKindWithSeparators) {
    PartLibrary lib;
    addLibraryText(lib, "L;X1;2,2;0,35\r\n"
                        "r\tR1\t6,8\n"
                        "C;C1;4.7\n"
                        "R;---;0\n" // a value of 0 separates groups
                        "R;R2;10\n"
                        "L;X2;1,0\n" // a coil without resistance
                        "X;junk;5\n"
                        "RR;R3;1\n"
                        "R;only two fields\n"
                        "\n");
    ASSERT_EQ(lib.page(LibraryPage::Coils).size(), 2u);
    EXPECT_EQ(lib.page(LibraryPage::Coils)[0].text, "X1:2,2 mH, 0,35 Ohm");
    EXPECT_DOUBLE_EQ(lib.page(LibraryPage::Coils)[0].value, 2.2);
    EXPECT_DOUBLE_EQ(lib.page(LibraryPage::Coils)[0].resistance, 0.35);
    EXPECT_EQ(lib.page(LibraryPage::Coils)[1].text, "X2:1,0 mH, 0 Ohm");
    ASSERT_EQ(lib.page(LibraryPage::Resistors).size(), 3u);
    EXPECT_EQ(lib.page(LibraryPage::Resistors)[0].text, "R1:6,8 Ohm");
    EXPECT_TRUE(lib.page(LibraryPage::Resistors)[1].separator);
    EXPECT_EQ(lib.page(LibraryPage::Resistors)[1].text, kLibrarySeparator);
    EXPECT_EQ(lib.page(LibraryPage::Resistors)[2].text, "R2:10 Ohm");
    ASSERT_EQ(lib.page(LibraryPage::Capacitors).size(), 1u);
    EXPECT_EQ(lib.page(LibraryPage::Capacitors)[0].text, "C1:4.7 µF");
}

TEST(CrossoverLibrary, OpensOnThePartsEntryAndChoosingCopiesIntoTheDialog) {
    PartLibrary lib;
    addLibraryText(lib, "L;X0;2,2;0,5\nL;X1;2,2;0,35\nR;;0\nR;R1;6,8\n");
    PartDialog coil;
    coil.typ = kPartCoil;
    coil.valueText = "2.2"; // as partDialogOf writes 2.2e-3 H
    coil.resistanceText = "0,35";
    const LibrarySelection s = librarySelectionFor(lib, coil);
    EXPECT_EQ(s.page, LibraryPage::Coils);
    EXPECT_EQ(s.entry, 1) << "the resistance decides between two 2,2 mH coils";
    EXPECT_EQ(librarySelectionText(lib, s), "Ausgewählt: X1:2,2 mH, 0,35 Ohm");

    PartDialog d;
    d.typ = kPartResistor;
    d.valueText = "1";
    const LibrarySelection none = librarySelectionFor(lib, d);
    EXPECT_EQ(none.entry, -1);
    EXPECT_EQ(librarySelectionText(lib, none), "Ausgewählt:");
    EXPECT_FALSE(chooseLibraryEntry(d, lib, {LibraryPage::Resistors, 0})) << "separator";
    EXPECT_FALSE(chooseLibraryEntry(d, lib, {LibraryPage::Resistors, 9}));
    EXPECT_EQ(d.valueText, "1");
    ASSERT_TRUE(chooseLibraryEntry(d, lib, s));
    EXPECT_EQ(d.typ, kPartCoil);
    EXPECT_EQ(d.valueText, "2,2");
    EXPECT_EQ(d.resistanceText, "0,35");
    EXPECT_EQ(d.label, "X1");
}

class CrossoverLibraryFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() / ("sonora_parts_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    std::filesystem::path dir;
};

TEST_F(CrossoverLibraryFolder, HostileFilesAreReadBoundedAndWithoutCrash) {
    std::mt19937 rng(20240611); // seeded junk
    std::string junk(200000, '\0');
    for (char& c : junk) {
        c = static_cast<char>(rng());
    }
    write("junk.txt", junk);
    // A line of 500 000 bytes without separators, then a label of 100 000 bytes with control
    // bytes, then a line of 100 000 empty fields.
    write("long.TXT", std::string(500000, 'R') + "\nR;" + std::string(100000, '\x01') + ";4,7\n" +
                          std::string(100000, ';') + "\n");
    std::string many;
    for (std::size_t i = 0; i < kMaxLibraryEntries + 500; ++i) {
        many += "C;c;1\n";
    }
    write("many.txt", many);
    write("huge.txt", std::string(kMaxLibraryFileBytes + 1, 'L')); // skipped: too large
    write("other.dat", "R;notread;1\n");
    write("good.txt", "R;R9;8,2\n");

    const PartLibrary lib = readPartLibrary(dir.string());
    EXPECT_EQ(lib.page(LibraryPage::Capacitors).size(), kMaxLibraryEntries);
    bool good = false;
    bool longLabel = false;
    for (const auto& page : lib.pages) {
        for (const LibraryEntry& e : page) {
            // label and value are cut to kMaxLibraryFieldBytes Latin-1 bytes (two UTF-8 bytes
            // each at most) plus the unit texts
            EXPECT_LE(e.text.size(), 4 * 2 * kMaxLibraryFieldBytes);
            EXPECT_EQ(e.text.find('\x01'), std::string::npos);
            EXPECT_EQ(e.text.find("notread"), std::string::npos);
            good = good || e.text == "R9:8,2 Ohm";
            longLabel = longLabel || e.text == std::string(kMaxLibraryFieldBytes, '?') + ":4,7 Ohm";
        }
    }
    EXPECT_TRUE(good);
    EXPECT_TRUE(longLabel);

    EXPECT_TRUE(readPartLibrary((dir / "missing").string()).page(LibraryPage::Coils).empty());
}

} // namespace
} // namespace sonora
