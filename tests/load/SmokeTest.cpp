// A short run of tolmer-load against the real tower server: every strike of
// every ringer reaches every ringer of its tower, once and in order.
#include <gtest/gtest.h>

#include <string>

#include "tests/load/LoadJson.h"
#include "tests/support/ServerProcess.h"

namespace {

TEST(LoadSmoke, EveryStrikeReachesEveryRingerOfItsTower) {
    testsupport::ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY, {"--quiet"})) << server.Error();

    const auto run =
        testsupport::RunProgram(TOLMER_LOAD_BINARY,
                                {"--port", std::to_string(server.Port()), "--server-pid", std::to_string(server.Pid()),
                                 "--towers", "4", "--ringers", "5", "--rate", "4", "--duration", "2", "--drain", "2"},
                                std::chrono::seconds(60));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err << server.Log();

    const auto json = loadtest::JsonLine(run.out);
    const double strikes = loadtest::JsonNumber(json, "strikes");
    EXPECT_GT(strikes, 80) << json;  // 20 ringers at 4 a second for 2 seconds, give or take the jitter
    EXPECT_EQ(loadtest::JsonNumber(json, "expected"), strikes * 5) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "delivered"), strikes * 5) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "lost"), 0) << json;
    // The server's figures come from /proc by its pid.
    EXPECT_GE(loadtest::JsonNumber(json, "server_cpu_s"), 0) << json;
    EXPECT_GT(loadtest::JsonNumber(json, "server_peak_rss_kib"), 0) << json;
    EXPECT_EQ(server.Stop(), 0) << server.Log();
}

}  // namespace
