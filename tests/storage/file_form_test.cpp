#include "storage/file_form.h"
#include "storage/my_ini_file.h"

#include <gtest/gtest.h>

#include <string>

namespace sonora {
namespace {

std::vector<std::uint8_t> bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(FileForm, DetectsEachFormFromItsFirstBytes) {
    EXPECT_EQ(detectFileForm(bytes("## MyIniFile 1.0 by KT 2004 ##\r\n#Header")), FileForm::Plain);
    // Readers check only the first 12 characters of the plain header.
    EXPECT_EQ(detectFileForm(bytes("## MyIniFile 9.9 other text")), FileForm::Plain);
    EXPECT_EQ(detectFileForm(bytes("MyIni2CK\x13\x37")), FileForm::Compressed);
    // Scrambled: the current header's length and its scrambled start; the older header by its
    // length alone; the first 8 bytes decide, so a shorter start is nothing.
    std::vector<std::uint8_t> current = {0, 30};
    for (std::size_t i = 0; i < 6; ++i) {
        current.push_back(
            static_cast<std::uint8_t>(kMyIniHeader[i] ^ ((i * kScrambleMultiplier) & 0xFF)));
    }
    EXPECT_EQ(detectFileForm(current), FileForm::Scrambled);
    EXPECT_EQ(detectFileForm({0, 36, 'a', 'n', 'y', 't', 'x', 't'}), FileForm::Scrambled);
    EXPECT_EQ(detectFileForm({0, 30, 0x55, 0x66, 0x77, 0x11, 0x22, 0x33}), FileForm::Unknown);
    EXPECT_EQ(detectFileForm({0, 31, 0x55, 0x66, 0x77, 0x11, 0x22, 0x33}), FileForm::Unknown);
    current.pop_back();
    EXPECT_EQ(detectFileForm(current), FileForm::Unknown);
    EXPECT_EQ(detectFileForm({0, 36, 0x55}), FileForm::Unknown);
    EXPECT_EQ(detectFileForm(bytes("## MyIni")), FileForm::Unknown); // cut short
    EXPECT_EQ(detectFileForm({}), FileForm::Unknown);
    EXPECT_EQ(detectFileForm(bytes("MyIni2C")), FileForm::Unknown);
    EXPECT_EQ(detectFileFormOf("/nonexistent/sonora/x.LSP"), FileForm::Unknown);
}

} // namespace
} // namespace sonora
