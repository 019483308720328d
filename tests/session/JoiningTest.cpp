// From the connection to a tower: the tower list that answers Hello and
// entering the tower; and the boxes about the server's messages: one at a
// time, no repeats, a bound on those waiting.
#include "app/ReportQueue.h"
#include "tests/session/SessionFixture.h"

namespace {

using testsupport::SessionTest;

TEST_F(SessionTest, HelloAsksForTheListWhichEndsWhenItHoldsAsManyTowersAsAnnounced) {
    session.towerList["Old"] = "from before";
    session.OnConnected();
    ASSERT_EQ(sent.messages.size(), 1u);
    EXPECT_EQ(sent.messages[0].Bytes(), std::string_view("\x06\x00\x01\x00\x01\x00", 6));
    EXPECT_TRUE(session.towerList.empty());
    // No towers: one entry, count 0, no name.
    EXPECT_TRUE(session.OnTowerListEntry({0, "", ""}));
    EXPECT_TRUE(session.towerList.empty());
    EXPECT_FALSE(session.OnTowerListEntry({4, "b", "third"}));
    EXPECT_FALSE(session.OnTowerListEntry({4, "C", "second"}));
    EXPECT_FALSE(session.OnTowerListEntry({4, "C", "again"}));  // a repeat replaces and does not count
    EXPECT_FALSE(session.OnTowerListEntry({4, "\xe9", "fourth"}));
    EXPECT_TRUE(session.OnTowerListEntry({4, "A", "first"}));
    std::string names;
    for (const auto& [name, description] : session.towerList) names += name + ":" + description + " ";
    EXPECT_EQ(names, "A:first C:again b:third \xe9:fourth ");  // unsigned byte order: upper case first
    // A count above 32767 is negative on the wire and never matches.
    EXPECT_FALSE(session.OnTowerListEntry({static_cast<std::int16_t>(40000), "B", ""}));
}

TEST_F(SessionTest, EnteringATowerEmptiesTheTableButItemIdsKeepCounting) {
    Enter("Ann", 6, {{"Ann", "12"}, {"Ben", "34"}});
    session.OnTowerEntered({"All Saints"});
    EXPECT_EQ(session.currentTower, "All Saints");
    EXPECT_TRUE(session.ringers.ringers.empty());
    EXPECT_EQ(session.bellCount, 0);
    // Not laid out again until a record comes: the bells stay where they were.
    EXPECT_NE(SlotOf(1), nullptr);
    EXPECT_EQ(Info(6, "Ann", "1").itemId, 3);
}

TEST(ReportQueue, OneBoxAtATimeTheRestWaitInOrderWithoutRepeatsUpToTheBound) {
    ReportQueue reports;
    ASSERT_TRUE(reports.Add({"type 11", false}));
    EXPECT_EQ(reports.Next().value().text, "type 11");
    // While it shows, others wait; the same text again is dropped.
    EXPECT_FALSE(reports.Add({"type 11", false}));
    EXPECT_TRUE(reports.Add({"Tower full", true}));
    EXPECT_FALSE(reports.Add({"Tower full", true}));
    EXPECT_FALSE(reports.Next());
    for (int i = 1; i < static_cast<int>(ReportQueue::kMaxWaiting); ++i)
        EXPECT_TRUE(reports.Add({"notice " + std::to_string(i), true}));
    EXPECT_FALSE(reports.Add({"one too many", false}));

    reports.Closed();
    const Report second = reports.Next().value();
    EXPECT_EQ(second.text, "Tower full");
    EXPECT_TRUE(second.offerTowers);
    EXPECT_TRUE(reports.Add({"type 11", false}));  // shown and closed: it may come again
}

}  // namespace
