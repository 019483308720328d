// The rhythm tracker on made-up strike streams: it finds the band's pace and
// phase, and one wild strike cannot jerk it.
#include <gtest/gtest.h>

#include <functional>

#include "tools/robot/Beats.h"
#include "tools/robot/RhythmTracker.h"

namespace {

using robot::BeatOf;
using robot::Micros;
using robot::RhythmTracker;
using robot::Striker;

constexpr int kBells = 6;
constexpr double kInterval = 240'000;  // microseconds a blow

// A spread of timing errors within +-15 ms that repeats every 7 strikes.
double Wobble(long beat) {
    static const double kErrors[] = {-15'000, 9'000, 2'000, -6'000, 13'000, -4'000, 1'000};
    return kErrors[beat % 7];
}

// Feeds the blows of people on `people` places of rows first..last, each
// struck at when(beat).
void Ring(RhythmTracker& tracker, long first, long last, std::initializer_list<int> people,
          const std::function<double(long)>& when) {
    for (long row = first; row <= last; ++row) {
        for (int place : people) {
            const long beat = BeatOf(row, place, kBells);
            tracker.Hear(beat, static_cast<Micros>(when(beat)), Striker::Person);
        }
    }
}

TEST(RhythmTracker, FindsTheBandsPhaseAndPaceFromNoisyStrikes) {
    RhythmTracker tracker(kBells, 200'000);  // configured faster than the band rings
    const double start = 5'000'000;
    tracker.Start(0, static_cast<Micros>(start));
    auto band = [&](long beat) { return start + 30'000 + beat * kInterval + Wobble(beat); };
    Ring(tracker, 0, 12, {0, 2, 3}, band);
    EXPECT_NEAR(tracker.Interval(), kInterval, 5'000);
    // The blows of the next row are where the band will put them.
    for (int place = 0; place < kBells; ++place) {
        const long beat = BeatOf(13, place, kBells);
        EXPECT_NEAR(tracker.TimeOf(beat), start + 30'000 + beat * kInterval, 12'000) << place;
    }
    EXPECT_EQ(tracker.BeatAt(start + 30'000 + 100.5 * kInterval), 100);
}

TEST(RhythmTracker, OneWildStrikeMovesTheLineOnlyALittle) {
    auto trackerAfter = [](double lateness) {
        RhythmTracker tracker(kBells, kInterval);
        tracker.Start(0, 0);
        Ring(tracker, 0, 5, {0, 1, 3, 4},
             [&](long beat) { return beat * kInterval + (beat == BeatOf(5, 3, kBells) ? lateness : 0.0); });
        return tracker;
    };
    const long next = BeatOf(6, 0, kBells);
    const RhythmTracker steady = trackerAfter(0);
    const RhythmTracker jerked = trackerAfter(400'000);
    EXPECT_NEAR(steady.TimeOf(next), next * kInterval, 1'000);
    EXPECT_NEAR(jerked.TimeOf(next), next * kInterval, 2'000);
    // A strike a little off still counts.
    EXPECT_GT(trackerAfter(20'000).TimeOf(next), steady.TimeOf(next) + 1'000);
}

TEST(RhythmTracker, KeepsItsPaceUntilItHasHeardEnoughPeople) {
    RhythmTracker tracker(kBells, kInterval);
    tracker.Start(0, 1'000'000);
    // The robot's own strikes alone leave the line where it was.
    for (long beat = 0; beat < 40; ++beat) {
        tracker.Hear(beat, static_cast<Micros>(1'000'000 + beat * kInterval + (beat % 2 ? 3'000 : -3'000)),
                     Striker::Robot);
    }
    EXPECT_DOUBLE_EQ(tracker.Interval(), kInterval);
    EXPECT_DOUBLE_EQ(tracker.TimeOf(100), 1'000'000 + 100 * kInterval);
    // Three strikes of a faster band move the phase, not the pace; a fourth moves the pace.
    auto faster = [](long beat) { return static_cast<Micros>(1'000'000 + 40 * kInterval + (beat - 40) * 200'000); };
    for (long beat : {40L, 42L, 44L}) tracker.Hear(beat, faster(beat), Striker::Person);
    EXPECT_DOUBLE_EQ(tracker.Interval(), kInterval);
    tracker.Hear(46, faster(46), Striker::Person);
    EXPECT_LT(tracker.Interval(), kInterval);
}

}  // namespace
