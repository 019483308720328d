// Round-trip statistics through the window: pings reported with strikes end
// up in the striker's row of the ringers list.
#include <gtest/gtest.h>

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

class PingColumn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}, {"Ben", "1256"}, {"Cy", ""}}));
    }
    TowerWindow& Window() { return w.Window(); }
    // A strike of the bell that moves it, carrying the striker's ping.
    void Ring(int bell, int ping) {
        BellSlot* slot = SlotOfBell(Window(), bell);
        ASSERT_NE(slot, nullptr);
        const int stroke = slot->stroke == 0 ? 1 : 0;
        ASSERT_TRUE(w.SendAndWait(StrikeMessage(bell, stroke, 0, ping), [&] { return slot->stroke == stroke; }));
    }

    WindowUnderTest w;
};

TEST_F(PingColumn, PingsReportedWithStrikesFillTheStrikersRow) {
    Ring(1, 100);
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "100 (0) 100 100 100 (0)");
    Ring(2, 200);  // another of Ben's bells: the same statistics
    Ring(1, 300);
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "100 (2) 200 216 300 (0)");

    // The row is found by its ringer, wherever the sort has put it: Ben's
    // lowest bell puts him on top.
    ASSERT_EQ(Window().ringerListView.GetItemText(0, 0), "Ben");
    EXPECT_EQ(Window().ringerListView.GetItemText(0, 2), "100 (2) 200 216 300 (0)");
    EXPECT_EQ(RingerCell(Window(), "Ann", 2), "");
    EXPECT_EQ(RingerCell(Window(), "Cy", 2), "");

    // A reported 0 means nothing was measured.
    Ring(5, 0);
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "100 (2) 200 216 300 (0)");
    EXPECT_EQ(Window().ringers.FindRinger("Ben")->pings.samples.size(), 3u);
}

TEST_F(PingColumn, TheOwnPingTravelsWithTheNextStrikeIntoTheOwnRow) {
    BellSlot* bell3 = SlotOfBell(Window(), 3);
    ASSERT_NE(bell3, nullptr);
    for (int strike = 0; strike < 2; ++strike) {
        (bell3->stroke == 0 ? bell3->upperButton : bell3->lowerButton)->Click();
        const std::vector<MessageBuffer> sent = TakeMessages(w, 1);
        ASSERT_EQ(sent.size(), 1u);
        const int stroke = ReadStrike(sent[0]).stroke;
        ASSERT_TRUE(w.SendAndWait(sent[0], [&] { return bell3->stroke == stroke; }));
    }
    // The first strike reported 0; the second carried the first one's ping.
    const Ringer* ann = Window().ringers.FindRinger("Ann");
    ASSERT_EQ(ann->pings.samples.size(), 1u);
    const std::string p = std::to_string(ann->pings.samples.front());
    EXPECT_GE(ann->pings.samples.front(), 1);
    EXPECT_EQ(RingerCell(Window(), "Ann", 2), p + " (0) " + p + " " + p + " " + p + " (0)");
}

TEST_F(PingColumn, ASampleForADepartedRingerIsDropped) {
    ASSERT_TRUE(w.SendAndWait(RingerLeftMessage("Ben"), [&] { return Window().ringers.FindRinger("Ben") == nullptr; }));
    // The columns still name Ben: his bells are still laid out.
    ASSERT_EQ(SlotOfBell(Window(), 1)->ringerName, "Ben");
    Ring(1, 70);
    EXPECT_EQ(Window().ringers.FindRinger("Ben"), nullptr);
    EXPECT_EQ(Window().ringerListView.GetItemCount(), 2);
    for (int row = 0; row < 2; ++row) EXPECT_EQ(Window().ringerListView.GetItemText(row, 2), "") << row;

    // Ben comes back with fresh statistics: the dropped sample is nowhere.
    ASSERT_TRUE(w.SendAndWait(RingerInfoMessage(6, "Ben", "1256"), [&] { return Window().ringers.FindRinger("Ben"); }));
    Ring(1, 80);
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "80 (0) 80 80 80 (0)");
}

}  // namespace
