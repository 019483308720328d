#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ringing/BellLayout.h"
#include "tower/RingerTable.h"

namespace {

std::vector<std::string> KeysInWalkOrder(const RingerTable& table) {
    std::vector<std::string> keys;
    for (const auto& [key, ringer] : table.ringers) {
        keys.push_back(key);
    }
    return keys;
}

TEST(CompareNames, IsByteOrderOfUnsignedBytes) {
    EXPECT_LT(CompareNames("Ann", "ann"), 0);
    EXPECT_GT(CompareNames("ann", "Ann"), 0);
    EXPECT_EQ(CompareNames("Ann", "Ann"), 0);
    EXPECT_LT(CompareNames("Ann", "Anne"), 0);
    EXPECT_LT(CompareNames("", "A"), 0);
    EXPECT_EQ(CompareNames("", ""), 0);
    // Bytes above 127 sort after ASCII, as unsigned values.
    EXPECT_LT(CompareNames("zed", "\xE9mile"), 0);
    EXPECT_LT(CompareNames("\x7F", "\x80"), 0);
}

TEST(RingerTable, NamesInTwoLetterCasesAreTwoRingersUpperCaseFirst) {
    RingerTable table;
    table.AddRinger("bob", "2", false);
    table.AddRinger("Bob", "1", false);
    table.AddRinger("alice", "", false);
    EXPECT_EQ(KeysInWalkOrder(table), (std::vector<std::string>{"Bob", "alice", "bob"}));
    ASSERT_NE(table.FindRinger("Bob"), nullptr);
    EXPECT_EQ(table.FindRinger("Bob")->bells, "1");
    EXPECT_EQ(table.FindRinger("bob")->bells, "2");
    EXPECT_EQ(table.FindRinger("BOB"), nullptr);
}

TEST(RingerTable, ItemIdsAreNeverReusedAcrossTowers) {
    RingerTable table;
    EXPECT_EQ(table.AddRinger("Ann", "1", false).itemId, 1);
    EXPECT_EQ(table.AddRinger("Ben", "2", false).itemId, 2);
    table.RemoveRinger("Ben");
    EXPECT_EQ(table.AddRinger("Cy", "", false).itemId, 3);

    table.ClearRingers();  // entering a second tower
    EXPECT_TRUE(table.ringers.empty());
    EXPECT_EQ(table.lastItemId, 3);
    const Ringer& again = table.AddRinger("Ann", "", false);
    EXPECT_EQ(again.itemId, 4);
    EXPECT_EQ(again.name, "Ann");
    EXPECT_EQ(again.pings.min, 32767);
    EXPECT_TRUE(again.pings.samples.empty());
}

TEST(RingerTable, RemoveAndFindOfAbsentNamesChangeNothing) {
    RingerTable table;
    table.AddRinger("Ann", "12", true);
    table.RemoveRinger("Zoe");
    EXPECT_EQ(table.ringers.size(), 1u);
    EXPECT_EQ(table.FindRinger("Zoe"), nullptr);
    table.RemoveRinger("Ann");
    EXPECT_EQ(table.FindRinger("Ann"), nullptr);
    EXPECT_EQ(table.lastItemId, 1);
}

TEST(RingerTable, RingerForAddsOneEmptyRecordAndReturnsItAgain) {
    RingerTable table;
    table.AddRinger("Ann", "1", false);
    Ringer& own = table.RingerFor("Me");
    EXPECT_EQ(table.ringers.size(), 2u);
    EXPECT_EQ(own.name, "");
    EXPECT_EQ(own.bells, "");
    EXPECT_FALSE(own.conductor);
    EXPECT_EQ(own.itemId, 0);
    EXPECT_EQ(table.lastItemId, 1);

    own.conductor = true;
    Ringer& second = table.RingerFor("Me");
    EXPECT_EQ(&second, &own);
    EXPECT_TRUE(second.conductor);
    EXPECT_EQ(table.ringers.size(), 2u);

    // An existing record is returned as it is.
    EXPECT_EQ(table.RingerFor("Ann").bells, "1");
    EXPECT_EQ(table.ringers.size(), 2u);
}

TEST(RingerTable, AllocationControlsFollowTheConductorRule) {
    RingerTable table;
    EXPECT_TRUE(table.AllocationControlsVisible("Me"));  // empty table

    table.AddRinger("Ann", "1", false);
    table.AddRinger("Me", "2", false);
    EXPECT_TRUE(table.AllocationControlsVisible("Me"));  // nobody conducts

    table.FindRinger("Ann")->conductor = true;
    EXPECT_FALSE(table.AllocationControlsVisible("Me"));
    EXPECT_TRUE(table.AllocationControlsVisible("Ann"));
    EXPECT_FALSE(table.AllocationControlsVisible("ann"));  // exact case

    // Two flagged ringers: either of them sees the controls.
    table.FindRinger("Me")->conductor = true;
    EXPECT_TRUE(table.AllocationControlsVisible("Me"));
    EXPECT_TRUE(table.AllocationControlsVisible("Ann"));
    EXPECT_FALSE(table.AllocationControlsVisible("Cy"));
}

TEST(RingsBell, FindsSymbolsAnywhereIncludingTenElevenTwelve) {
    EXPECT_TRUE(RingsBell("0ET", 10));
    EXPECT_TRUE(RingsBell("0ET", 11));
    EXPECT_TRUE(RingsBell("0ET", 12));
    EXPECT_FALSE(RingsBell("0ET", 1));
    EXPECT_TRUE(RingsBell("531", 3));  // position does not matter
    EXPECT_FALSE(RingsBell("531", 2));
    EXPECT_FALSE(RingsBell("e", 11));  // letters are case-sensitive
    EXPECT_FALSE(RingsBell("", 1));
    EXPECT_FALSE(RingsBell("1234567890ET", 0));
    EXPECT_FALSE(RingsBell("1234567890ET", 13));
}

// The window's columns add their buttons to the slot state.
struct WindowSlot : SlotState {
    int upperButtonId = 0;
};

class SetSlotRingerTest : public ::testing::Test {
protected:
    // Six bells laid out in slots 3 to 8, every slot named "old".
    void SetUp() override {
        for (int i = 0; i < kSlotCount; ++i) {
            slots[i].ringerName = "old";
            slots[i].bell = (i >= 3 && i <= 8) ? i - 2 : 0;
        }
    }
    std::array<WindowSlot, kSlotCount> slots;
};

TEST_F(SetSlotRingerTest, NamesOnlyTheSlotsOfTheRingersBells) {
    SetSlotRinger(slots, "Ann", "52");
    for (int i = 0; i < kSlotCount; ++i) {
        const bool annsBell = slots[i].bell == 2 || slots[i].bell == 5;
        EXPECT_EQ(slots[i].ringerName, annsBell ? "Ann" : "old") << "slot " << i;
    }
}

TEST_F(SetSlotRingerTest, EmptyBellStringAndFreeSlotsAreLeftAlone) {
    SetSlotRinger(slots, "Ann", "");
    // A symbol of a bell not laid out names no free slot either.
    SetSlotRinger(slots, "Ben", "90ET");
    for (const SlotState& slot : slots) {
        EXPECT_EQ(slot.ringerName, "old");
    }
}

TEST_F(SetSlotRingerTest, BellTenIsFoundByZero) {
    for (int i = 0; i < kSlotCount; ++i) {
        slots[i].bell = i + 1;
    }
    SetSlotRinger(slots, "Di", "0ET");
    for (int i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(slots[i].ringerName, i >= 9 ? "Di" : "old") << "slot " << i;
    }
}

}  // namespace
