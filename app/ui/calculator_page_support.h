// Shared pieces of the calculator pages: the entry widgets by the core's field names, the texts
// the field tables read from them, the result memos and the driver file loading.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "acoustics/calc_fields.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QSlider;
class QWidget;

namespace sonora {
class UserPrompt;
}

namespace sonora::ui {

// Width (characters) of a start value written into an entry field.
inline constexpr int kStartValueDigits = 10;

// The caption of the field `name` in a core field table (UTF-8 there); empty when not found.
template <class Field> QString fieldCaption(std::span<const Field> fields, std::string_view name) {
    for (const Field& f : fields) {
        if (f.name == name) {
            return QString::fromUtf8(f.caption.data(), static_cast<qsizetype>(f.caption.size()));
        }
    }
    return {};
}

// The text of an entry as the field tables read it: a number field gives what the program's
// number reader makes of the typed text ("1,5" and "1.5" alike, 0 for text without digits),
// written back exactly in plain ASCII, so that the strict reader of the network pages and the
// lenient one of the box pages take the same value.
std::string numberEntryText(const QString& typed);
// A value written the same way.
std::string plainNumberText(double value);

// The entry widgets of one page, looked up by the core's field names. Every change of an entry
// calls the page's recalculation.
class PageEntries {
public:
    explicit PageEntries(std::function<void()> changed) : changed_(std::move(changed)) {}

    // A text field for a number showing `start` (empty when `emptyStart`).
    QLineEdit* addNumber(std::string_view name, double start, bool emptyStart = false);
    QCheckBox* addSwitch(std::string_view name, const QString& caption, bool start);
    // Radio buttons whose ids in `group` are the choice indices.
    void addChoice(std::string_view name, QButtonGroup* group);
    // A slider whose position is the entry's number.
    void addSlider(std::string_view name, QSlider* slider);
    // A list whose entry `index` stands for the field text `textOf(index)`.
    void addList(std::string_view name, QComboBox* list,
                 std::function<std::string(int index)> textOf);

    bool has(std::string_view name) const { return widgets_.contains(std::string(name)); }
    // The text for the field table: numberEntryText of a text field, "1"/"0" for a switch, the
    // index of a choice, the position of a slider, the text of a list's entry.
    std::string text(std::string_view name) const;
    QLineEdit* number(std::string_view name) const;
    QCheckBox* checkBox(std::string_view name) const;

    // Writes `value` with the program's formatter at `digits` into a number field.
    void setNumber(std::string_view name, double value, int digits);

private:
    struct Entry {
        QLineEdit* edit = nullptr;
        QCheckBox* check = nullptr;
        QButtonGroup* choice = nullptr;
        QSlider* slider = nullptr;
        QComboBox* list = nullptr;
        std::function<std::string(int)> listText;
    };
    const Entry* find(std::string_view name) const;

    std::function<void()> changed_;
    std::map<std::string, Entry, std::less<>> widgets_;
};

// Reads a page's inputs: the start values, then every field of the table that the page shows,
// set from its entry text.
template <class Input>
Input readPageInput(std::span<const CalcField<Input>> fields, const PageEntries& entries) {
    Input input;
    for (const CalcField<Input>& f : fields) {
        if (entries.has(f.name)) {
            f.set(input, entries.text(f.name));
        }
    }
    return input;
}

// Adds the row "caption | number field" for `name` to `form`.
QLineEdit* addNumberRow(QFormLayout* form, PageEntries& entries, std::string_view name,
                        const QString& caption, double start, bool emptyStart = false);

// A read-only list of result lines (the core's Latin-1 lines).
class ResultMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ResultMemo(QWidget* parent = nullptr);
    void setLines(const std::vector<std::string>& latin1Lines);
    QStringList lines() const { return lines_; }

private:
    QStringList lines_;
};

// The core's lines as the memo shows them.
QStringList displayLines(const std::vector<std::string>& latin1Lines);

// Asks for a driver file: the parent, the start folder and the Qt name filter; an empty text means
// cancelled. The default is the platform's open dialog.
using DriverFileChooser =
    std::function<QString(QWidget* parent, const QString& folder, const QString& filter)>;
QString chooseDriverFile(QWidget* parent, const QString& folder, const QString& filter);

// What "Parameter für Tieftöner aus Chassisdatei laden .." needs; shared by two pages.
struct DriverLoading {
    QString folder;     // the driver folder
    UserPrompt* prompt; // the driver-file reader's messages
    DriverFileChooser chooser = chooseDriverFile;
};

// The caption of the load button, and the dialog filter in Qt's form (also the lower-case ending,
// as files copied from elsewhere often carry it).
QString loadDriverCaption();
QString driverFileFilter();

} // namespace sonora::ui
