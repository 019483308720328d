// Keeps a flood of one kind of event from flooding the log. The first event of
// a kind is logged in full and opens a window; more of that kind within the
// window are only counted, and when it ends one line sums them up ("412 more
// connections turned away: the server is full, in the last 10 s").
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "server/Clock.h"
#include "server/Log.h"

namespace server {

enum class LogEvent {
    TurnedAwayFull,     // the server was full
    TurnedAwayAddress,  // too many connections from one address
    NoHello,            // closed for saying no Hello in time
    NoTower,            // closed for entering no tower in time
    ProtocolError,      // closed for input no client sends
    TooSlow,            // cut off for leaving too much unread
    RateLimited,        // chat, calls or strikes beyond the rate limits
    Count,
};

class LogDigest {
public:
    static constexpr std::chrono::seconds kWindow{10};

    explicit LogDigest(Log& log) : log_(log) {}

    // Logs `line` unless a window of its kind is open, in which case it is counted.
    void Report(LogEvent event, std::string_view line, Clock::TimePoint now);
    // Logs the sums of the windows that have ended by `now` and closes them.
    void Summarise(Clock::TimePoint now);
    // When the earliest open window ends, if any is open.
    std::optional<Clock::TimePoint> NextWindowEnd() const;

private:
    struct Window {
        bool open = false;
        Clock::TimePoint end{};
        std::uint64_t more = 0;  // events not logged in this window
    };

    Log& log_;
    std::array<Window, static_cast<std::size_t>(LogEvent::Count)> windows_{};
};

}  // namespace server
