// Number entry fields of the dialogs: the program's own number texts ("," as decimal separator)
// shown and read back.
#pragma once

#include <QLineEdit>
#include <QString>

namespace sonora::ui {

// The text a field shows for `value` (at most 10 characters, as in the project files).
QString numberFieldText(double value);

// The number typed in `text` ("," or "." as separator); `fallback` when it holds no digit before
// the first character that is not part of a number, or the number is not finite.
double parseNumberField(const QString& text, double fallback);

// A one-line field for a number, with the program's number text.
class NumberField : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberField(double value, QWidget* parent = nullptr);
    void setValue(double value) { setText(numberFieldText(value)); }
    double value(double fallback) const { return parseNumberField(text(), fallback); }
};

} // namespace sonora::ui
