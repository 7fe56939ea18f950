#include "app/ui/qt_prompt.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {
constexpr int kExtensionLength = 4; // ".exe"
} // namespace

QStringList promptButtonCaptions(const std::string& buttons) {
    QStringList captions = fromLatin1(buttons).split(QLatin1Char('|'));
    if (captions.size() > kMaxPromptButtons) {
        captions = captions.mid(0, kMaxPromptButtons);
    }
    return captions;
}

QString promptCaption() {
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (name.size() > kExtensionLength &&
        name.at(name.size() - kExtensionLength) == QLatin1Char('.')) {
        name.chop(kExtensionLength);
    }
    return name;
}

void QtPrompt::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Information, promptCaption(), fromLatin1(text), QMessageBox::Ok,
                    parent_);
    germanButtons(&box);
    box.exec();
}

int QtPrompt::choose(const std::string& text, const std::string& buttons, int defaultButton) {
    QMessageBox box(QMessageBox::Question, promptCaption(), fromLatin1(text), QMessageBox::NoButton,
                    parent_);
    std::vector<QPushButton*> list;
    for (const QString& caption : promptButtonCaptions(buttons)) {
        list.push_back(box.addButton(caption, QMessageBox::ActionRole));
    }
    const int count = static_cast<int>(list.size());
    if (defaultButton >= 1 && defaultButton <= count) {
        box.setDefaultButton(list[static_cast<std::size_t>(defaultButton - 1)]);
    }
    box.exec();
    for (int k = 0; k < count; ++k) {
        if (box.clickedButton() == list[static_cast<std::size_t>(k)]) {
            return k + 1;
        }
    }
    return defaultButton;
}

bool QtPrompt::askValue(const std::string& caption, const std::string& text, std::string& value) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(fromLatin1(caption));
    dialog.setLabelText(fromLatin1(text));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(fromLatin1(value));
    germanButtons(&dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    value = toLatin1(dialog.textValue());
    return true;
}

} // namespace sonora::ui
