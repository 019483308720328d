#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "ringing/BellLayout.h"
#include "ringing/KeyTables.h"

namespace {

using Plans = std::array<SlotPlan, kSlotCount>;

// Bell numbers per slot, 0 for a hidden slot, as a string like "000123456000".
std::string BellsBySlot(const Plans& plans) {
    std::string bells;
    for (const SlotPlan& plan : plans) {
        EXPECT_EQ(plan.visible, plan.bell != 0);
        bells += plan.bell == 0 ? "." : std::to_string(plan.bell % 10);
    }
    return bells;
}

const SlotPlan& PlanOfBell(const Plans& plans, int bell) {
    for (const SlotPlan& plan : plans) {
        if (plan.bell == bell) {
            return plan;
        }
    }
    ADD_FAILURE() << "bell " << bell << " not laid out";
    return plans[0];
}

// Upper and lower keys of bells 1..n concatenated in bell order.
std::pair<std::string, std::string> KeysInBellOrder(const Plans& plans, int n) {
    std::string upper;
    std::string lower;
    for (int bell = 1; bell <= n; ++bell) {
        upper += PlanOfBell(plans, bell).upperKey;
        lower += PlanOfBell(plans, bell).lowerKey;
    }
    return {upper, lower};
}

TEST(PlanBellLayout, CentresTheBellsWithBellOneOnTheRight) {
    EXPECT_EQ(BellsBySlot(PlanBellLayout(0, "", 0, 1)), "............");
    EXPECT_EQ(BellsBySlot(PlanBellLayout(5, "", 0, 1)), "...12345....");
    EXPECT_EQ(BellsBySlot(PlanBellLayout(6, "", 0, 1)), "...123456...");
    EXPECT_EQ(BellsBySlot(PlanBellLayout(8, "", 0, 1)), "..12345678..");
    EXPECT_EQ(BellsBySlot(PlanBellLayout(12, "", 0, 1)), "123456789012");
}

TEST(PlanBellLayout, CountAboveTwelveIsLaidOutAsTwelve) {
    const Plans twelve = PlanBellLayout(12, "0ET", 0, 1);
    for (const int count : {13, 14, 65535}) {
        const Plans plans = PlanBellLayout(count, "0ET", 0, 1);
        for (int i = 0; i < kSlotCount; ++i) {
            EXPECT_EQ(plans[i].bell, twelve[i].bell) << count;
            EXPECT_EQ(plans[i].soundPosition, twelve[i].soundPosition) << count;
            EXPECT_EQ(plans[i].upperKey, twelve[i].upperKey) << count;
        }
    }
    EXPECT_EQ(BellsBySlot(PlanBellLayout(-1, "", 0, 1)), "............");
}

TEST(PlanBellLayout, HiddenSlotsShowNothingAndShownSlotsTheirNumbers) {
    const Plans plans = PlanBellLayout(6, "", 0, 1);
    for (const SlotPlan& plan : plans) {
        if (!plan.visible) {
            EXPECT_EQ(plan.upperText, "");
            EXPECT_EQ(plan.lowerText, "");
            continue;
        }
        EXPECT_EQ(plan.lowerText, std::to_string(plan.bell));
        EXPECT_EQ(plan.soundPosition, plan.bell + 6);  // the tenor has 12
    }
    for (const SlotPlan& plan : PlanBellLayout(12, "", 0, 0)) {
        EXPECT_EQ(plan.lowerText, "X");
    }
}

TEST(PlanBellLayout, TwoKeysAndOneKeyForBellsThreeAndFour) {
    const Plans two = PlanBellLayout(6, "34", 0, 1);
    EXPECT_EQ(PlanOfBell(two, 3).upperKey, "J");
    EXPECT_EQ(PlanOfBell(two, 3).upperText, "&J");
    EXPECT_EQ(PlanOfBell(two, 3).lowerKey, "N");
    EXPECT_EQ(PlanOfBell(two, 3).lowerText, "3");
    EXPECT_EQ(PlanOfBell(two, 4).upperKey, "D");
    EXPECT_EQ(PlanOfBell(two, 4).lowerKey, "C");

    const Plans one = PlanBellLayout(6, "34", 1, 1);
    EXPECT_EQ(PlanOfBell(one, 3).upperKey, "J");
    EXPECT_EQ(PlanOfBell(one, 3).lowerKey, "J");
    EXPECT_EQ(PlanOfBell(one, 4).upperKey, "D");
    EXPECT_EQ(PlanOfBell(one, 4).lowerKey, "D");

    // Other ringers' bells carry no keys and an empty upper button.
    for (const int bell : {1, 2, 5, 6}) {
        const SlotPlan& plan = PlanOfBell(two, bell);
        EXPECT_EQ(plan.upperKey, "");
        EXPECT_EQ(plan.lowerKey, "");
        EXPECT_EQ(plan.upperText, "");
        EXPECT_EQ(plan.lowerText, std::to_string(bell));
    }
}

TEST(PlanBellLayout, KeysFollowBellStringOrderNotBellOrder) {
    const Plans plans = PlanBellLayout(6, "43", 0, 1);
    EXPECT_EQ(PlanOfBell(plans, 4).upperKey, "J");
    EXPECT_EQ(PlanOfBell(plans, 3).upperKey, "D");
}

TEST(PlanBellLayout, ElevenBellsTakeTheElevenKeyRows) {
    const std::string own = "1234567890E";
    EXPECT_EQ(KeysInBellOrder(PlanBellLayout(11, own, 1, 1), 11),
              std::make_pair(std::string("';LKJHGFDSA"), std::string("';LKJHGFDSA")));
    EXPECT_EQ(KeysInBellOrder(PlanBellLayout(11, own, 0, 1), 11),
              std::make_pair(std::string("0';LKJHGFDS"), std::string("o/.,MNBVCXZ")));
}

TEST(PlanBellLayout, TwelveBellsFindTenElevenAndTwelveByTheirSymbols) {
    const Plans plans = PlanBellLayout(12, "1234567890ET", 0, 1);
    EXPECT_EQ(KeysInBellOrder(plans, 12),
              std::make_pair(std::string("-0';LKJHGFDS"), std::string("po/.,MNBVCXZ")));
    EXPECT_EQ(plans[9].upperText, "&F");  // bell 10, found by "0"
    EXPECT_EQ(plans[11].lowerText, "12");
}

TEST(PlanBellLayout, SymbolsAboveTheBellCountStillChooseTheKeyRow) {
    // "45" on four bells: bell 5 is not shown but makes k = 2.
    const Plans plans = PlanBellLayout(4, "45", 0, 1);
    EXPECT_EQ(PlanOfBell(plans, 4).upperKey, "J");
    EXPECT_EQ(PlanOfBell(plans, 4).lowerKey, "N");
    const Plans alone = PlanBellLayout(4, "4", 0, 1);
    EXPECT_EQ(PlanOfBell(alone, 4).upperKey, "H");
    EXPECT_EQ(PlanOfBell(alone, 4).lowerKey, "B");
}

TEST(PlanBellLayout, OwnStringLongerThanTwelveRingsNothing) {
    for (const SlotPlan& plan : PlanBellLayout(12, "1234567890ET1", 0, 1)) {
        EXPECT_EQ(plan.upperKey, "");
        EXPECT_EQ(plan.lowerKey, "");
        EXPECT_EQ(plan.upperText, "");
    }
}

TEST(ApplyPlan, HiddenSlotLosesOnlyItsBellAndShownSlotStartsAtHandstroke) {
    SlotState slot;
    slot.bell = 7;
    slot.soundPosition = 9;
    slot.soundLabel = "6b";
    slot.upperKey = "K";
    slot.lowerKey = "M";
    slot.stroke = 1;
    slot.ringerName = "Ann";

    ApplyPlan(slot, PlanBellLayout(5, "", 0, 1)[0]);
    EXPECT_EQ(slot.bell, 0);
    EXPECT_EQ(slot.soundPosition, 9);
    EXPECT_EQ(slot.soundLabel, "6b");
    EXPECT_EQ(slot.upperKey, "K");
    EXPECT_EQ(slot.lowerKey, "M");
    EXPECT_EQ(slot.stroke, 1);

    ApplyPlan(slot, PlanBellLayout(6, "3", 0, 1)[5]);  // bell 3 of six
    EXPECT_EQ(slot.bell, 3);
    EXPECT_EQ(slot.soundPosition, 9);
    EXPECT_EQ(slot.upperKey, "H");
    EXPECT_EQ(slot.lowerKey, "B");
    EXPECT_EQ(slot.stroke, 0);
    EXPECT_EQ(slot.ringerName, "Ann");
}

TEST(StrikeTexts, NumberMovesToTheStruckButtonAndTheKeyToTheOther) {
    SlotState own;
    own.bell = 3;
    own.upperKey = "J";
    own.lowerKey = "N";
    const StrikeText up = StrikeTexts(own, 1, 1);
    EXPECT_TRUE(up.upperIsNumber);
    EXPECT_EQ(up.upperText, "3");
    EXPECT_EQ(up.lowerText, "&N");
    const StrikeText down = StrikeTexts(own, 0, 1);
    EXPECT_FALSE(down.upperIsNumber);
    EXPECT_EQ(down.upperText, "&J");
    EXPECT_EQ(down.lowerText, "3");

    SlotState other;
    other.bell = 10;
    const StrikeText hidden = StrikeTexts(other, 1, 0);
    EXPECT_EQ(hidden.upperText, "X");
    EXPECT_EQ(hidden.lowerText, "");
    EXPECT_EQ(StrikeTexts(other, 0, 1).upperText, "");
    EXPECT_EQ(StrikeTexts(other, 0, 1).lowerText, "10");
}

char Folded(char key) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
}

