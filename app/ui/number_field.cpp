#include "app/ui/number_field.h"

#include "app/ui/qt_text.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {
constexpr int kFieldTextWidth = 10; // characters, the width of the file number texts
} // namespace

QString numberFieldText(double value) {
    return fromLatin1(compactNumberText(kFieldTextWidth, value));
}

double parseNumberField(const QString& text, double fallback) {
    return parseTypedNumber(toLatin1(text.trimmed())).value_or(fallback);
}

NumberField::NumberField(double value, QWidget* parent) : QLineEdit(parent) {
    setValue(value);
}

} // namespace sonora::ui
