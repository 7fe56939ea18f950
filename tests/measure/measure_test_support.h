// Helpers of the measurement tests: the temporary folder per test, and a prompt that records the
// buttons and default of every question.
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
#include "tests/support/temp_folder.h"

namespace sonora::measure_test {

using TempFolderTest = test::TempFolderTest;

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
