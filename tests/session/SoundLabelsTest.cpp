// Which sound each bell of the tower plays, for every size and weight.
#include "ringing/SoundLabels.h"
#include "tests/session/SessionFixture.h"

namespace {

using Labels = std::vector<std::string>;
using testsupport::SessionTest;

// From bell 1 up to the tenor: Light, Medium, Heavy.
const std::vector<std::array<Labels, 3>> kSoundsPerBell = {
    {Labels{"5"}, {"8"}, {"12"}},
    {Labels{"4", "5"}, {"7", "8"}, {"11", "12"}},
    {Labels{"3", "4", "5"}, {"6", "7", "8"}, {"10", "11", "12"}},
    {Labels{"2", "3", "4", "5"}, {"5", "6", "7", "8"}, {"9", "10", "11", "12"}},
    {Labels{"1", "2", "3", "4", "5"}, {"4", "5", "6", "7", "8"}, {"8", "9", "10", "11", "12"}},
    {Labels{"3", "4", "5", "6", "7", "8"}, {"4", "5", "6b", "7", "8", "9"}, {"7", "8", "9", "10", "11", "12"}},
    {Labels{"3", "4", "5", "6b", "7", "8", "9"},
     {"3", "4", "5", "6b", "7", "8", "9"},
     {"6", "7", "8", "9", "10", "11", "12"}},
    {Labels{"2", "3", "4", "5", "6b", "7", "8", "9"},
     {"2", "3", "4", "5", "6b", "7", "8", "9"},
     {"5", "6", "7", "8", "9", "10", "11", "12"}},
    {Labels{"1", "2", "3", "4", "5", "6b", "7", "8", "9"},
     {"1", "2", "3", "4", "5", "6b", "7", "8", "9"},
     {"4", "5", "6", "7", "8", "9", "10", "11", "12"}},
};

TEST_F(SessionTest, EveryTowerSizeAndWeightPlaysTheSoundsOfTheTable) {
    const Labels all = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    for (int n = 1; n <= 12; ++n) {
        for (int weight = 0; weight <= 2; ++weight) {
            session.bellCount = static_cast<std::uint16_t>(n);
            session.settings.bellWeight = weight;
            session.LayOutBells();
            Labels labels;
            for (int bell = 1; bell <= n; ++bell) labels.push_back(SlotOf(bell)->soundLabel);
            // Ten bells and more, and Heavy always, take the heaviest n sounds.
            const Labels expected =
                n >= 10 || weight == 2 ? Labels(all.end() - n, all.end()) : kSoundsPerBell[n - 1][weight];
            EXPECT_EQ(labels, expected) << n << " bells, weight " << weight;
        }
    }
    // Free columns play nothing; with no bells the labels stay as they were.
    EXPECT_EQ(session.slots[0].soundLabel, "1");
    session.bellCount = 6;
    session.LayOutBells();
    EXPECT_EQ(session.slots[0].soundLabel, "");
    session.bellCount = 0;
    session.LayOutBells();
    EXPECT_EQ(session.slots[3].soundLabel, "7");
    EXPECT_EQ(SoundLabelFor(6, 1, 3), "");  // outside the set
}

}  // namespace
