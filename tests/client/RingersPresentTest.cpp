// Who is in the tower, driven through a real window by a scripted server:
// the ringer table, the rows of the ringers list and their order, and when
// the bells are laid out again.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// Sends the message, then a tower list entry that can never complete the
// list, and waits for that: by then the message has been handled.
void SendHandled(WindowUnderTest& w, const MessageBuffer& message) {
    static int fence = 0;
    const std::string marker = "fence " + std::to_string(++fence);
    w.Peer().Send(message);
    ASSERT_TRUE(w.SendAndWait(TowerListEntryMessage(-1, marker, ""),
                              [&] { return w.Window().towerList.count(marker) == 1; }));
}

// Leaves the buttons of every bell in use as a strike would: the number up.
void StrikeAllBells(TowerWindow& window) {
    for (BellSlot& slot : window.slots) {
        if (slot.bell == 0) continue;
        slot.stroke = 1;
        slot.upperButton->SetWindowText("struck");
    }
}

int StruckBells(TowerWindow& window) {
    int struck = 0;
    for (const BellSlot& slot : window.slots)
        struck += slot.bell != 0 && slot.stroke == 1 && slot.upperButton->GetWindowText() == "struck";
    return struck;
}

TEST(RingersPresent, RowsRunByTheLowestBellWithTheConductorMarked) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 12,
                           {{"Ben", "34"}, {"Ann", "12"}, {"Cy", ""}, {"Di", "0ET", true}}));
    EXPECT_EQ(Rows(w.Window()), (std::vector<std::string>{"Ann|12", "Ben|34", "Di|0ET (c)", "Cy|"}));
    EXPECT_EQ(w.Window().bellCount, 12);
    EXPECT_EQ(w.Window().currentTower, "St Mary");
}

TEST(RingersPresent, BellTenAfterBellNineAndTheBareConductorBeforeThoseWithoutBells) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Wes", 10,
                           {{"Wes", ""}, {"Zoe", "", true}, {"Xan", "0"}, {"Yul", "9"}, {"Abe", "1"}}));
    EXPECT_EQ(Rows(w.Window()), (std::vector<std::string>{"Abe|1", "Yul|9", "Xan|0", "Zoe| (c)", "Wes|"}));

    // A change of bells moves the row at once.
    SendHandled(w, RingerInfoMessage(10, "Zoe", "", false));
    SendHandled(w, RingerInfoMessage(10, "Abe", "E", false));
    std::vector<std::string> rows = Rows(w.Window());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(rows.begin(), rows.begin() + 3),
              (std::vector<std::string>{"Yul|9", "Xan|0", "Abe|E"}));
    // Equal texts tie; their order is the sort's.
    std::sort(rows.begin() + 3, rows.end());
    EXPECT_EQ(rows[3] + " " + rows[4], "Wes| Zoe|");
}

TEST(RingersPresent, ANewcomerWithoutBellsIsListedLastAndMovesNoBell) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "123"}, {"Ben", "456"}}));
    TowerWindow& window = w.Window();
    StrikeAllBells(window);

    SendHandled(w, RingerInfoMessage(8, "Abe", "", false));
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|123", "Ben|456", "Abe|"}));
    EXPECT_EQ(window.bellCount, 8);
    EXPECT_EQ(StruckBells(window), 6);

    // A known ringer's record always lays the bells out again, even unchanged.
    SendHandled(w, RingerInfoMessage(6, "Abe", "", false));
    EXPECT_EQ(StruckBells(window), 0);
    EXPECT_EQ(SlotOfBell(window, 1)->upperButton->GetWindowText(), "&K");

    // So does a newcomer who conducts without bells.
    StrikeAllBells(window);
    SendHandled(w, RingerInfoMessage(6, "Cy", "", true));
    EXPECT_EQ(StruckBells(window), 0);
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|123", "Ben|456", "Cy| (c)", "Abe|"}));
}

