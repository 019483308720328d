// Small text helpers for what people type: calls, chat lines, method names.
#pragma once

#include <cctype>
#include <string_view>

namespace robot {

inline std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

// The typographic apostrophe (U+2019) as UTF-8.
inline constexpr std::string_view kCurlyApostrophe = "\xE2\x80\x99";

}  // namespace robot
