// printf-style formatting into a string, for the program's fixed message formats.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

template <typename... Args>
std::string Format(const char* format, Args... args) {
    const int n = std::snprintf(nullptr, 0, format, args...);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::snprintf(text.data(), text.size() + 1, format, args...);
    return text;
}

}  // namespace platform
