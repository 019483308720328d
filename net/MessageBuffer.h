// A growable byte string that holds one protocol message, the receive buffer
// or the send queue, with the field operations of the wire format.
//
// A failing operation never touches memory outside the buffer: positions at or
// past the end raise std::out_of_range, an unrepresentable length raises
// std::length_error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/Wire.h"

class MessageBuffer {
public:
    MessageBuffer() = default;
    explicit MessageBuffer(std::string_view bytes) : bytes_(bytes) {}

    // Replaces the contents with `length` zero bytes and writes the header.
    // The length is a signed 16-bit value: 32768 and above is a length error.
    void Create(int length, std::uint16_t type, std::uint16_t word);
    void PutU16(std::size_t offset, unsigned value);
    void PutString(std::size_t start, std::size_t end, std::string_view text);
    std::uint16_t GetU16(std::size_t offset) const;
    std::string GetString(std::size_t start, std::size_t end) const;

    void PutString(wire::Slot slot, std::string_view text) { PutString(slot.start, slot.end, text); }
    std::string GetString(wire::Slot slot) const { return GetString(slot.start, slot.end); }

    std::size_t Length() const { return bytes_.size(); }
    bool Empty() const { return bytes_.empty(); }
    const char* Data() const { return bytes_.data(); }
    std::string_view Bytes() const { return bytes_; }

    void Append(const void* data, std::size_t n) { bytes_.append(static_cast<const char*>(data), n); }
    void Append(const MessageBuffer& other) { bytes_.append(other.bytes_); }
    // A copy of the first n bytes (all of them when n is larger).
    MessageBuffer Left(std::size_t n) const { return MessageBuffer(std::string_view(bytes_).substr(0, n)); }
    // Drops the first n bytes (all of them when n is larger).
    void RemoveFront(std::size_t n) { bytes_.erase(0, n); }
    void Clear() { bytes_.clear(); }

    friend bool operator==(const MessageBuffer&, const MessageBuffer&) = default;

private:
    // std::string keeps messages up to 15 bytes (Hello, Strike) in place,
    // so building and copying a strike allocates nothing.
    std::string bytes_;
};
