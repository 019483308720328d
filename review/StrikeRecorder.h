// Records every strike a tower session hears, touch by touch: a touch starts
// with the first strike after more than kSilence without one and ends at the
// next such silence. The latest kKeptTouches touches are kept for review.
//
// It listens on the strike path, so a strike allocates nothing here while a
// touch stays within the blows reserved for it (kReservedBlows, a peal of
// Major is about 40,000) and its ringers' names are short: the touches'
// storage is made once and reused, oldest first.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <vector>

#include "review/Touch.h"
#include "tower/TowerSession.h"

class StrikeRecorder : public TowerListener {
public:
    static constexpr int kKeptTouches = 5;
    static constexpr std::chrono::milliseconds kSilence{3000};
    static constexpr std::size_t kReservedBlows = 8192;

    using WallClock = std::function<std::chrono::system_clock::time_point()>;
    explicit StrikeRecorder(WallClock wallClock = std::chrono::system_clock::now);

    void OnStrike(const HeardStrike& strike) override;

    // The kept touches, oldest first; the last may still be being rung. Valid
    // until the next strike.
    std::vector<const Touch*> Touches() const;
    // True while the latest touch has not yet been followed by a silence.
    bool Ringing(std::chrono::steady_clock::time_point now) const;

private:
    Touch& StartTouch();
    static std::uint16_t RingerIndex(Touch& touch, std::string_view name);

    WallClock wallClock_;
    std::array<Touch, kKeptTouches> touches_;  // the first count_ are in use, oldest first
    int count_ = 0;
};
