// A short run of tolmer-load against the real tower server: every strike of
// every ringer reaches every ringer of its tower, once and in order, from
// several source addresses, and link delays and a balancing server show in
// its figures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/ServerProcess.h"

namespace {

// The number after "key": in the JSON line tolmer-load prints last; -1 when missing.
double JsonNumber(const std::string& json, const std::string& key) {
    const auto at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -1 : std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

TEST(LoadSmoke, EveryStrikeReachesEveryRingerOfItsTowerThroughItsLinkDelays) {
    // Five connections per address: twenty ringers get in only when spread
    // over four. Holds reach their aim within a second, rather than growing 2 ms a second.
    testsupport::ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY,
                             {"--max-per-address", "5", "--balance-max-ms", "200", "--balance-drift-ms", "1000"}))
        << server.Error();
    std::vector<std::string> args{"--port", std::to_string(server.Port()), "--server-pid",
                                  std::to_string(server.Pid())};
    std::istringstream more(
        "--sources 4 --towers 4 --ringers 5 --link 2,2 --link 20,20 --rate 4 --duration 4 "
        "--settle 2 --drain 2 --setup-timeout 20");
    for (std::string arg; more >> arg;) args.push_back(arg);
    const auto run = testsupport::RunProgram(TOLMER_LOAD_BINARY, args, std::chrono::seconds(60));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err << server.Log();

    const std::string json = run.out.substr(run.out.rfind("\n{") + 1);
    const double strikes = JsonNumber(json, "strikes");
    EXPECT_GT(strikes, 160) << json;  // 20 ringers at 4 a second for 4 seconds, give or take the jitter
    EXPECT_EQ(JsonNumber(json, "expected"), strikes * 5) << json;
    EXPECT_EQ(JsonNumber(json, "delivered"), strikes * 5) << json;
    EXPECT_EQ(JsonNumber(json, "lost"), 0) << json;
    for (const char* address : {"127.0.0.2:", "127.0.0.3:", "127.0.0.4:"})
        EXPECT_NE(server.Log().find(std::string("connected from ") + address), std::string::npos) << address;
    // The server's figures come from /proc by its pid.
    EXPECT_GT(JsonNumber(json, "server_peak_rss_kib"), 0) << json;
    // Links bring nothing sooner than their delay: the ringers on the 40 ms
    // link hear their own strikes no sooner, and so, once held, do those on
    // the 4 ms link.
    EXPECT_GE(JsonNumber(json, "delay_ms"), 40) << json;
    std::istringstream medians(json.substr(json.find("\"own_median_ms\":[") + 17));
    int ringers = 0;
    for (double median = 0; medians >> median; medians.ignore(), ++ringers)
        EXPECT_GE(median, 40) << "ringer " << ringers << ": " << json;
    EXPECT_EQ(ringers, 5) << json;
    EXPECT_EQ(server.Stop(), 0) << server.Log();
}

}  // namespace
