#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ringing/BellLayout.h"
#include "ringing/SoundLabels.h"

namespace {

using Labels = std::vector<std::string>;

// Sounds per bell, from bell 1 up to the tenor, for each size of tower.
struct SoundRow {
    int bells;
    Labels light;
    Labels medium;
    Labels heavy;
};

const std::vector<SoundRow> kSoundsPerBell = {
    {1, {"5"}, {"8"}, {"12"}},
    {2, {"4", "5"}, {"7", "8"}, {"11", "12"}},
    {3, {"3", "4", "5"}, {"6", "7", "8"}, {"10", "11", "12"}},
    {4, {"2", "3", "4", "5"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}},
    {5, {"1", "2", "3", "4", "5"}, {"4", "5", "6", "7", "8"}, {"8", "9", "10", "11", "12"}},
    {6, {"3", "4", "5", "6", "7", "8"}, {"4", "5", "6b", "7", "8", "9"}, {"7", "8", "9", "10", "11", "12"}},
    {7,
     {"3", "4", "5", "6b", "7", "8", "9"},
     {"3", "4", "5", "6b", "7", "8", "9"},
     {"6", "7", "8", "9", "10", "11", "12"}},
    {8,
     {"2", "3", "4", "5", "6b", "7", "8", "9"},
     {"2", "3", "4", "5", "6b", "7", "8", "9"},
     {"5", "6", "7", "8", "9", "10", "11", "12"}},
    {9,
     {"1", "2", "3", "4", "5", "6b", "7", "8", "9"},
     {"1", "2", "3", "4", "5", "6b", "7", "8", "9"},
     {"4", "5", "6", "7", "8", "9", "10", "11", "12"}},
    {10,
     {"3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
    {11,
     {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
    {12,
     {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"},
     {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}},
};

// Lays the tower out as a relayout does and reads the labels in bell order.
Labels LabelsAfterLayout(int bellCount, int bellWeight) {
    SlotStates slots;
    const auto plans = PlanBellLayout(bellCount, "", 0, 1);
    for (int i = 0; i < kSlotCount; ++i) {
        ApplyPlan(slots[i], plans[i]);
    }
    AssignSoundLabels(slots, bellCount, bellWeight);
    Labels labels;
    for (const SlotState& slot : slots) {
        if (slot.bell == 0) {
            EXPECT_EQ(slot.soundLabel, "");
        } else {
            EXPECT_EQ(slot.bell, static_cast<int>(labels.size()) + 1);
            labels.push_back(slot.soundLabel);
        }
    }
    return labels;
}

TEST(AssignSoundLabels, EveryTowerSizeAndWeightPlaysTheSoundsOfTheTable) {
    for (const SoundRow& row : kSoundsPerBell) {
        EXPECT_EQ(LabelsAfterLayout(row.bells, 0), row.light) << row.bells << " bells, Light";
        EXPECT_EQ(LabelsAfterLayout(row.bells, 1), row.medium) << row.bells << " bells, Medium";
        EXPECT_EQ(LabelsAfterLayout(row.bells, 2), row.heavy) << row.bells << " bells, Heavy";
    }
}

TEST(AssignSoundLabels, NoBellsChangesNothingAndFreeSlotsGetNoLabel) {
    SlotStates slots;
    slots[0].soundLabel = "7";
    slots[0].bell = 0;
    slots[1].soundLabel = "3";
    slots[1].bell = 2;
    slots[1].soundPosition = 12;
    AssignSoundLabels(slots, 0, 1);
    EXPECT_EQ(slots[0].soundLabel, "7");
    EXPECT_EQ(slots[1].soundLabel, "3");

    AssignSoundLabels(slots, 2, 1);
    EXPECT_EQ(slots[0].soundLabel, "");
    EXPECT_EQ(slots[1].soundLabel, "8");
}

TEST(SoundLabelFor, PositionsOutsideTheSetHaveNoLabel) {
    EXPECT_EQ(SoundLabelFor(12, 1, 12), "12");
    EXPECT_EQ(SoundLabelFor(12, 1, 1), "1");
    EXPECT_EQ(SoundLabelFor(12, 1, 0), "");
    EXPECT_EQ(SoundLabelFor(12, 1, 13), "");
    EXPECT_EQ(SoundLabelFor(5, 0, 7), "");  // the five-bell sets hold five cells
    EXPECT_EQ(SoundLabelFor(0, 1, 12), "");
    EXPECT_EQ(SoundLabelFor(14, 1, 12), "12");  // a faulty count plays the twelve
}

}  // namespace
