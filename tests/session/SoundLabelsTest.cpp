// Which sound each bell of the tower plays, by the tower's size and weight.
#include "ringing/SoundLabels.h"
#include "tests/session/SessionFixture.h"

namespace {

using testsupport::SessionTest;

TEST_F(SessionTest, EachTowerSizeAndWeightPlaysItsSetOfSounds) {
    struct Case {
        int bells;
        int weight;          // 0 Light, 1 Medium, 2 Heavy
        const char* sounds;  // from bell 1 to the tenor
    };
    for (const Case& c : {Case{1, 0, "5"}, Case{4, 1, "5 6 7 8"}, Case{5, 0, "1 2 3 4 5"}, Case{5, 1, "4 5 6 7 8"},
                          Case{6, 0, "3 4 5 6 7 8"}, Case{6, 1, "4 5 6b 7 8 9"}, Case{7, 0, "3 4 5 6b 7 8 9"},
                          Case{9, 1, "1 2 3 4 5 6b 7 8 9"}, Case{3, 2, "10 11 12"},  // Heavy: the heaviest sounds
                          Case{8, 2, "5 6 7 8 9 10 11 12"}, Case{10, 0, "3 4 5 6 7 8 9 10 11 12"},  // as ten and more
                          Case{12, 1, "1 2 3 4 5 6 7 8 9 10 11 12"}}) {
        session.bellCount = static_cast<std::uint16_t>(c.bells);
        session.settings.bellWeight = c.weight;
        session.LayOutBells();
        std::string sounds;
        for (int bell = 1; bell <= c.bells; ++bell) sounds += (bell > 1 ? " " : "") + SlotOf(bell)->soundLabel;
        EXPECT_EQ(sounds, c.sounds) << c.bells << " bells, weight " << c.weight;
    }
    // Free columns play nothing; with no bells the labels stay as they were.
    EXPECT_EQ(session.slots[0].soundLabel, "1");
    session.bellCount = 6;
    session.LayOutBells();
    EXPECT_EQ(session.slots[0].soundLabel, "");
    session.bellCount = 0;
    session.LayOutBells();
    EXPECT_EQ(session.slots[3].soundLabel, "4");
    EXPECT_EQ(SoundLabelFor(6, 1, 3), "");  // outside the set
}

}  // namespace
