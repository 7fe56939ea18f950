#include "app/ui/number_field.h"

#include <algorithm>
#include <cctype>
#include <string>

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
    const std::string latin1 = toLatin1(text.trimmed());
    const ParseResult r = parseFloat(latin1);
    const auto consumed = latin1.begin() + static_cast<std::ptrdiff_t>(r.end);
    const bool digits = std::any_of(latin1.begin(), consumed, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    return digits ? r.value : fallback;
}

NumberField::NumberField(double value, QWidget* parent) : QLineEdit(parent) {
    setValue(value);
}

} // namespace sonora::ui
