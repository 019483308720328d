// The ringers present: what each RingerInfo and RingerLeft changes, who may
// allocate, call and chat, whose bell is whose, and each ringer's ping
// statistics over the last 100 reported.
#include "ringing/PingStats.h"
#include "tests/session/SessionFixture.h"

namespace {

using testsupport::SessionTest;

// What a record changed: "Added #3, laid out".
std::string Said(const RingerChange& change) {
    static const char* const kRows[] = {"None", "Added", "Updated", "Removed"};
    return kRows[static_cast<int>(change.row)] + (" #" + std::to_string(change.itemId)) +
           (change.laidOut ? ", laid out" : "");
}

TEST_F(SessionTest, RecordsAddAndUpdateRowsAndOnlyThoseWhoRingOrConductMoveBells) {
    Enter("Ann", 6, {});
    EXPECT_EQ(Said(Info(6, "Ben", "34")), "Added #1, laid out");
    EXPECT_EQ(SlotOf(3)->ringerName, "Ben");
    EXPECT_EQ(Said(Info(8, "Cy", "")), "Added #2");
    EXPECT_EQ(session.bellCount, 8);  // taken, though nothing moved
    EXPECT_EQ(SlotOf(7), nullptr);
    EXPECT_EQ(Said(Info(8, "Di", "", true)), "Added #3, laid out");  // a conductor may change who calls
    // The user's own record, made before the server named the user, gets its row.
    session.LayOutBells();  // asks for the user's bells: an empty record without a row
    EXPECT_EQ(session.ringers.FindRinger("Ann")->itemId, 0);
    EXPECT_EQ(Said(Info(8, "Ann", "2")), "Added #4, laid out");

    // An update rewrites the record, keeps its statistics and always lays out.
    session.ringers.FindRinger("Cy")->pings.Record(40);
    EXPECT_EQ(Said(Info(8, "Cy", "")), "Updated #2, laid out");
    const RingerChange moved = Info(8, "Ben", "56", true);
    EXPECT_EQ(moved.ringer->bells + (moved.ringer->conductor ? " (c)" : ""), "56 (c)");
    EXPECT_EQ(session.ringers.FindRinger("Cy")->pings.Count(), 1u);
    EXPECT_EQ(SlotOf(5)->ringerName, "Ben");
}

TEST_F(SessionTest, ALeavingRingerTakesTheRowAndMovesBellsOnlyIfTheyRangOrConducted) {
    Enter("Ann", 6, {{"Ben", "12"}, {"Cy", ""}, {"Di", ""}});
    Info(6, "Di", "", true);
    EXPECT_EQ(Said(session.OnRingerLeft({"Nobody"})), "None #0");
    EXPECT_EQ(Said(session.OnRingerLeft({"Cy"})), "Removed #2");
    EXPECT_EQ(Said(session.OnRingerLeft({"Di"})), "Removed #3, laid out");
    EXPECT_EQ(Said(session.OnRingerLeft({"Ben"})), "Removed #1, laid out");
    EXPECT_EQ(session.ringers.FindRinger("Ben"), nullptr);
    // The slots keep the departed name; a ping credited to it is dropped.
    EXPECT_EQ(SlotOf(1)->ringerName, "Ben");
    EXPECT_EQ(Relay(1, 1, 0, 50).pinged, nullptr);
}

TEST_F(SessionTest, OnlyTheConductorOrEverybodyWhileNobodyConductsMayAllocateAndCallAndChatIsInTheUsersName) {
    EXPECT_TRUE(session.LayOutBells().conductorControls);  // an empty table
    Enter("Ann", 6, {{"Ann", "12"}, {"Ben", "34"}});
    EXPECT_TRUE(session.Layout().conductorControls);
    EXPECT_FALSE(session.SendCall("Go"));  // visible, but nobody conducts yet
    Info(6, "Ben", "34", true);
    EXPECT_FALSE(session.Layout().conductorControls);
    EXPECT_FALSE(session.SendCall("Go"));
    Info(6, "Ann", "12", true);  // two conductors: either may
    EXPECT_TRUE(session.Layout().conductorControls);
    EXPECT_FALSE(session.SendCall(""));
    EXPECT_FALSE(session.SendChat(""));
    EXPECT_TRUE(session.SendCall("Bob"));
    EXPECT_TRUE(session.SendChat("hello"));
    ASSERT_EQ(sent.messages.size(), 2u);
    EXPECT_EQ(*wire::ReadCall(sent.messages[0].Bytes()), (wire::Call{"Bob"}));
    EXPECT_EQ(*wire::ReadChat(sent.messages[1].Bytes()), (wire::Chat{"Ann", "hello"}));
}

std::vector<int> operator+(std::vector<int> first, const std::vector<int>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

TEST(PingStats, ShowMinimumAverageRmsAndMaximumOfTheLastHundredWithTheAgesOfTheExtremes) {
    const std::vector<std::pair<std::vector<int>, const char*>> cases = {
        {{}, ""},
        {{57}, "57 (0) 57 57 57 (0)"},
        {{100, 200, 300}, "100 (2) 200 216 300 (0)"},
        {{100, 300, 200, 300, 100}, "100 (0) 200 219 300 (1)"},  // the newest of equal extremes
        // The 101st sample drops the oldest; an extreme dropped is sought
        // again, the newest of equals; others keep their ages.
        {std::vector{1000, 199} + std::vector(99, 150), "150 (0) 150 150 199 (99)"},
        {std::vector{1, 300, 300} + std::vector(98, 100), "100 (0) 104 107 300 (98)"},
        {std::vector{50, 10, 90} + std::vector(98, 50), "10 (99) 50 50 90 (98)"},
        // The sums wrap at 32 bits (100 * 32766^2 shows as it is) and come
        // back as samples leave.
        {std::vector(100, 32766), "32766 (0) 32766 6543 32766 (0)"},
        {std::vector(100, 32766) + std::vector(100, 10), "10 (0) 10 10 10 (0)"},
    };
    for (const auto& [samples, shown] : cases) {
        PingStats stats;
        for (const int sample : samples) stats.Record(static_cast<std::int16_t>(sample));
        EXPECT_EQ(stats.ColumnText(), shown) << samples.size() << " samples";
    }
    EXPECT_EQ(IntegerSqrt(4294967295u), 65535u);
}

}  // namespace
