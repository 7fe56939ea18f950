// The one way the core and the workspace talk to the user: messages, the choice prompt and value
// questions. The GUI shows real dialogs; tests and the command line use ScriptedPrompt.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace sonora {

class UserPrompt {
public:
    virtual ~UserPrompt() = default;
    // A message box with one button. Text in Latin-1, lines separated by "\r\n" or "\r".
    virtual void showMessage(const std::string& text) = 0;
    // The choice prompt: `buttons` are "|"-separated captions ("&" marks the access key); returns
    // the number of the pressed button counted from 1. defaultButton is counted from 1 as well.
    virtual int choose(const std::string& text, const std::string& buttons, int defaultButton) = 0;
    // A value question; false when the user cancelled. `value` holds the proposal on entry.
    virtual bool askValue(const std::string& caption, const std::string& text,
                          std::string& value) = 0;
};

// Shows each message in turn (a reader's collected messages, for instance).
inline void showMessages(const std::vector<std::string>& messages, UserPrompt& prompt) {
    for (const std::string& m : messages) {
        prompt.showMessage(m);
    }
}

// Records every message and question and answers from a script. Without a scripted answer the
// choice prompt takes its default button and a value question is cancelled.
class ScriptedPrompt : public UserPrompt {
public:
    std::vector<std::string> messages;  // showMessage texts, in order
    std::vector<std::string> questions; // choose and askValue texts, in order
    std::deque<int> choices;            // answers for choose()
    std::deque<std::string> values;     // answers for askValue(); "\x18" cancels

    void showMessage(const std::string& text) override { messages.push_back(text); }
    int choose(const std::string& text, const std::string&, int defaultButton) override {
        questions.push_back(text);
        if (choices.empty()) {
            return defaultButton;
        }
        const int answer = choices.front();
        choices.pop_front();
        return answer;
    }
    bool askValue(const std::string&, const std::string& text, std::string& value) override {
        questions.push_back(text);
        if (values.empty() || values.front() == "\x18") {
            if (!values.empty()) {
                values.pop_front();
            }
            return false;
        }
        value = values.front();
        values.pop_front();
        return true;
    }
};

} // namespace sonora
