// The robot's arrival, its chat and its departures, through the real server.
#include "tests/robotband/RobotFixture.h"

namespace robotband {
namespace {

using namespace std::chrono_literals;

TEST_F(RobotTest, ARefusalOrALostConnectionEndsItWithStatusOne) {
    ScriptedBand band(server_.Port(), kTower);
    ASSERT_TRUE(band.Enter());
    // The robot's name is taken in the tower: the server's text, status 1.
    const auto run = testsupport::RunProgram(TOLMER_ROBOT_BINARY, RobotArgs({"--name", "Conductor"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Someone in that tower already uses that name. Please choose another."), std::string::npos)
        << run.err;
    // Under its own name it joins; the server goes away: status 1.
    ASSERT_TRUE(robot_.Start(TOLMER_ROBOT_BINARY, RobotArgs()));
    ASSERT_TRUE(band.WaitForRinger("Robot"));
    EXPECT_EQ(server_.Stop(), 0);
    EXPECT_EQ(robot_.Wait(5s), 1);
    EXPECT_NE(robot_.Err().find("connection to the server lost"), std::string::npos) << robot_.Err();
}

TEST_F(RobotTest, GreetsAnswersChatCommandsAndLeavesWhenAsked) {
    ASSERT_NO_FATAL_FAILURE(Gather(6, "135", "246", {"--method", "cambridge surprise"}));
    BandListener& listener = band_->Listener();
    // It arrived before the tower had bells: the method's stage comes with them.
    EXPECT_TRUE(listener.WaitUntil([](const robot_band::TowerLog& log) {
        return log.ChatFrom("Robot", "Robot ringer here; at Go I'll ring Cambridge Surprise.");
    }));
    auto answered = [&](const std::string& line, const std::string& answer) {
        band_->Conductor().Send(testsupport::msg::Chat("Conductor", line));
        return listener.WaitUntil([&](const robot_band::TowerLog& log) { return log.ChatFrom("Robot", answer); });
    };
    EXPECT_TRUE(answered("robot: method Kent Treble Bob Minor", "I'll ring Kent Treble Bob Minor at the next Go."));
    EXPECT_TRUE(answered("Robot: interval 250", "Interval 250 ms."));
    EXPECT_TRUE(answered("Robot: leave", "Goodbye."));
    EXPECT_TRUE(listener.WaitUntil([](const robot_band::TowerLog& log) {
        return std::find(log.left.begin(), log.left.end(), "Robot") != log.left.end();
    }));
    EXPECT_EQ(robot_.Wait(5s), 0);
}

}  // namespace
}  // namespace robotband
