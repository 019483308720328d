// Cuts the byte stream of one connection into messages by their length field.
#pragma once

#include <cstddef>
#include <string_view>

namespace server {

enum class FrameStatus {
    Incomplete,  // more bytes are needed before the message at the head is whole
    Complete,    // the message at the head is whole: `length` bytes
    Invalid,     // the length field is impossible for a client message
};

struct Frame {
    FrameStatus status;
    std::size_t length;  // the length field; 0 while fewer than 2 bytes are there
};

// Looks at the bytes at the head of a connection's input. A length below the
// header size or above the largest message a client sends is Invalid as soon
// as its two bytes are there, so the server never waits for an absurd message.
Frame ScanFrame(std::string_view input);

}  // namespace server
