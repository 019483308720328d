// The time the server's rules read. The event loop passes the real clock;
// tests and fuzzers of the hall pass one they move by hand.
#pragma once

#include <chrono>

namespace server {

class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;
    virtual TimePoint Now() const = 0;

protected:
    ~Clock() = default;
};

class SteadyClock final : public Clock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace server
