#include "review/StrikeRecorder.h"

#include <algorithm>

StrikeRecorder::StrikeRecorder(WallClock wallClock) : wallClock_(std::move(wallClock)) {
    for (Touch& touch : touches_) {
        touch.blows.reserve(kReservedBlows);
        touch.ringers.reserve(16);
    }
}

void StrikeRecorder::OnStrike(const HeardStrike& strike) {
    const bool silenceBefore = count_ == 0 || strike.arrivedAt - touches_[count_ - 1].blows.back().at > kSilence;
    Touch& touch = silenceBefore ? StartTouch() : touches_[count_ - 1];
    touch.blows.push_back({strike.arrivedAt, RingerIndex(touch, strike.ringer), static_cast<std::uint8_t>(strike.bell),
                           static_cast<std::uint8_t>(strike.stroke != 0 ? 1 : 0)});
}

Touch& StrikeRecorder::StartTouch() {
    if (count_ < kKeptTouches) {
        ++count_;
    } else {
        // The oldest touch's storage becomes the newest touch's.
        std::rotate(touches_.begin(), touches_.begin() + 1, touches_.end());
    }
    Touch& touch = touches_[count_ - 1];
    touch.Clear();
    touch.startedAt = wallClock_();
    return touch;
}

std::uint16_t StrikeRecorder::RingerIndex(Touch& touch, std::string_view name) {
    // A handful of ringers: a linear search is quickest.
    const auto found = std::find(touch.ringers.begin(), touch.ringers.end(), name);
    if (found != touch.ringers.end()) return static_cast<std::uint16_t>(found - touch.ringers.begin());
    touch.ringers.emplace_back(name);
    return static_cast<std::uint16_t>(touch.ringers.size() - 1);
}

std::vector<const Touch*> StrikeRecorder::Touches() const {
    std::vector<const Touch*> kept;
    for (int i = 0; i < count_; ++i) kept.push_back(&touches_[i]);
    return kept;
}

bool StrikeRecorder::Ringing(std::chrono::steady_clock::time_point now) const {
    return count_ > 0 && now - touches_[count_ - 1].blows.back().at <= kSilence;
}
