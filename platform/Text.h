// Texts travel on the wire as bytes; widgets hold Unicode. The client's
// 8-bit encoding is UTF-8, and bytes that are not valid UTF-8 are shown
// with replacement characters rather than refused.
#pragma once

#include <QString>
#include <string>

namespace platform {

inline QString ToQt(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace platform
