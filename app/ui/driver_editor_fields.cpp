#include "app/ui/driver_editor_fields.h"

#include <QWidget>
#include <string>

#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {
constexpr int kDefaultTextWidth = 10; // characters of the default shown in the message
} // namespace

std::optional<double> readEntryNumber(const QString& text) {
    return parseTypedNumber(toLatin1(text.trimmed()));
}

NumberField* NumberEntries::add(QWidget* parent, const char* name, const QString& caption,
                                RecordField field, double factor, double fallback) {
    auto* edit = new NumberField(0.0, parent);
    edit->setObjectName(QString::fromLatin1(name));
    bindings_.push_back({edit, field, factor, fallback, caption, edit->text()});
    return edit;
}

void NumberEntries::showValue(Binding& b, double value) {
    b.field->setValue(value * b.factor);
    b.shown = b.field->text();
}

void NumberEntries::show(const DriverRecords& from) {
    for (Binding& b : bindings_) {
        showValue(b, b.target.in(from));
    }
}

QStringList NumberEntries::store(const DriverRecords& into, bool repair) {
    QStringList replaced;
    for (Binding& b : bindings_) {
        if (b.field->text() == b.shown) {
            continue;
        }
        const std::optional<double> typed = readEntryNumber(b.field->text());
        if (typed) {
            b.target.in(into) = *typed / b.factor;
        } else if (repair) {
            b.target.in(into) = b.fallback;
            showValue(b, b.fallback);
            replaced << b.caption + QStringLiteral(": ") +
                            fromLatin1(compactNumberText(kDefaultTextWidth, b.fallback * b.factor));
        }
    }
    return replaced;
}

std::string NumberEntries::invalidEntryMessage(const QStringList& replaced) {
    std::string text = "Ungültige Eingaben wurden durch ihren Vorgabewert ersetzt:";
    text = toLatin1(QString::fromUtf8(text.c_str()));
    for (const QString& line : replaced) {
        text += "\r\n" + toLatin1(line);
    }
    return text;
}

void NumberEntries::showOne(const char* name, double value) {
    const QString wanted = QString::fromLatin1(name);
    for (Binding& b : bindings_) {
        if (b.field->objectName() == wanted) {
            showValue(b, value);
        }
    }
}

NumberField* NumberEntries::field(const char* name) const {
    const QString wanted = QString::fromLatin1(name);
    for (const Binding& b : bindings_) {
        if (b.field->objectName() == wanted) {
            return b.field;
        }
    }
    return nullptr;
}

} // namespace sonora::ui
