#include "server/RoundTrip.h"

#include <algorithm>

namespace server {

bool RoundTrip::Report(std::int16_t pingMs, Clock::Duration cap) {
    // A ping of 0 (nothing measured), a negative one, and one no longer than
    // the echo was held all leave nothing.
    const Clock::Duration sample = std::chrono::milliseconds(pingMs) - echoHold_;
    if (sample <= Clock::Duration::zero()) return false;
    // A link that has grown worse than the cap is remembered as such, so that
    // an older, faster estimate does not go on holding a ringer it no longer fits.
    samples_[static_cast<std::size_t>(next_)] = sample > cap ? kBeyond : sample;
    next_ = (next_ + 1) % kWindow;
    count_ = std::min(count_ + 1, kWindow);

    const auto estimate = Median();
    if (estimate == estimate_) return false;
    estimate_ = estimate;
    return true;
}

std::optional<Clock::Duration> RoundTrip::Median() const {
    if (count_ < kEnough) return std::nullopt;
    std::array<Clock::Duration, kWindow> sorted = samples_;
    // The lower median: beyond the cap exactly when more than half the samples are.
    const auto middle = sorted.begin() + (count_ - 1) / 2;
    std::nth_element(sorted.begin(), middle, sorted.begin() + count_);
    if (*middle == kBeyond) return std::nullopt;
    return *middle;
}

}  // namespace server
