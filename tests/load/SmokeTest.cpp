// Short runs of tolmer-load against the real tower server: every strike of
// every ringer reaches every ringer of its tower, once and in order, and
// link delays and a balancing server show in its figures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/load/LoadJson.h"
#include "tests/support/ServerProcess.h"

namespace {

TEST(LoadSmoke, EveryStrikeReachesEveryRingerOfItsTowerThroughItsLinkDelays) {
    // A balancing server whose holds reach their aim within a second, rather
    // than growing 2 ms a second.
    testsupport::ServerProcess server;
    ASSERT_TRUE(
        server.Start(TOLMER_SERVER_BINARY, {"--quiet", "--balance-max-ms", "200", "--balance-drift-ms", "1000"}))
        << server.Error();

    const auto run = testsupport::RunProgram(TOLMER_LOAD_BINARY, {"--port",       std::to_string(server.Port()),
                                                                  "--server-pid", std::to_string(server.Pid()),
                                                                  "--towers",     "4",
                                                                  "--ringers",    "5",
                                                                  "--link",       "2,2",
                                                                  "--link",       "20,20",
                                                                  "--rate",       "4",
                                                                  "--duration",   "4",
                                                                  "--settle",     "2",
                                                                  "--drain",      "2"},
                                             std::chrono::seconds(60));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err << server.Log();

    const auto json = loadtest::JsonLine(run.out);
    const double strikes = loadtest::JsonNumber(json, "strikes");
    EXPECT_GT(strikes, 160) << json;  // 20 ringers at 4 a second for 4 seconds, give or take the jitter
    EXPECT_EQ(loadtest::JsonNumber(json, "expected"), strikes * 5) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "delivered"), strikes * 5) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "lost"), 0) << json;
    // The server's figures come from /proc by its pid.
    EXPECT_GE(loadtest::JsonNumber(json, "server_cpu_s"), 0) << json;
    EXPECT_GT(loadtest::JsonNumber(json, "server_peak_rss_kib"), 0) << json;
    // Links bring nothing sooner than their delay: the ringers on the 40 ms
    // link hear their own strikes no sooner, and so, once held, do those on
    // the 4 ms link.
    EXPECT_GE(loadtest::JsonNumber(json, "delay_ms"), 40) << json;
    const auto medians = json.find("\"own_median_ms\":[");
    ASSERT_NE(medians, std::string::npos) << json;
    const char* at = json.c_str() + medians + 17;
    for (int ringer = 0; ringer < 5; ++ringer) {
        char* end = nullptr;
        EXPECT_GE(std::strtod(at, &end), 40) << "ringer " << ringer << ": " << json;
        at = end + 1;  // past the comma
    }
    EXPECT_EQ(server.Stop(), 0) << server.Log();
}

TEST(LoadSmoke, SourceAddressesSpreadTheRingersOverSeveralAddresses) {
    // Five connections per address: twenty ringers get in only when spread over four.
    testsupport::ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY, {"--max-per-address", "5"})) << server.Error();
    const std::vector<std::string> args{"--port",          std::to_string(server.Port()),
                                        "--towers",        "4",
                                        "--ringers",       "5",
                                        "--rate",          "2",
                                        "--duration",      "1",
                                        "--drain",         "2",
                                        "--setup-timeout", "20"};
    auto spread = args;
    spread.insert(spread.end(), {"--sources", "4"});
    const auto run = testsupport::RunProgram(TOLMER_LOAD_BINARY, spread, std::chrono::seconds(60));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err << server.Log();
    const auto json = loadtest::JsonLine(run.out);
    EXPECT_EQ(loadtest::JsonNumber(json, "sources"), 4) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "lost"), 0) << json;
    for (const char* address : {"127.0.0.2:", "127.0.0.3:", "127.0.0.4:"})
        EXPECT_NE(server.Log().find(std::string("connected from ") + address), std::string::npos) << address;

    // From one address, the sixth ringer is turned away and the run cannot be made.
    const auto crowded = testsupport::RunProgram(TOLMER_LOAD_BINARY, args, std::chrono::seconds(60));
    EXPECT_EQ(crowded.exitCode, 2) << crowded.out;
    EXPECT_NE(crowded.err.find("Too many connections from your address"), std::string::npos) << crowded.err;
    EXPECT_EQ(server.Stop(), 0) << server.Log();
}

}  // namespace
