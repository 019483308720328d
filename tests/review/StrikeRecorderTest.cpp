// The recorder cuts what the session hears into touches at silences of more
// than three seconds and keeps the latest five.
#include <gtest/gtest.h>

#include "review/StrikeRecorder.h"

namespace {

using namespace std::chrono;

TEST(StrikeRecorder, TouchesSplitAtSilencesAndTheLatestFiveAreKept) {
    int touchesStarted = 0;
    StrikeRecorder recorder([&] { return system_clock::time_point(hours(++touchesStarted)); });
    steady_clock::time_point now{seconds(100)};
    auto hear = [&](milliseconds after, int bell, int stroke, std::string_view ringer) {
        now += after;
        recorder.OnStrike(HeardStrike{bell, stroke, ringer, now});
    };
    hear(0ms, 1, 1, "Ann");
    hear(200ms, 2, 1, "Ben");
    hear(3000ms, 1, 0, "Ann");  // three seconds exactly: the same touch
    hear(3001ms, 2, 0, "");     // a longer silence: a new one, from a bell nobody rings
    const auto touches = recorder.Touches();
    ASSERT_EQ(touches.size(), 2u);
    const Touch& first = *touches[0];
    ASSERT_EQ(first.blows.size(), 3u);
    EXPECT_EQ(first.ringers, (std::vector<std::string>{"Ann", "Ben"}));
    EXPECT_EQ(std::tie(first.blows[2].ringer, first.blows[2].bell, first.blows[2].stroke), std::tuple(0, 1, 0));
    EXPECT_DOUBLE_EQ(first.MsSinceStart(first.blows[2]), 3200);
    EXPECT_EQ(first.startedAt, system_clock::time_point(hours(1)));
    EXPECT_EQ(touches[1]->ringers, (std::vector<std::string>{""}));
    EXPECT_TRUE(recorder.Ringing(now + 3s));
    EXPECT_FALSE(recorder.Ringing(now + 3001ms));

    for (int more = 0; more < 5; ++more) hear(4s, 3, more % 2, "Cy");
    const auto kept = recorder.Touches();
    ASSERT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept.front()->startedAt, system_clock::time_point(hours(3)));
    EXPECT_EQ(kept.back()->startedAt, system_clock::time_point(hours(7)));
    EXPECT_EQ(kept.back()->ringers, (std::vector<std::string>{"Cy"}));
}

}  // namespace
