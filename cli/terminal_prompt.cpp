#include "cli/terminal_prompt.h"

#include "storage/latin1.h"

namespace sonora::cli {

std::string terminalText(const std::string& latin1) {
    std::string s;
    s.reserve(latin1.size());
    for (std::size_t i = 0; i < latin1.size(); ++i) {
        const char c = latin1[i];
        if (c == '\r') {
            s += '\n';
            if (i + 1 < latin1.size() && latin1[i + 1] == '\n') {
                ++i;
            }
        } else {
            s += c;
        }
    }
    return latin1ToUtf8(s);
}

void TerminalPrompt::showMessage(const std::string& text) {
    ++messagesShown;
    std::fprintf(out_, "%s\n", terminalText(text).c_str());
}

int TerminalPrompt::choose(const std::string& text, const std::string& buttons, int defaultButton) {
    std::fprintf(out_, "%s [%s] -> %d\n", terminalText(text).c_str(), terminalText(buttons).c_str(),
                 defaultButton);
    return defaultButton;
}

bool TerminalPrompt::askValue(const std::string& caption, const std::string& text,
                              std::string& value) {
    std::fprintf(out_, "%s: %s (%s)\n", terminalText(caption).c_str(), terminalText(text).c_str(),
                 terminalText(value).c_str());
    return false;
}

} // namespace sonora::cli
