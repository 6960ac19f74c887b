// Conversions between the core's UTF-16 text and Qt's strings.
#pragma once

#include <QString>

#include "platform/text.h"

namespace pelandra::qt {

inline QString toQString(TextView text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

inline Text fromQString(const QString& text) {
    return Text(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

}  // namespace pelandra::qt
