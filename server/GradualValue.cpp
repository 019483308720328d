#include "server/GradualValue.h"

#include <chrono>

namespace server {

Clock::Duration GradualValue::At(Clock::TimePoint now) const {
    if (now <= since_ || from_ == aim_) return from_;
    const double step = std::chrono::duration<double>(now - since_).count() * static_cast<double>(perSecond_.count());
    const double distance = static_cast<double>(aim_.count() - from_.count());
    if (step >= (distance < 0 ? -distance : distance)) return aim_;
    return from_ + Clock::Duration(static_cast<Clock::Duration::rep>(distance < 0 ? -step : step));
}

void GradualValue::Aim(Clock::Duration aim, Clock::Duration perSecond, Clock::TimePoint now) {
    if (now > since_) {
        from_ = At(now);
        since_ = now;
    }
    aim_ = aim;
    perSecond_ = perSecond;
}

void GradualValue::Set(Clock::Duration value, Clock::TimePoint now) {
    from_ = aim_ = value;
    if (now > since_) since_ = now;
}

}  // namespace server
