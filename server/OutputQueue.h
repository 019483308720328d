// The bytes waiting to go out on one connection. An idle connection holds no
// heap memory here; the buffer grows with a backlog and is given back once
// the backlog has drained, so thousands of quiet connections stay small.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace server {

class OutputQueue {
public:
    // Appends `bytes` unless more than `cap` bytes would then be waiting;
    // returns false in that case and appends nothing.
    bool Append(std::string_view bytes, std::size_t cap);

    // The bytes not yet sent, oldest first.
    std::string_view Pending() const { return std::string_view(bytes_).substr(sent_); }
    // The socket took the first `n` pending bytes.
    void Consume(std::size_t n);

    std::size_t Size() const { return bytes_.size() - sent_; }
    bool Empty() const { return Size() == 0; }

private:
    // A drained buffer keeps this much capacity for the next burst and frees the rest.
    static constexpr std::size_t kKeptCapacity = 2 * 1024;

    std::string bytes_;
    std::size_t sent_ = 0;  // bytes at the front of bytes_ already sent
};

// The most unsent bytes a connection may hold: `asked`, raised where need be
// to whole KiB so that a list of `maxTowers` towers, and everything a newcomer
// to a tower of `maxRingers` ringers is sent at once, always fit with room to
// spare: nobody is cut off for asking for them.
std::size_t OutputCap(std::size_t asked, int maxTowers, int maxRingers);

}  // namespace server
