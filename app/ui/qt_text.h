// Conversions between the program's texts and colours and Qt's.
#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

#include "model/records.h"

namespace sonora::ui {

// The core's texts are Latin-1; message texts break lines with "\r\n" or "\r".
inline QString fromLatin1(const std::string& text) {
    QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

inline std::string toLatin1(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// UTF-8 texts: captions written in the source, and the core's UTF-8 tables.
inline QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// TColor is 0x00BBGGRR.
inline QColor toQColor(TColor c) {
    constexpr int kByte = 8;
    constexpr TColor kMask = 0xFF;
    return QColor(static_cast<int>(c & kMask), static_cast<int>((c >> kByte) & kMask),
                  static_cast<int>((c >> (2 * kByte)) & kMask));
}

} // namespace sonora::ui
