// A duration that follows its aim at a bounded pace, so that whatever is
// derived from it changes gently. It starts at zero. Time comes from the
// caller, so the rule can be tested and fuzzed on a clock moved by hand.
#pragma once

#include "server/Clock.h"

namespace server {

class GradualValue {
public:
    // The value at `now`. A clock going backwards moves nothing.
    Clock::Duration At(Clock::TimePoint now) const;
    // From `now` on it moves towards `aim` by at most `perSecond` a second.
    void Aim(Clock::Duration aim, Clock::Duration perSecond, Clock::TimePoint now);
    // It is `value` from `now` on, and stays there.
    void Set(Clock::Duration value, Clock::TimePoint now);

private:
    Clock::Duration from_{};  // the value at since_
    Clock::Duration aim_{};
    Clock::Duration perSecond_{};
    Clock::TimePoint since_{};
};

}  // namespace server
