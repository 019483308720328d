// Field access on message bytes in place, without copying them into a
// MessageBuffer: the strike path reads two words and must not allocate.
#pragma once

#include <cstdint>
#include <string_view>

#include "net/Wire.h"

namespace server {

// The 16-bit little-endian word at `offset`; 0 when it lies past the end
// (the hall checks every message's length before reading its fields).
inline std::uint16_t ReadU16(std::string_view bytes, std::size_t offset) {
    if (offset + 2 > bytes.size()) return 0;
    const auto lo = static_cast<unsigned char>(bytes[offset]);
    const auto hi = static_cast<unsigned char>(bytes[offset + 1]);
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

// Writes `value` as a 16-bit little-endian word at `out`.
inline void WriteU16(char* out, unsigned value) {
    out[0] = static_cast<char>(value & 0xFF);
    out[1] = static_cast<char>((value >> 8) & 0xFF);
}

// The text in a string slot: the bytes before the first zero byte, or the
// whole slot when it holds none. Never reads past the end of `bytes`.
inline std::string_view ReadText(std::string_view bytes, wire::Slot slot) {
    const auto start = static_cast<std::size_t>(slot.start);
    if (start >= bytes.size()) return {};
    const std::string_view field = bytes.substr(start, static_cast<std::size_t>(slot.Width()));
    return field.substr(0, field.find('\0'));
}

}  // namespace server
