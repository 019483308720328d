// The robot in a band on a virtual clock: it starts rounds, keeps to the
// people's rhythm, sends early by its echo delay, waits for a late blow ahead
// and rings on past a missed one, keeps its place through extra blows, and
// takes over bells; its rhythm's pace moves only once people have been heard.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "bench/robot/BandSim.h"
#include "tools/robot/Beats.h"
#include "tools/robot/RhythmTracker.h"

namespace {

using robot::BeatOf;
using robot::BellSetOf;
using robot_sim::Band;
using robot_sim::Blow;
using robot_sim::RunBand;

constexpr double kInterval = 240'000;

Band MinorBand() {
    Band band;
    band.bells = 6;
    band.people = BellSetOf("135");
    band.robot = BellSetOf("246");
    band.calls = {{4, "Go Plain Bob Minor"}, {40, "That's All"}, {62, "Stand"}};
    band.lastRow = 63;
    band.ideal = robot_sim::SteadyRhythm(10'000'000, kInterval);
    band.echoUs = 20'000;
    return band;
}

// The largest timing error of the blows in rows fromRow to toRow.
double WorstError(const std::vector<Blow>& blows, long fromRow, long toRow = 1'000'000) {
    double worst = 0;
    for (const Blow& blow : blows) {
        if (blow.row >= fromRow && blow.row <= toRow) worst = std::max(worst, std::abs(blow.Error()));
    }
    return worst;
}

// Every blow the robot rang is its bell's place in the row the people rang.
void ExpectRightPlaces(const robot_sim::Result& result) {
    for (const Blow& blow : result.robot) {
        ASSERT_LT(static_cast<std::size_t>(blow.row), result.rows.size());
        EXPECT_EQ(result.rows[blow.row][blow.place], robot::BellSymbol(blow.bell)) << "row " << blow.row;
    }
}

// The robot's blow just after `bell` in row `row`, or nullptr.
const Blow* RobotBlowAfter(const robot_sim::Result& result, long row, char bell) {
    const int place = static_cast<int>(result.rows[row].find(bell)) + 1;
    for (const Blow& blow : result.robot) {
        if (blow.row == row && blow.place == place) return &blow;
    }
    return nullptr;
}

TEST(RobotRinger, RingsItsBellsThroughTheMethodOnTheBandsRhythm) {
    // The band rings at the pace it was told, slower than that, and with the robot on the treble.
    for (const auto& [interval, robotBells, people] :
         {std::tuple{kInterval, "246", "135"}, {300'000.0, "246", "135"}, {kInterval, "135", "246"}}) {
        Band band = MinorBand();
        band.ideal = robot_sim::SteadyRhythm(10'000'000, interval);
        band.robot = BellSetOf(robotBells);
        band.people = BellSetOf(people);
        const auto result = RunBand(band);
        ExpectRightPlaces(result);
        ASSERT_EQ(result.robot.size(), 64u * 3);  // rows 0 to 63, three bells each, then it stands
        EXPECT_EQ(result.robot.back().row, 63);
        // Sending early by the echo delay puts its strikes on the rhythm.
        const bool told = interval == kInterval;
        EXPECT_LT(WorstError(result.robot, told ? 2 : 6), told ? 2'000 : 20'000) << interval << robotBells;
        if (!robot::Holds(band.robot, 1)) continue;
        // Rounds start two seconds after Look to; the first strike comes back
        // one echo late, as no echo has been measured yet.
        EXPECT_EQ(result.robot.front().bell, 1);
        EXPECT_NEAR(result.robot.front().heard, band.ideal(0) + band.echoUs, 1'000);
    }
}

TEST(RobotRinger, WaitsForLateBlowsAndKeepsItsPlaceThroughMissedAndExtraBlows) {
    Band band = MinorBand();
    // The 3rd is 300 ms late in row 12 and misses a blow in row 20: its next
    // strike carries the stroke that blow would have had. The 5th strikes
    // twice in row 30, so from then on its strokes are the other way round;
    // the robot places its blows by time, not by stroke.
    band.timing = [](int bell, long row) -> std::optional<double> {
        if (bell == 3 && row == 20) return std::nullopt;
        return bell == 3 && row == 12 ? 300'000 : 0.0;
    };
    band.extraBlows = {{5, 30}};
    const auto result = RunBand(band);
    ExpectRightPlaces(result);
    EXPECT_EQ(result.robot.size(), 64u * 3);
    // The robot's blow after the late one waits for it, then the rows close up.
    const Blow* afterLate = RobotBlowAfter(result, 12, '3');
    ASSERT_NE(afterLate, nullptr);
    const double lateBlow = afterLate->ideal - kInterval + 300'000;
    EXPECT_GT(afterLate->heard, lateBlow);
    EXPECT_LT(afterLate->heard, lateBlow + 0.5 * kInterval);
    EXPECT_LT(WorstError(result.robot, 14, 19), 10'000);
    // The blow after the missing one waited one and a half blows from when
    // the missing one was due, then rang on.
    const Blow* after = RobotBlowAfter(result, 20, '3');
    ASSERT_NE(after, nullptr);
    EXPECT_NEAR(after->heard, after->ideal + 0.5 * kInterval, 2'000);
    EXPECT_LT(WorstError(result.robot, 22), 5'000);
}

TEST(RobotRinger, TakenOverBellsStartWithTheirNextBlow) {
    using robot::PlannedStrike;
    robot::RobotRinger ringer(6);
    ringer.SetBells(BellSetOf("2"), BellSetOf("13456"), 0);
    ringer.OnCall("Look to", 0);
    ringer.OnStrike(1, 1, 1'000'000);  // the treble starts rounds
    EXPECT_EQ(ringer.Next(), (PlannedStrike{2, 1, 1'240'000, 0, 1}));
    // A person rang the 5th in row 0; given the 5th as well during row 3, the
    // robot strikes the 5th's blow in row 3 first, turning it over.
    ringer.OnStrike(5, 1, 1'000'000 + static_cast<robot::Micros>(4 * kInterval));
    ringer.SetBells(BellSetOf("25"), BellSetOf("1346"), 1'000'000 + BeatOf(3, 1, 6) * 240'000);
    const auto next = ringer.Next();
    ASSERT_TRUE(next);
    EXPECT_EQ(std::tuple(next->bell, next->row, next->stroke), std::tuple(5, 3L, 0));
    // Every client laid its bells out again for the allocation: stroke 1 moves it.
    ringer.BellsLaidOut();
    EXPECT_EQ(ringer.Next()->stroke, 1);
}

TEST(RhythmTracker, KeepsItsPaceUntilItHasHeardEnoughPeople) {
    robot::RhythmTracker tracker(6, kInterval);
    tracker.Start(0, 1'000'000);
    for (long beat = 0; beat < 40; ++beat) {
        tracker.Hear(beat, static_cast<robot::Micros>(1'000'000 + beat * kInterval + (beat % 2 ? 3'000 : -3'000)),
                     robot::Striker::Robot);
    }
    EXPECT_DOUBLE_EQ(tracker.Interval(), kInterval);
    EXPECT_DOUBLE_EQ(tracker.TimeOf(100), 1'000'000 + 100 * kInterval);
    // Three strikes of a faster band move the phase, not the pace; a fourth moves the pace.
    auto faster = [](long beat) {
        return static_cast<robot::Micros>(1'000'000 + 40 * kInterval + (beat - 40) * 200'000);
    };
    for (long beat : {40L, 42L, 44L}) tracker.Hear(beat, faster(beat), robot::Striker::Person);
    EXPECT_DOUBLE_EQ(tracker.Interval(), kInterval);
    EXPECT_NE(tracker.TimeOf(100), 1'000'000 + 100 * kInterval);
    tracker.Hear(46, faster(46), robot::Striker::Person);
    EXPECT_LT(tracker.Interval(), kInterval);
}

}  // namespace