TEST(RingersPresent, ARingerLeavingRemovesTheRowAndMovesBellsOnlyIfTheyRang) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "123"}, {"Ben", "456"}, {"Cy", ""}, {"Di", ""}}));
    TowerWindow& window = w.Window();
    StrikeAllBells(window);

    SendHandled(w, RingerLeftMessage("Nobody"));
    EXPECT_EQ(Rows(window).size(), 4u);

    SendHandled(w, RingerLeftMessage("Cy"));
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|123", "Ben|456", "Di|"}));
    EXPECT_EQ(window.ringers.FindRinger("Cy"), nullptr);
    EXPECT_EQ(StruckBells(window), 6);

    SendHandled(w, RingerLeftMessage("Ben"));
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|123", "Di|"}));
    EXPECT_EQ(StruckBells(window), 0);
    // The bells keep the name of the ringer who rang them.
    EXPECT_EQ(SlotOfBell(window, 4)->ringerName, "Ben");
}

TEST(RingersPresent, EnteringATowerEmptiesTableAndListButKeepsCountingIds) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "123"}, {"Ben", "456"}}));
    TowerWindow& window = w.Window();
    const std::int32_t lastId = window.ringers.lastItemId;

    SendHandled(w, TowerEnteredMessage("Barn"));
    EXPECT_EQ(window.currentTower, "Barn");
    EXPECT_TRUE(window.ringers.ringers.empty());
    EXPECT_EQ(window.bellCount, 0);
    EXPECT_TRUE(Rows(window).empty());
    // The buttons stay until the next layout.
    EXPECT_NE(SlotOfBell(window, 6), nullptr);
    EXPECT_TRUE(SlotOfBell(window, 6)->lowerButton->IsWindowVisible());

    SendHandled(w, RingerInfoMessage(4, "Ben", "12", false));
    SendHandled(w, RingerInfoMessage(4, "Ann", "34", false));
    EXPECT_EQ(window.ringers.FindRinger("Ben")->itemId, lastId + 1);
    EXPECT_EQ(window.ringers.FindRinger("Ann")->itemId, lastId + 2);
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ben|12", "Ann|34"}));
    EXPECT_EQ(SlotOfBell(window, 5), nullptr);
}

TEST(RingersPresent, TheUsersOwnRecordMadeBeforeTheServerNamedTheUserGetsItsRow) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ben", "456"}}));
    TowerWindow& window = w.Window();
    // Ben's bells were laid out, which looked up the user's own bells.
    const Ringer* own = window.ringers.FindRinger("Ann");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->itemId, 0);
    EXPECT_EQ(Rows(window), std::vector<std::string>{"Ben|456"});

    SendHandled(w, RingerInfoMessage(6, "Ann", "123", false));
    own = window.ringers.FindRinger("Ann");
    EXPECT_EQ(own->name, "Ann");
    EXPECT_EQ(own->itemId, window.ringers.lastItemId);
    EXPECT_EQ(own->itemId, window.ringers.FindRinger("Ben")->itemId + 1);
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|123", "Ben|456"}));
    EXPECT_EQ(SlotOfBell(window, 1)->upperButton->GetWindowText(), "&K");

    // From then on the row is updated in place.
    SendHandled(w, RingerInfoMessage(6, "Ann", "", true));
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ben|456", "Ann| (c)"}));
}

TEST(RingersPresent, RowsAreFoundByTheRingersIdNotByTheirText) {
    WindowUnderTest w;
    const std::string latin1 = "Jos\xE9";  // shown with a replacement character
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}, {latin1, "3"}, {"ann", "4"}}));
    TowerWindow& window = w.Window();
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|12", "Jos\xEF\xBF\xBD|3", "ann|4"}));

    SendHandled(w, RingerInfoMessage(6, latin1, "56", false));
    SendHandled(w, RingerInfoMessage(6, "ann", "", false));
    EXPECT_EQ(Rows(window), (std::vector<std::string>{"Ann|12", "Jos\xEF\xBF\xBD|56", "ann|"}));
    EXPECT_EQ(window.FindRingerRow(window.ringers.FindRinger(latin1)->itemId), 1);
    EXPECT_EQ(window.FindRingerRow(window.ringers.lastItemId + 1), -1);
    EXPECT_EQ(SlotOfBell(window, 5)->ringerName, latin1);
}

}  // namespace
