#include "storage/file_form.h"

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
    EXPECT_EQ(detectFileForm({0, 30, 0x55, 0x66}), FileForm::Scrambled);
    EXPECT_EQ(detectFileForm({0, 36, 0x55}), FileForm::Scrambled);
    EXPECT_EQ(detectFileForm({0, 31, 0x55}), FileForm::Unknown);
    EXPECT_EQ(detectFileForm(bytes("## MyIni")), FileForm::Unknown); // cut short
    EXPECT_EQ(detectFileForm({}), FileForm::Unknown);
    EXPECT_EQ(detectFileForm(bytes("MyIni2C")), FileForm::Unknown);
    EXPECT_EQ(detectFileFormOf("/nonexistent/sonora/x.LSP"), FileForm::Unknown);
}

} // namespace
} // namespace sonora
