// Round-trip statistics with the real server: each client reports its own
// pings with its strikes, and every client shows them in the striker's row.
#include <gtest/gtest.h>

#if defined(TOLMER_HAVE_SERVER) && defined(TOLMER_SERVER_BINARY)

#include <regex>

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"
#include "tests/support/ServerProcess.h"

using namespace testsupport;

namespace {

TEST(PingEndToEnd, RingingBetweenTwoClientsFillsBothClientsPingColumns) {
    ServerProcess server;
    ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();
    DialogScript script;
    MessageBoxRecorder boxes;
    std::unique_ptr<TowerWindow> ann = EnterRealTower(server.Port(), script, "Ann", "St Mary");
    ASSERT_NE(ann, nullptr);
    std::unique_ptr<TowerWindow> ben = EnterRealTower(server.Port(), script, "Ben", "St Mary");
    ASSERT_NE(ben, nullptr);
    ASSERT_TRUE(platform::PumpUntil([&] { return ann->ringers.FindRinger("Ben") != nullptr; }, 5000));
    ASSERT_TRUE(AllocateBells(*ann, script, {"Ann", "Ben"}));
    const std::vector<TowerWindow*> both = {ann.get(), ben.get()};
    ASSERT_TRUE(platform::PumpUntil([&] { return SlotOfBell(*ben, 2) && SlotOfBell(*ben, 2)->ringerName == "Ben"; },
                                    5000));

    constexpr int kStrikes = 4;
    for (int strike = 0; strike < kStrikes; ++strike) {
        ASSERT_TRUE(RingAndWait(*ann, 1, both));
        ASSERT_TRUE(RingAndWait(*ben, 2, both));
    }

    // A ringer's first strike has nothing to report; each later one carries
    // the ping of the one before.
    const std::regex column(R"(\d+ \(\d+\) \d+ \d+ \d+ \(\d+\))");
    for (const std::string ringer : {"Ann", "Ben"}) {
        SCOPED_TRACE(ringer);
        for (TowerWindow* window : both) {
            EXPECT_EQ(window->ringers.FindRinger(ringer)->pings.samples.size(), static_cast<std::size_t>(kStrikes - 1));
            EXPECT_TRUE(std::regex_match(RingerCell(*window, ringer, 2), column)) << RingerCell(*window, ringer, 2);
        }
        // Both windows heard the same strikes.
        EXPECT_EQ(RingerCell(*ann, ringer, 2), RingerCell(*ben, ringer, 2));
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace

#endif
