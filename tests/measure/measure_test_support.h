// Helpers of the measurement tests: a temporary folder per test, file writing, and a prompt that
// records the buttons and default of every question.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "model/user_prompt.h"

namespace sonora::measure_test {

// A fresh folder under the system's temporary folder, removed after the test.
class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("sonora_measure_" + std::to_string(::getpid()) + "_" + info->test_suite_name() +
               "_" + info->name());
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

// One choice question as the user saw it.
struct AskedChoice {
    std::string text;
    std::string buttons;
    int defaultButton;
};

// Records messages, choices (with buttons and default) and value questions; answers choices from
// `choices` (the default when empty) and value questions from `values` (cancelled when empty).
class RecordingPrompt : public UserPrompt {
public:
    std::vector<std::string> messages;
    std::vector<AskedChoice> asked;
    std::vector<std::string> valueCaptions;
    std::vector<std::string> valueTexts;
    std::deque<int> choices;
    std::deque<std::string> values;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    int choose(const std::string& text, const std::string& buttons, int defaultButton) override {
        asked.push_back({text, buttons, defaultButton});
        if (choices.empty()) {
            return defaultButton;
        }
        const int answer = choices.front();
        choices.pop_front();
        return answer;
    }
    bool askValue(const std::string& caption, const std::string& text,
                  std::string& value) override {
        valueCaptions.push_back(caption);
        valueTexts.push_back(text);
        if (values.empty()) {
            return false;
        }
        value = values.front();
        values.pop_front();
        return true;
    }
};

} // namespace sonora::measure_test
