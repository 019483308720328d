// The conductor's calls the robot acts on, read from a Call message's text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace robot {

enum class CallType { LookTo, Go, Bob, Single, ThatsAll, Stand };

struct HeardCall {
    CallType type;
    std::string method;  // for "Go <method name>"; empty for a plain "Go"
    friend bool operator==(const HeardCall&, const HeardCall&) = default;
};

// "Look to", "Here's treble", "Go", "Go <method>", "Bob", "Single",
// "That's All", "Stand", in any letter case, with surrounding spaces and one
// final punctuation mark ignored; nothing for any other text.
std::optional<HeardCall> ReadCall(std::string_view text);

}  // namespace robot
