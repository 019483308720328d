// What the server knows of one member's round trip. The member's client times
// the echo of each strike and reports the time with its next strike; the
// server may have held that echo (latency balancing), so the round trip is
// the reported time less the hold. The estimate is the median of recent
// samples, so that a late echo or two move nothing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "server/Clock.h"

namespace server {

class RoundTrip {
public:
    static constexpr int kWindow = 9;  // recent samples kept
    static constexpr int kEnough = 3;  // samples before there is an estimate

    // The echo of the member's latest strike waits this long in the server;
    // its client reports what it measured on it with its next strike.
    void EchoHeld(Clock::Duration hold) { echoHold_ = hold; }

    // Takes the ping that a strike reports. A ping of 0 (nothing measured) or
    // less, or one no longer than the echo's hold, tells nothing and is
    // ignored; a round trip above `cap` counts as beyond it. Returns whether
    // the estimate changed.
    bool Report(std::int16_t pingMs, Clock::Duration cap);

    // The median of the recent samples: nothing before kEnough of them, nor
    // while more than half of them are beyond the cap.
    std::optional<Clock::Duration> Estimate() const { return estimate_; }

private:
    static constexpr Clock::Duration kBeyond = Clock::Duration::max();

    std::optional<Clock::Duration> Median() const;

    std::array<Clock::Duration, kWindow> samples_{};  // a ring, the oldest overwritten
    int count_ = 0;                                   // samples held, up to kWindow
    int next_ = 0;                                    // where the next one goes
    Clock::Duration echoHold_{};
    std::optional<Clock::Duration> estimate_;
};

}  // namespace server
