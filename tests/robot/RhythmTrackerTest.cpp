// The rhythm tracker's pace comes from people: the robot's own strikes alone
// leave it alone, and it moves only once enough people have been heard. (How
// it finds and follows a band's pace and shrugs off a wild strike is judged
// where it matters, on the robot's strikes in RobotRingerTest.)
#include <gtest/gtest.h>

#include "tools/robot/RhythmTracker.h"

namespace {

using robot::Micros;
using robot::RhythmTracker;
using robot::Striker;

TEST(RhythmTracker, KeepsItsPaceUntilItHasHeardEnoughPeople) {
    constexpr double kInterval = 240'000;  // microseconds a blow
    RhythmTracker tracker(6, kInterval);
    tracker.Start(0, 1'000'000);
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
    EXPECT_NE(tracker.TimeOf(100), 1'000'000 + 100 * kInterval);
    tracker.Hear(46, faster(46), Striker::Person);
    EXPECT_LT(tracker.Interval(), kInterval);
}

}  // namespace
