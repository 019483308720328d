// A real server on a free loopback port, the real robot in its tower and a
// scripted band around it.
#pragma once

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "bench/robot/ScriptedBand.h"
#include "tests/support/ServerProcess.h"

namespace robotband {

using robot_band::BandEvent;
using robot_band::BandListener;
using robot_band::BandPlan;
using robot_band::ScriptedBand;

inline constexpr const char* kTower = "St Mary";

class RobotTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Start(TOLMER_SERVER_BINARY)) << server_.Error(); }

    void TearDown() override {
        if (!HasFailure()) return;
        std::cerr << "robot's output:\n" << robot_.Out() << "robot's errors:\n" << robot_.Err();
        std::cerr << "server log:\n" << server_.Log();
    }

    // The robot's command line for the test server and tower, and `extra`.
    std::vector<std::string> RobotArgs(const std::vector<std::string>& extra = {}) const {
        std::vector<std::string> args = {"--server", "127.0.0.1", "--port", std::to_string(server_.Port()),
                                         "--tower",  kTower};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    // The conductor starts the tower, the robot joins it, and the conductor
    // gives the people's bells to themself and the robot's to the robot.
    // Fatal on failure: call through ASSERT_NO_FATAL_FAILURE.
    void Gather(int bells, const std::string& people, const std::string& robotBells,
                const std::vector<std::string>& robotArgs = {}) {
        band_.emplace(server_.Port(), kTower);
        ASSERT_TRUE(band_->Enter()) << "the band could not enter";
        ASSERT_TRUE(robot_.Start(TOLMER_ROBOT_BINARY, RobotArgs(robotArgs)));
        ASSERT_TRUE(band_->WaitForRinger("Robot")) << "the robot did not arrive";
        ASSERT_TRUE(band_->Allocate(bells, people, "Robot", robotBells)) << "the allocation did not come back";
    }

    testsupport::ServerProcess server_;
    testsupport::ProgramProcess robot_;
    std::optional<ScriptedBand> band_;
};

}  // namespace robotband
