#include "server/TokenBucket.h"

#include <algorithm>

namespace server {

TokenBucket::Verdict TokenBucket::Take(const RateLimit& limit, Clock::TimePoint now) {
    if (limit.Unlimited()) return Verdict::Pass;
    const double burst = static_cast<double>(limit.burst);
    if (tokens_ < 0) {
        tokens_ = burst;
    } else if (now > refilled_) {
        const double seconds = std::chrono::duration<double>(now - refilled_).count();
        tokens_ = std::min(burst, tokens_ + seconds * limit.perSecond);
    }
    refilled_ = std::max(refilled_, now);
    if (tokens_ < 1) {
        const bool first = !refusing_;
        refusing_ = true;
        return first ? Verdict::FirstRefusal : Verdict::Refusal;
    }
    tokens_ -= 1;
    refusing_ = false;
    return Verdict::Pass;
}

}  // namespace server