TEST(KeyTables, RowsHoldDistinctKeysThatNoMessageLetterShares) {
    const std::set<char> messageLetters = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I'};
    for (int k = 1; k <= 12; ++k) {
        const std::string_view upper = KeyRow(UpperKeys, k);
        const std::string_view lower = KeyRow(LowerKeys, k);
        const std::string_view single = KeyRow(SingleKeys, k);
        ASSERT_EQ(upper.size(), static_cast<std::size_t>(k));
        ASSERT_EQ(lower.size(), static_cast<std::size_t>(k));
        ASSERT_EQ(single.size(), static_cast<std::size_t>(k));
        if (k <= 10) {
            EXPECT_EQ(single, upper) << "row " << k;
        }

        // Keys match regardless of case, so fold before comparing.
        std::set<char> twoKeys;
        for (const char key : std::string(upper) + std::string(lower)) {
            EXPECT_TRUE(twoKeys.insert(Folded(key)).second) << "row " << k << " repeats " << key;
        }
        std::set<char> oneKey;
        for (const char key : single) {
            EXPECT_TRUE(oneKey.insert(Folded(key)).second) << "row " << k << " repeats " << key;
        }
        for (const char letter : messageLetters) {
            EXPECT_EQ(twoKeys.count(letter) + oneKey.count(letter), 0u) << "row " << k << " uses " << letter;
        }
    }
    EXPECT_EQ(KeyRow(UpperKeys, 0), "");
    EXPECT_EQ(KeyRow(UpperKeys, 13), "");
}

}  // namespace
