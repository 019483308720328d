// The ringers present: what each RingerInfo and RingerLeft changes, the
// order of the rows, who may allocate and call, and whose bell is whose.
#include <algorithm>

#include "lobby/ChatLog.h"
#include "lobby/RingerOrder.h"
#include "tests/session/SessionFixture.h"

namespace {

using Row = RingerChange::Row;
using testsupport::SessionTest;

TEST_F(SessionTest, NewcomersGetARowAndOnlyThoseWhoRingOrConductMoveBells) {
    Enter("Ann", 6, {});
    const RingerChange ben = Info(6, "Ben", "34");
    EXPECT_EQ(ben.row, Row::Added);
    EXPECT_EQ(ben.ringer->name, "Ben");
    EXPECT_TRUE(ben.laidOut);
    EXPECT_TRUE(ben.sortRows);
    EXPECT_EQ(SlotOf(3)->ringerName, "Ben");

    const RingerChange cy = Info(8, "Cy", "");
    EXPECT_EQ(cy.row, Row::Added);
    EXPECT_EQ(cy.itemId, ben.itemId + 1);
    EXPECT_FALSE(cy.laidOut);
    EXPECT_TRUE(cy.sortRows);
    EXPECT_EQ(session.bellCount, 8);  // taken, though nothing moved
    EXPECT_EQ(SlotOf(7), nullptr);

    const RingerChange di = Info(8, "Di", "", true);
    EXPECT_TRUE(di.laidOut);  // a conductor may change who calls

    // The user's own record, made before the server named the user, gets its row.
    session.LayOutBells();  // asks for the user's bells: an empty record without a row
    EXPECT_EQ(session.ringers.FindRinger("Ann")->itemId, 0);
    const RingerChange own = Info(8, "Ann", "2");
    EXPECT_EQ(own.row, Row::Added);
    EXPECT_EQ(own.itemId, di.itemId + 1);
}

TEST_F(SessionTest, AnUpdateRewritesTheRecordKeepsItsStatisticsAndAlwaysLaysOut) {
    Enter("Ann", 6, {{"Ben", "34"}});
    session.ringers.FindRinger("Ben")->pings.Record(40);
    const RingerChange same = Info(6, "Ben", "34");
    EXPECT_EQ(same.row, Row::Updated);
    EXPECT_TRUE(same.laidOut);
    EXPECT_EQ(same.ringer->pings.Count(), 1u);

    const RingerChange moved = Info(6, "Ben", "56", true);
    EXPECT_EQ(moved.ringer->bells, "56");
    EXPECT_TRUE(moved.ringer->conductor);
    // The slots of the new bells name Ben; the old ones keep the name.
    EXPECT_EQ(SlotOf(5)->ringerName, "Ben");
    EXPECT_EQ(SlotOf(3)->ringerName, "Ben");
}

TEST_F(SessionTest, ALeavingRingerTakesTheRowAndMovesBellsOnlyIfTheyRangOrConducted) {
    Enter("Ann", 6, {{"Ben", "12"}, {"Cy", ""}, {"Di", ""}});
    Info(6, "Di", "", true);
    const std::int32_t cyId = session.ringers.FindRinger("Cy")->itemId;
    EXPECT_EQ(session.OnRingerLeft({"Nobody"}).row, Row::None);

    const RingerChange cy = session.OnRingerLeft({"Cy"});
    EXPECT_EQ(cy.row, Row::Removed);
    EXPECT_EQ(cy.itemId, cyId);
    EXPECT_FALSE(cy.laidOut);
    EXPECT_FALSE(cy.sortRows);
    EXPECT_TRUE(session.OnRingerLeft({"Di"}).laidOut);
    EXPECT_TRUE(session.OnRingerLeft({"Ben"}).laidOut);
    EXPECT_EQ(session.ringers.FindRinger("Ben"), nullptr);
    // The slots keep the departed name; a ping credited to it is dropped.
    EXPECT_EQ(SlotOf(1)->ringerName, "Ben");
    EXPECT_EQ(Relay(1, 1, 0, 50).pinged, nullptr);
}

TEST(RingerOrder, RowsRunByTheLowestBellWithTheConductorAfterBellsAndTheIdleLast) {
    std::vector<std::string> rows = {"34", "12", "", "0ET (c)", " (c)", "9", "0", "123"};
    std::stable_sort(rows.begin(), rows.end(),
                     [](const std::string& a, const std::string& b) { return CompareBellsColumnTexts(a, b) < 0; });
    EXPECT_EQ(rows, (std::vector<std::string>{"12", "123", "34", "9", "0", "0ET (c)", " (c)", ""}));
    EXPECT_EQ(CompareBellsColumnTexts("12", "12"), 0);
    EXPECT_EQ(BellsColumnText("12", true), "12 (c)");
}

TEST(RingerTable, NamesCompareByUnsignedBytesAndTwoLetterCasesAreTwoRingers) {
    EXPECT_LT(CompareNames("Zed", "ann"), 0);
    EXPECT_LT(CompareNames("Ann", "Anne"), 0);
    EXPECT_GT(CompareNames("\xe9", "z"), 0);  // bytes are unsigned
    RingerTable table;
    table.AddRinger("ann", "", false);
    table.AddRinger("Ann", "", false);
    EXPECT_EQ(table.ringers.begin()->first, "Ann");
    EXPECT_EQ(table.ringers.size(), 2u);
    // The record made for a name not yet present has no name of its own.
    Ringer& made = table.RingerFor("Cy");
    EXPECT_EQ(made.name, "");
    EXPECT_EQ(&table.RingerFor("Cy"), &made);
}

TEST_F(SessionTest, OnlyTheConductorOrEverybodyWhileNobodyConductsMayAllocateAndCall) {
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
    EXPECT_TRUE(session.SendCall("Bob"));
    ASSERT_EQ(sent.messages.size(), 1u);
    EXPECT_EQ(*wire::ReadCall(sent.messages[0].Bytes()), (wire::Call{"Bob"}));
}

TEST_F(SessionTest, ChatLinesGoOutInTheUsersNameAndListenersHearChatAndCalls) {
    testsupport::Ear ear;
    EXPECT_TRUE(session.SendChat("before a name"));
    EXPECT_FALSE(session.SendChat(""));
    session.JoinTower("St Mary", "Ann");
    EXPECT_TRUE(session.SendChat(std::string(300, 'x')));
    EXPECT_EQ(*wire::ReadChat(sent.messages[0].Bytes()), (wire::Chat{"", "before a name"}));
    EXPECT_EQ(*wire::ReadChat(sent.messages[2].Bytes()), (wire::Chat{"Ann", std::string(240, 'x')}));

    session.AddListener(ear);
    session.OnChat({"Ben", "hello"});
    session.OnCall({"Go"});
    session.RemoveListener(ear);
    session.OnCall({"Stand"});
    EXPECT_EQ(ear.heard, (std::vector<std::string>{"Ben: hello", "call Go"}));
}

TEST(ChatLog, TheNewestLineGoesOnTopAndTheOldestTextIsCutAt4000Bytes) {
    EXPECT_EQ(PrependChatLine("", "Ann", "Hello"), "Ann: Hello\r\n");
    EXPECT_EQ(PrependChatLine("Ann: Hello\r\n", "Ben", "Hi"), "Ben: Hi\r\nAnn: Hello\r\n");
    const std::string shown = PrependChatLine(std::string(3990, 'o'), "Ann", std::string(22, 'x'));
    EXPECT_EQ(shown.size(), 4000u);
    EXPECT_EQ(shown.substr(0, 30), "Ann: " + std::string(22, 'x') + "\r\n" + "o");
}

}  // namespace
