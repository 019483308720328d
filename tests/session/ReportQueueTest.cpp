// The boxes about the server's messages: one at a time, no repeats, a bound
// on those waiting.
#include <gtest/gtest.h>

#include "app/ReportQueue.h"

namespace {

TEST(ReportQueue, OneBoxAtATimeTheRestWaitInOrderWithoutRepeatsUpToTheBound) {
    ReportQueue reports;
    ASSERT_TRUE(reports.Add({"type 11", false}));
    const auto first = reports.Next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "type 11");
    // While it shows, others wait; the same text again is dropped.
    EXPECT_FALSE(reports.Add({"type 11", false}));
    EXPECT_TRUE(reports.Add({"Tower full", true}));
    EXPECT_FALSE(reports.Add({"Tower full", true}));
    EXPECT_FALSE(reports.Next());
    for (int i = 1; i < static_cast<int>(ReportQueue::kMaxWaiting); ++i)
        EXPECT_TRUE(reports.Add({"notice " + std::to_string(i), true}));
    EXPECT_FALSE(reports.Add({"one too many", false}));

    reports.Closed();
    const auto second = reports.Next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->text, "Tower full");
    EXPECT_TRUE(second->offerTowers);
    EXPECT_TRUE(reports.Add({"type 11", false}));  // shown and closed: it may come again
}

}  // namespace
