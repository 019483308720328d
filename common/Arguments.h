// Walks a program's arguments as its options are written: "--flag value" or
// "--flag=value" (a short flag takes its value from the next argument).
// Shared by tolmer-server and the headless tools, which parse alike.
//
//   Arguments walk(args);
//   while (walk.Next()) {
//       if (walk.Flag() == "--port") port = ParseBoundedInt(walk.Value().value_or(""), 1, 65535);
//   }
#pragma once

#include <charconv>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class Arguments {
public:
    explicit Arguments(const std::vector<std::string>& args) : args_(args) {}

    // Moves to the next argument; false after the last.
    bool Next() {
        if (++at_ >= args_.size()) return false;
        flag_ = args_[at_];
        inlineValue_.reset();
        if (const auto eq = flag_.find('='); flag_.starts_with("--") && eq != std::string_view::npos) {
            inlineValue_ = std::string(flag_.substr(eq + 1));
            flag_ = flag_.substr(0, eq);
        }
        return true;
    }

    // The current option without any "=value".
    std::string_view Flag() const { return flag_; }
    // The current argument as given.
    const std::string& Given() const { return args_[at_]; }
    // Whether the option came with "=value"; one that takes no value must not.
    bool HasInlineValue() const { return inlineValue_.has_value(); }
    // The option's value: the text after "=", else the next argument, which
    // it takes; nothing when there is none.
    std::optional<std::string> Value() {
        if (inlineValue_) return inlineValue_;
        if (at_ + 1 < args_.size()) return args_[++at_];
        return std::nullopt;
    }

private:
    const std::vector<std::string>& args_;
    std::size_t at_ = static_cast<std::size_t>(-1);
    std::string_view flag_;
    std::optional<std::string> inlineValue_;
};

// The whole of `text` as a decimal number from `min` to `max`; nothing otherwise.
inline std::optional<int> ParseBoundedInt(std::string_view text, int min, int max) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) return std::nullopt;
    return value;
}
