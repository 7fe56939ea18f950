// The program's messages and questions as Qt message boxes: the choice prompt with its own
// buttons, captioned with the executable's name.
#pragma once

#include <QString>
#include <QStringList>

#include "model/user_prompt.h"

class QWidget;

namespace sonora::ui {

// At most this many captions are taken from a choice prompt's list.
inline constexpr int kMaxPromptButtons = 20;

// The "|"-separated captions of a choice prompt, "&" access keys kept (Qt reads them the same way).
QStringList promptButtonCaptions(const std::string& buttons);

// The executable's file name without its four-character extension (".exe" where there is one).
QString promptCaption();

class QtPrompt : public UserPrompt {
public:
    explicit QtPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void showMessage(const std::string& text) override;
    // Returns the 1-based number of the pressed button; closing the box without a button gives
    // the default button.
    int choose(const std::string& text, const std::string& buttons, int defaultButton) override;
    bool askValue(const std::string& caption, const std::string& text, std::string& value) override;

private:
    QWidget* parent_;
};

} // namespace sonora::ui
