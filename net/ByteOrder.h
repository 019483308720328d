// The wire's two field encodings on raw bytes: little-endian 16-bit words and
// fixed-width text slots. Everything that reads or writes message bytes (the
// message buffer, the typed readers, the framing) goes through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace wire {

inline std::uint16_t LoadU16(const char* at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[1]) << 8);
}

inline void StoreU16(char* at, unsigned value) {
    at[0] = static_cast<char>(value & 0xFF);
    at[1] = static_cast<char>((value >> 8) & 0xFF);
}

// The word at `offset`, or nothing when its two bytes are not both inside.
inline std::optional<std::uint16_t> ReadU16(std::string_view bytes, std::size_t offset) {
    if (offset >= bytes.size() || bytes.size() - offset < 2) return std::nullopt;
    return LoadU16(bytes.data() + offset);
}

// The text of the slot [start, end): the bytes before the first zero byte, or
// the whole slot when it holds none. A terminated text needs only the bytes up
// to its terminator; nothing when the text runs past the end of `bytes` first.
// A byte at or after `end` is never read.
inline std::optional<std::string_view> ReadSlot(std::string_view bytes, std::size_t start, std::size_t end) {
    if (start >= end) return std::string_view();
    if (start >= bytes.size()) return std::nullopt;
    const std::string_view present = bytes.substr(start, end - start);
    const std::size_t zero = present.find('\0');
    if (zero != std::string_view::npos) return present.substr(0, zero);
    if (present.size() < end - start) return std::nullopt;  // cut off before its end
    return present;
}

}  // namespace wire
