#include "platform/Mnemonic.h"

#include <cctype>

namespace platform {

std::optional<char> MnemonicOf(std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;  // a literal ampersand
            continue;
        }
        return caption[i + 1];
    }
    return std::nullopt;
}

bool MatchesMnemonic(std::string_view caption, char typed) {
    const std::optional<char> m = MnemonicOf(caption);
    if (!m) return false;
    const auto a = static_cast<unsigned char>(*m);
    const auto b = static_cast<unsigned char>(typed);
    if (std::isalpha(a) && std::isalpha(b)) return std::tolower(a) == std::tolower(b);
    return a == b;
}

}  // namespace platform
