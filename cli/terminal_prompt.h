// The user prompt of the command line: messages go to standard error in UTF-8, questions take
// their default answer (the command line never waits for input).
#pragma once

#include <cstdio>
#include <string>

#include "model/user_prompt.h"

namespace sonora::cli {

class TerminalPrompt : public UserPrompt {
public:
    explicit TerminalPrompt(std::FILE* out = stderr) : out_(out) {}

    void showMessage(const std::string& text) override;
    int choose(const std::string& text, const std::string& buttons, int defaultButton) override;
    bool askValue(const std::string& caption, const std::string& text, std::string& value) override;

    int messagesShown = 0;

private:
    std::FILE* out_;
};

// Latin-1 core text for the terminal: UTF-8, line ends "\r\n" and "\r" as "\n".
std::string terminalText(const std::string& latin1);

} // namespace sonora::cli
