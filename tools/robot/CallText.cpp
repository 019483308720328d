#include "tools/robot/CallText.h"

#include <array>
#include <cctype>
#include <utility>

#include "tools/robot/Text.h"

namespace robot {

namespace {

// Lower case with the typographic apostrophe made plain and runs of spaces made one.
std::string Folded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, kCurlyApostrophe.size()) == kCurlyApostrophe) {
            out += '\'';
            i += kCurlyApostrophe.size() - 1;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            if (!out.empty() && out.back() != ' ') out += ' ';
            continue;
        }
        out += static_cast<char>(std::tolower(c));
    }
    return out;
}

constexpr std::array<std::pair<std::string_view, CallType>, 7> kCalls = {{
    {"look to", CallType::LookTo},
    {"here's treble", CallType::LookTo},
    {"go", CallType::Go},
    {"bob", CallType::Bob},
    {"single", CallType::Single},
    {"that's all", CallType::ThatsAll},
    {"stand", CallType::Stand},
}};

}  // namespace

std::optional<HeardCall> ReadCall(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && std::ispunct(static_cast<unsigned char>(text.back()))) {
        text = Trimmed(text.substr(0, text.size() - 1));
    }
    const std::string folded = Folded(text);
    for (const auto& [words, type] : kCalls) {
        if (folded == words) return HeardCall{type, {}};
    }
    constexpr std::string_view kGo = "go ";
    if (folded.starts_with(kGo)) return HeardCall{CallType::Go, std::string(Trimmed(text.substr(kGo.size())))};
    return std::nullopt;
}

}  // namespace robot
