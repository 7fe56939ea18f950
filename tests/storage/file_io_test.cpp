#include "storage/file_io.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace sonora {
namespace {

namespace fs = std::filesystem;

class FileIo : public test::TempFolderTest {};

TEST_F(FileIo, WriteThenReadRoundTripsEveryByte) {
    std::vector<std::uint8_t> bytes(70000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    }
    const std::string path = (dir / "a.LSP").string();
    std::string error;
    ASSERT_TRUE(writeFileAtomically(path, bytes, error)) << error;
    std::vector<std::uint8_t> back;
    ASSERT_EQ(readFileBytes(path, back), ReadStatus::Ok);
    EXPECT_EQ(back, bytes);
    EXPECT_TRUE(fileExists(path));
    // No temporary file is left beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

TEST_F(FileIo, FailedRenameLeavesTargetAndNoTemporaryFile) {
    // A folder of the same name cannot be replaced by a file: the rename fails, even for root.
    const fs::path target = dir / "keep.LSP";
    fs::create_directories(target);
    std::ofstream(target / "inside") << "old";
    std::string error;
    EXPECT_FALSE(writeFileAtomically(target.string(), {'n', 'e', 'w'}, error));
    EXPECT_NE(error.find("keep.LSP"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_TRUE(fs::exists(target / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
}

TEST_F(FileIo, WriteIntoMissingFolderFailsWithMessage) {
    std::string error;
    EXPECT_FALSE(writeFileAtomically((dir / "no" / "x.LSP").string(), {1}, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(FileIo, ReadReportsMissingTooLargeAndFolders) {
    std::vector<std::uint8_t> back{1, 2};
    EXPECT_EQ(readFileBytes((dir / "none").string(), back), ReadStatus::Missing);
    EXPECT_TRUE(back.empty());
    {
        std::ofstream out(dir / "big", std::ios::binary);
        out << std::string(1001, 'x');
    }
    EXPECT_EQ(readFileBytes((dir / "big").string(), back, 1000), ReadStatus::TooLarge);
    EXPECT_TRUE(back.empty());
    EXPECT_EQ(readFileBytes((dir / "big").string(), back, 1001), ReadStatus::Ok);
    EXPECT_EQ(back.size(), 1001u);
    EXPECT_EQ(readFileBytes(dir.string(), back), ReadStatus::Failed);
    EXPECT_FALSE(fileExists(dir.string()));
}

} // namespace
} // namespace sonora
