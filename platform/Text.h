// Texts travel on the wire as bytes; widgets hold Unicode. The client's
// 8-bit encoding is UTF-8, and bytes that are not valid UTF-8 are shown
// with replacement characters rather than refused.
#pragma once

#include <QString>
#include <cstdio>
#include <string>

namespace platform {

inline QString ToQt(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace platform

namespace platform {

// printf-style formatting into a string, for the program's fixed message formats.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace platform
