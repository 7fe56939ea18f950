// The driver editor's number entries: each bound to one double of the edited driver, its
// enclosure or its baffle, shown in the entry unit and read back with the program's number
// reader; an invalid entry is replaced by its default.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "model/records.h"
#include "model/units.h"

class QWidget;

namespace sonora::ui {

class NumberField;

// The three records the driver editor works on.
struct DriverRecords {
    TChassis* chassis;
    TEinbau* einbau;
    TSchallwand* schallwand;
};

// One double of the three records, as a member pointer into one of them.
struct RecordField {
    double TChassis::*chassis = nullptr;
    double TEinbau::*einbau = nullptr;
    double TSchallwand::*schallwand = nullptr;

    double& in(const DriverRecords& r) const {
        return chassis != nullptr  ? r.chassis->*chassis
               : einbau != nullptr ? r.einbau->*einbau
                                   : r.schallwand->*schallwand;
    }
};

inline RecordField fieldOf(double TChassis::*m) {
    return {m, nullptr, nullptr};
}
inline RecordField fieldOf(double TEinbau::*m) {
    return {nullptr, m, nullptr};
}
inline RecordField fieldOf(double TSchallwand::*m) {
    return {nullptr, nullptr, m};
}

// The number typed in `text` ("," or "." as decimal separator, anything after the number
// ignored); nothing when it holds no digit or reads as infinite.
std::optional<double> readEntryNumber(const QString& text);

class NumberEntries {
public:
    // A new field named `name` (its object name) for `field`, shown in the entry unit
    // (`factor` per SI unit); `fallback` is the SI value an invalid entry is replaced by.
    NumberField* add(QWidget* parent, const char* name, const QString& caption, RecordField field,
                     double factor, double fallback);

    // Every field from the records.
    void show(const DriverRecords& from);
    // The fields whose text was changed since they were last shown into `into`. With `repair`
    // an invalid entry gets its default in the record and in the field; the captions of those
    // fields are returned. Without it (the live values while typing) an invalid entry leaves
    // the record's value as it is.
    QStringList store(const DriverRecords& into, bool repair);

    // The message for the entries `store` replaced (Latin-1, CR LF between lines).
    static std::string invalidEntryMessage(const QStringList& replaced);

    // One field shows `value` (SI) as if the records had been shown; unknown names are ignored.
    void showOne(const char* name, double value);

    NumberField* field(const char* name) const;

private:
    struct Binding {
        NumberField* field;
        RecordField target;
        double factor;
        double fallback;
        QString caption;
        QString shown; // the text as last shown: unchanged texts keep the full stored value
    };
    void showValue(Binding& b, double value);
    std::vector<Binding> bindings_;
};

} // namespace sonora::ui
