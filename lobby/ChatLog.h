// The chat area: newest line on top, at most 4000 bytes kept.
#pragma once

#include <cstddef>
#include <string>

inline constexpr std::size_t kChatDisplayLimit = 4000;

// name + ": " + line + "\r\n" in front of what is shown, cut to its first
// 4000 bytes (the oldest text goes, possibly in the middle of a line).
std::string PrependChatLine(const std::string& shown, const std::string& name, const std::string& line);
