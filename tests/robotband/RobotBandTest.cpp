// The real tolmer-robot in a tower of the real server, rung with a scripted
// band of raw clients on loopback. The rows are judged as the band's
// listener heard them: each blow goes in the row where its bell's place
// comes nearest in time. Four bells ring quickly, Plain Bob Minimus from its
// place notation.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>

#include "bench/robot/ScriptedBand.h"
#include "tests/support/ServerProcess.h"
#include "tools/robot/Method.h"

namespace {

using namespace std::chrono_literals;
using robot_band::BandEvent;
using robot_band::HeardRows;
using robot_band::PlaceBlows;
using robot_band::TowerLog;

class RobotTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Start(TOLMER_SERVER_BINARY)) << server_.Error(); }
    void TearDown() override {
        if (HasFailure()) std::cerr << "robot:\n" << robot_.Out() << robot_.Err() << "server:\n" << server_.Log();
    }

    std::vector<std::string> RobotArgs(std::vector<std::string> extra = {}) const {
        extra.insert(extra.end(),
                     {"--server", "127.0.0.1", "--tower", "St Mary", "--port", std::to_string(server_.Port())});
        return extra;
    }

    // The conductor starts the tower, the robot joins, the conductor gives the
    // people's bells to themself and the robot's to it. Fatal on failure.
    void Gather(int bells, const std::string& people, const std::string& robotBells,
                const std::vector<std::string>& robotArgs = {}) {
        band_.emplace(server_.Port(), "St Mary");
        ASSERT_TRUE(band_->Enter());
        ASSERT_TRUE(robot_.Start(TOLMER_ROBOT_BINARY, RobotArgs(robotArgs)));
        ASSERT_TRUE(band_->WaitForRinger("Robot"));
        ASSERT_TRUE(band_->Allocate(bells, people, "Robot", robotBells)) << "the allocation did not come back";
    }

    static robot_band::BandPlan Minimus(std::vector<BandEvent> events, long lastRow) {
        robot_band::BandPlan plan;
        plan.bells = 4;
        plan.method = robot::MakeMethod("Plain Bob Minimus", 4, "x14x14,12").method;
        plan.people = "13";
        plan.events = std::move(events);
        plan.lastRow = lastRow;
        return plan;
    }

    testsupport::ServerProcess server_;
    testsupport::ProgramProcess robot_;
    std::optional<robot_band::ScriptedBand> band_;
};

TEST_F(RobotTest, RingsRoundsTheMethodWithABobAndASingleThenThatsAllAndStand) {
    ASSERT_NO_FATAL_FAILURE(Gather(4, "13", "24", {"--place-notation", "x14x14,12", "--stage", "4"}));
    // Go during row 2 starts the method at row 4; its lead heads are rows 11
    // and 19, each called as the treble leads at handstroke the row before.
    auto plan = Minimus({BandEvent::Call(2, "Go"), BandEvent::Call(10, "Bob"), BandEvent::Call(18, "Single"),
                         BandEvent::Call(20, "That's All"), BandEvent::Call(28, "Stand")},
                        60);
    // The 3rd leads row 8 (3412) and misses it: the robot's 4th, next, waits
    // a blow and a half and rings on, in its place.
    plan.errorUs = [](int bell, long row) { return bell == 3 && row == 8 ? std::nullopt : std::optional(0.0); };
    const auto run = band_->Ring(plan);
    ASSERT_EQ(run.rows.size(), 30u);  // the Stand during row 28 ends with backstroke row 29
    EXPECT_EQ(run.rows[4], "2143");
    EXPECT_EQ(run.rows[11], "1234");  // the bob's lead head; a plain one is 1342
    EXPECT_EQ(run.rows[19], "1324");  // the single's
    EXPECT_NE(run.rows[25], "1234");
    for (std::size_t k = 26; k < run.rows.size(); ++k) EXPECT_EQ(run.rows[k], "1234") << "row " << k;
    // The robot's two bells in their places in every row, and not a blow more.
    const auto blows = PlaceBlows(run);
    std::vector<std::string> expected = run.rows;
    expected[8] = "412";
    EXPECT_EQ(HeardRows(blows, run.rows.size()), expected);
    EXPECT_EQ(blows.size(), 4 * run.rows.size() - 1);
}

