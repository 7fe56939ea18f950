// A fresh folder per test under the system's temporary folder, removed after the test, with
// helpers to write files into it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

namespace sonora::test {

// A fresh folder under the system's temporary folder, removed after the test.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir =
            std::filesystem::temp_directory_path() / ("sonora_" + std::to_string(::getpid()) + "_" +
                                                      info->test_suite_name() + "_" + info->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }

    std::string writeText(const std::string& name, const std::string& text) const {
        const std::string p = path(name);
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }

    std::string writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string p = path(name);
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return p;
    }

    std::filesystem::path dir;
};

} // namespace sonora::test
