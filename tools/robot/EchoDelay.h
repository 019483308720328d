// The robot hears its own strikes only when the server passes them back; the
// time from sending a strike to hearing it is its echo delay. The median of
// the last few keeps one slow echo from moving it.
#pragma once

#include <array>

#include "tools/robot/RhythmTracker.h"

namespace robot {

class EchoDelay {
public:
    EchoDelay() { sentAt_.fill(-1); }
    void Sent(int bell, Micros time) { sentAt_[static_cast<std::size_t>(bell)] = time; }
    // The echo of the latest strike sent on `bell`; nothing for a bell with none waiting.
    void Heard(int bell, Micros time);
    // Microseconds; 0 before any echo.
    Micros Estimate() const { return estimate_; }

private:
    static constexpr int kKept = 7;
    std::array<Micros, 13> sentAt_{};  // by bell; -1 when no echo is awaited
    std::array<Micros, kKept> delays_{};
    int count_ = 0;
    int next_ = 0;
    Micros estimate_ = 0;
};

}  // namespace robot