TEST_F(RobotTest, FollowsAReallocationAndStandsWhenTheConductorLeaves) {
    ASSERT_NO_FATAL_FAILURE(Gather(4, "13", "24"));
    // During row 5 the conductor takes the 2nd and gives the robot the 3rd:
    // every client lays its bells out again, so the robot's next blow on each
    // of its bells must turn it to stroke 1. During row 10 the conductor leaves.
    const auto run = band_->Ring(Minimus({BandEvent::Allocate(5, "12", "34"), BandEvent::ConductorLeaves(10)}, 14));
    const auto blows = PlaceBlows(run);
    const auto heard = HeardRows(blows, run.rows.size());
    ASSERT_GE(heard.size(), 12u);
    // Row 5 is left out: the robot's first blow on the 3rd comes half a blow
    // after the allocation. Nobody can call any more: it rings to the end of
    // the backstroke and stands.
    for (std::size_t k = 0; k <= 10; ++k) EXPECT_TRUE(k == 5 || heard[k] == "1234") << "row " << k << " " << heard[k];
    EXPECT_EQ(heard[11], "34");
    EXPECT_TRUE(std::none_of(blows.begin(), blows.end(), [](const auto& blow) { return blow.row > 11; }));
    EXPECT_TRUE(band_->Listener().Log().ChatFrom("Robot", "The conductor has gone, so I'll stand."));
    EXPECT_EQ(robot_.Wait(0ms), -1) << "the robot should still be in the tower";
}

TEST_F(RobotTest, GreetsAnswersLeavesWhenAskedAndEndsWithStatusOneOnARefusalOrALostConnection) {
    ASSERT_NO_FATAL_FAILURE(Gather(6, "135", "246", {"--method", "cambridge surprise"}));
    // It arrived before the tower had bells: the method's stage comes with them.
    const auto said = [&](const std::string& answer) {
        return band_->Listener().WaitUntil([&](const TowerLog& log) { return log.ChatFrom("Robot", answer); });
    };
    EXPECT_TRUE(said("Robot ringer here; at Go I'll ring Cambridge Surprise."));
    band_->Conductor().Send(testsupport::msg::Chat("Conductor", "robot: method Kent Treble Bob Minor"));
    EXPECT_TRUE(said("I'll ring Kent Treble Bob Minor at the next Go."));
    band_->Conductor().Send(testsupport::msg::Chat("Conductor", "Robot: leave"));
    EXPECT_TRUE(said("Goodbye."));
    EXPECT_TRUE(band_->Listener().WaitUntil(
        [](const TowerLog& log) { return std::find(log.left.begin(), log.left.end(), "Robot") != log.left.end(); }));
    EXPECT_EQ(robot_.Wait(5s), 0);

    // Its name is taken in the tower: the server's text, status 1.
    const auto run = testsupport::RunProgram(TOLMER_ROBOT_BINARY, RobotArgs({"--name", "Conductor"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Someone in that tower already uses that name. Please choose another."), std::string::npos)
        << run.err;
    // Under a free name it joins; the server goes away: status 1.
    ASSERT_TRUE(robot_.Start(TOLMER_ROBOT_BINARY, RobotArgs({"--name", "Robot 2"})));
    ASSERT_TRUE(band_->WaitForRinger("Robot 2"));
    EXPECT_EQ(server_.Stop(), 0);
    EXPECT_EQ(robot_.Wait(5s), 1);
    EXPECT_NE(robot_.Err().find("connection to the server lost"), std::string::npos) << robot_.Err();
}

}  // namespace
