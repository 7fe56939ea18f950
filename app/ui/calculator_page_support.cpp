#include "app/ui/calculator_page_support.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSlider>
#include <charconv>

#include "acoustics/box_calc_driver.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/qt_text.h"
#include "storage/numbers.h"

namespace sonora::ui {

std::string numberEntryText(const QString& typed) {
    return plainNumberText(entryFieldNumber(toLatin1(typed)));
}

std::string plainNumberText(double value) {
    char buffer[32]; // the longest shortest-round-trip double text is 24 characters
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

QLineEdit* PageEntries::addNumber(std::string_view name, double start, bool emptyStart) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    if (!emptyStart) {
        edit->setText(fromLatin1(compactNumberText(kStartValueDigits, start)));
    }
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { changed_(); });
    widgets_[std::string(name)].edit = edit;
    return edit;
}

QCheckBox* PageEntries::addSwitch(std::string_view name, const QString& caption, bool start) {
    auto* box = new QCheckBox(caption);
    box->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    box->setChecked(start);
    QObject::connect(box, &QCheckBox::toggled, box, [this] { changed_(); });
    widgets_[std::string(name)].check = box;
    return box;
}

void PageEntries::addChoice(std::string_view name, QButtonGroup* group) {
    group->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    QObject::connect(group, &QButtonGroup::idToggled, group, [this](int, bool on) {
        if (on) {
            changed_();
        }
    });
    widgets_[std::string(name)].choice = group;
}

void PageEntries::addSlider(std::string_view name, QSlider* slider) {
    slider->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    QObject::connect(slider, &QSlider::valueChanged, slider, [this] { changed_(); });
    widgets_[std::string(name)].slider = slider;
}

void PageEntries::addList(std::string_view name, QComboBox* list,
                          std::function<std::string(int index)> textOf) {
    list->setObjectName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    QObject::connect(list, &QComboBox::currentIndexChanged, list, [this] { changed_(); });
    Entry& e = widgets_[std::string(name)];
    e.list = list;
    e.listText = std::move(textOf);
}

const PageEntries::Entry* PageEntries::find(std::string_view name) const {
    const auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : &it->second;
}

std::string PageEntries::text(std::string_view name) const {
    const Entry* e = find(name);
    if (e == nullptr) {
        return {};
    }
    if (e->edit != nullptr) {
        return numberEntryText(e->edit->text());
    }
    if (e->check != nullptr) {
        return e->check->isChecked() ? "1" : "0";
    }
    if (e->choice != nullptr) {
        return std::to_string(e->choice->checkedId());
    }
    if (e->slider != nullptr) {
        return std::to_string(e->slider->value());
    }
    return e->listText(e->list->currentIndex());
}

QLineEdit* PageEntries::number(std::string_view name) const {
    const Entry* e = find(name);
    return e == nullptr ? nullptr : e->edit;
}

QCheckBox* PageEntries::checkBox(std::string_view name) const {
    const Entry* e = find(name);
    return e == nullptr ? nullptr : e->check;
}

void PageEntries::setNumber(std::string_view name, double value, int digits) {
    if (QLineEdit* edit = number(name)) {
        edit->setText(fromLatin1(compactNumberText(digits, value)));
    }
}

QLineEdit* addNumberRow(QFormLayout* form, PageEntries& entries, std::string_view name,
                        const QString& caption, double start, bool emptyStart) {
    QLineEdit* edit = entries.addNumber(name, start, emptyStart);
    form->addRow(caption, edit);
    return edit;
}

ResultMemo::ResultMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    constexpr int kMinimumLines = 4; // a memo shows a few lines even when empty
    setMinimumHeight(fontMetrics().lineSpacing() * kMinimumLines);
}

void ResultMemo::setLines(const std::vector<std::string>& latin1Lines) {
    QStringList shown = displayLines(latin1Lines);
    if (shown == lines_) {
        return; // keeps the scroll position while typing
    }
    lines_ = std::move(shown);
    setPlainText(lines_.join(QLatin1Char('\n')));
}

QStringList displayLines(const std::vector<std::string>& latin1Lines) {
    QStringList shown;
    for (const std::string& line : latin1Lines) {
        shown << fromLatin1(line);
    }
    return shown;
}

QString chooseDriverFile(QWidget* parent, const QString& folder, const QString& filter) {
    return openFileName(parent, loadDriverCaption(), folder, filter);
}

QString loadDriverCaption() {
    return QString::fromUtf8("Parameter für Tieftöner aus Chassisdatei laden ..");
}

QString driverFileFilter() {
    // "Chassisdateien (*.LSC)|*.LSC": the description already names the pattern.
    const QStringList parts = fromLatin1(kBoxCalcDriverFilter).split(QLatin1Char('|'));
    const QString description = parts.value(0);
    const QString pattern = parts.value(1);
    const QString base = description.left(description.indexOf(QLatin1Char('('))).trimmed();
    return QStringLiteral("%1 (%2 %3)").arg(base, pattern, pattern.toLower());
}

} // namespace sonora::ui
