#include "net/MessageBuffer.h"

#include <stdexcept>

#include "net/ByteOrder.h"

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
    const auto value = wire::ReadU16(bytes_, offset);
    if (!value) throw std::out_of_range("MessageBuffer::GetU16: offset past the end");
    return *value;
}

std::string MessageBuffer::GetString(std::size_t start, std::size_t end) const {
    const auto text = wire::ReadSlot(bytes_, start, end);
    if (!text) throw std::out_of_range("MessageBuffer::GetString: text past the end");
    return std::string(*text);
}
