// A rate limit per connection: a bucket of `burst` tokens, refilled at
// `perSecond` tokens a second; each message takes one, and a message that
// finds the bucket empty is refused. Time comes from the caller, so the rule
// can be tested and fuzzed without waiting.
#pragma once

#include "server/Clock.h"

namespace server {

struct RateLimit {
    int perSecond = 0;  // 0: no limit
    int burst = 1;

    bool Unlimited() const { return perSecond <= 0; }
};

class TokenBucket {
public:
    enum class Verdict {
        Pass,          // a token was there and is taken
        FirstRefusal,  // empty, and the last message before this one passed: a burst begins
        Refusal,       // empty, as it was for the message before
    };

    // Takes a token if one is there; a new bucket starts full.
    Verdict Take(const RateLimit& limit, Clock::TimePoint now);

private:
    double tokens_ = -1;  // below 0: never used, so full
    bool refusing_ = false;
    Clock::TimePoint refilled_{};
};

}  // namespace server
