// Conversions between the model's text and colour forms and Qt's.
#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

#include "core/Types.h"

inline QString ToQString(std::u16string_view s) { return QString::fromUtf16(s.data(), qsizetype(s.size())); }
inline std::u16string ToU16(const QString& s) { return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size())); }
inline ZColor ToZColor(const QColor& c) { return ZColor(c.red()) | ZColor(c.green()) << 8 | ZColor(c.blue()) << 16; }
inline QColor ToQColor(ZColor clr) { return QColor(int(clr & 0xFF), int((clr >> 8) & 0xFF), int((clr >> 16) & 0xFF)); }
