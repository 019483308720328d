#include "net/MessageBuffer.h"

#include <stdexcept>

void MessageBuffer::Create(int length, std::uint16_t type, std::uint16_t word) {
    if (length < 0 || length > 0x7FFF) throw std::length_error("MessageBuffer::Create: length out of range");
    bytes_.assign(static_cast<std::size_t>(length), '\0');
    PutU16(wire::kLengthOffset, static_cast<unsigned>(length));
    PutU16(wire::kTypeOffset, type);
    PutU16(wire::kWordOffset, word);
}

void MessageBuffer::PutU16(std::size_t offset, unsigned value) {
    if (offset >= bytes_.size()) throw std::out_of_range("MessageBuffer::PutU16: offset past the end");
    bytes_[offset] = static_cast<char>(value & 0xFF);
    if (offset + 1 >= bytes_.size()) throw std::out_of_range("MessageBuffer::PutU16: high byte past the end");
    bytes_[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void MessageBuffer::PutString(std::size_t start, std::size_t end, std::string_view text) {
    const std::size_t width = end > start ? end - start : 0;
    std::size_t i = 0;
    for (; i < width && i < text.size(); ++i) {
        if (start + i >= bytes_.size()) throw std::out_of_range("MessageBuffer::PutString: slot past the end");
        bytes_[start + i] = text[i];
    }
    if (i < width) {
        if (start + i >= bytes_.size()) throw std::out_of_range("MessageBuffer::PutString: terminator past the end");
        bytes_[start + i] = '\0';
    }
}

std::uint16_t MessageBuffer::GetU16(std::size_t offset) const {
    if (offset >= bytes_.size() || offset + 1 >= bytes_.size())
        throw std::out_of_range("MessageBuffer::GetU16: offset past the end");
    const auto lo = static_cast<unsigned char>(bytes_[offset]);
    const auto hi = static_cast<unsigned char>(bytes_[offset + 1]);
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::string MessageBuffer::GetString(std::size_t start, std::size_t end) const {
    std::string result;
    if (start >= end) return result;
    const std::size_t width = end - start;
    std::size_t p = start;
    if (p >= bytes_.size()) throw std::out_of_range("MessageBuffer::GetString: slot past the end");
    char b = bytes_[p];
    while (b != '\0') {
        result.push_back(b);
        if (result.size() == width) break;
        ++p;
        if (p >= bytes_.size()) throw std::out_of_range("MessageBuffer::GetString: unterminated text past the end");
        b = bytes_[p];
    }
    return result;
}
