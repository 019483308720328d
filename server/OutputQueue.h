// The bytes waiting to go out on one connection. Some may be held until a
// given time (latency balancing); they wait in the same buffer, behind a
// mark, and nothing queued after them overtakes them. An idle connection
// holds no heap memory here; the buffer grows with a backlog and is given
// back once the backlog has drained, so thousands of quiet connections stay small.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/Clock.h"

namespace server {

class OutputQueue {
public:
    // Appends `bytes`, to go out at once or with the held bytes before them,
    // unless more than `cap` bytes (held ones too) would then be waiting;
    // returns false in that case and appends nothing.
    bool Append(std::string_view bytes, std::size_t cap);
    // The same, but the bytes are held until `until`, or until the held bytes
    // before them go if that is later (see HeldUntil).
    bool Hold(std::string_view bytes, std::size_t cap, Clock::TimePoint until);
    // When the last bytes held go out; nothing when none are held.
    std::optional<Clock::TimePoint> HeldUntil() const;
    // When the first bytes held go out; nothing when none are held.
    std::optional<Clock::TimePoint> NextRelease() const;
    // Lets the bytes whose time has come by `now` go out; true when there were any.
    bool Release(Clock::TimePoint now);

    // The bytes free to go and not yet sent, oldest first.
    std::string_view Pending() const { return std::string_view(bytes_).substr(sent_, released_ - sent_); }
    // The socket took the first `n` pending bytes.
    void Consume(std::size_t n);

    // Bytes waiting, held ones included.
    std::size_t Size() const { return bytes_.size() - sent_; }
    bool Empty() const { return Size() == 0; }

private:
    // A drained buffer keeps this much capacity for the next burst and frees the rest.
    static constexpr std::size_t kKeptCapacity = 2 * 1024;

    // Bytes up to `end` of bytes_ are held until `until`.
    struct Mark {
        Clock::TimePoint until;
        std::size_t end;
    };

    // Drops the sent front once it is the larger part, so appends stay amortised O(1).
    void Compact();

    std::string bytes_;
    std::size_t sent_ = 0;      // bytes at the front of bytes_ already sent
    std::size_t released_ = 0;  // bytes at the front of bytes_ free to go
    std::vector<Mark> marks_;   // held bytes in order; those before firstMark_ are released
    std::size_t firstMark_ = 0;
};

// The most unsent bytes a connection may hold: `asked`, raised where need be
// to whole KiB so that a list of `maxTowers` towers, and everything a newcomer
// to a tower of `maxRingers` ringers is sent at once, always fit with room to
// spare: nobody is cut off for asking for them.
std::size_t OutputCap(std::size_t asked, int maxTowers, int maxRingers);

}  // namespace server
