// Ringing as the session follows it: where the bells stand, which keys ring
// the user's and which sound each plays, what a click sends, how relayed
// strikes move the bells, the timing of the user's own strikes, the pings
// strikes report, and what the listeners hear.
#include "ringing/SoundLabels.h"
#include "tests/session/SessionFixture.h"

namespace {

using testsupport::SessionTest;

// Visible columns from slot 0 (the right) as "bell:upper text:lower text".
std::vector<std::string> Shown(const LayoutPlan& layout) {
    std::vector<std::string> shown;
    for (const SlotPlan& slot : layout.slots)
        shown.push_back(slot.visible ? std::to_string(slot.bell) + ":" + slot.upperText + ":" + slot.lowerText : "-");
    return shown;
}

TEST_F(SessionTest, TheTowerStandsCentredWithBellOneOnTheRightAndTheUsersBellsTakeKeys) {
    // The keys come from the row for how many bells the user rings.
    Enter("Ann", 6, {{"Ann", "34"}, {"Ben", "1256"}});
    using V = std::vector<std::string>;
    EXPECT_EQ(Shown(session.Layout()),
              (V{"-", "-", "-", "1::1", "2::2", "3:&J:3", "4:&D:4", "5::5", "6::6", "-", "-", "-"}));
    EXPECT_EQ(SlotOf(3)->lowerKey + SlotOf(4)->lowerKey + SlotOf(1)->lowerKey, "NC");
    session.bellCount = 5;
    EXPECT_EQ(Shown(session.LayOutBells()),
              (V{"-", "-", "-", "1::1", "2::2", "3:&J:3", "4:&D:4", "5::5", "-", "-", "-", "-"}));
    session.bellCount = 0;
    EXPECT_EQ(Shown(session.LayOutBells()), V(12, "-"));
    session.bellCount = 14;  // a faulty count shows twelve
    session.settings.showNumbers = 0;
    EXPECT_EQ(Shown(session.LayOutBells())[11], "12::X");

    // One key per bell; keys follow the bell string's order; symbols above
    // the count still choose the row; bells 10 to 12 are found by 0, E and T.
    session.settings.keyboardControl = 1;
    Info(6, "Ann", "34");
    EXPECT_EQ(SlotOf(4)->upperKey + SlotOf(4)->lowerKey, "DD");
    session.settings.keyboardControl = 0;
    Info(12, "Ann", "0ET1234567");
    EXPECT_EQ(SlotOf(10)->upperKey + SlotOf(11)->upperKey + SlotOf(12)->upperKey + SlotOf(1)->upperKey, "';LK");
    Info(6, "Ann", "1234567890ET1");  // more than twelve symbols: no key row
    EXPECT_EQ(SlotOf(1)->lowerKey, "");
}

TEST_F(SessionTest, AClickSendsTheOppositeStrokeOnlyFromTheButtonToRingNextAndOnlyTheEchoMovesTheBell) {
    Enter("Ann", 6, {{"Ann", "3"}, {"Ben", "1"}});
    const int three = PositionOf(3);
    EXPECT_FALSE(session.ClickBell(three, false));         // the number stands on the lower button
    EXPECT_FALSE(session.ClickBell(PositionOf(1), true));  // Ben's bell
    EXPECT_FALSE(session.ClickBell(1, true));              // a free column
    EXPECT_TRUE(session.ClickBell(three, true));
    session.settings.mouseControl = 1;  // either button rings
    EXPECT_TRUE(session.ClickBell(three, false));
    ASSERT_EQ(sent.messages.size(), 2u);
    EXPECT_EQ(sent.StrikeAt(0), (wire::Strike{3, 1, 1, 0}));
    EXPECT_EQ(sent.StrikeAt(1), (wire::Strike{3, 1, 2, 0}));  // the same stroke until the echo
    EXPECT_EQ(SlotOf(3)->stroke, 0);                          // nothing moves before it

    // A relayed strike moves its bell once; a relayout puts it back.
    EXPECT_EQ(Relay(2, 0).slot, -1);  // already at stroke 0
    const StrikeChange moved = Relay(2, 5);
    EXPECT_EQ(moved.slot, PositionOf(2) - 1);
    EXPECT_EQ(moved.stroke, 1);  // any non-zero stroke is 1
    EXPECT_EQ(Relay(2, 1).slot, -1);
    EXPECT_EQ(Relay(7, 1).slot, -1);  // not laid out
    EXPECT_EQ(Relay(0, 1).slot, -1);
    session.LayOutBells();
    EXPECT_EQ(Relay(2, 0).slot, -1);
}

TEST_F(SessionTest, TheEchoOfTheUsersLatestStrikeIsTimedAndItsPingGoesWithTheNext) {
    Enter("Ann", 6, {{"Ann", "12"}, {"Ben", "3"}});
    const auto click = [&](int bell, bool upper) { session.ClickBell(PositionOf(bell), upper); };
    // `ms` later the echo of (bell, stroke, sequence) comes: the ping it measured, or 0.
    const auto echo = [&](int ms, int bell, int stroke, std::optional<std::uint16_t> sequence) {
        clockMs += ms;
        Relay(bell, stroke, sequence);
        return session.lastPing;
    };
    click(1, true);
    EXPECT_EQ(echo(42, 1, 1, 1), 42);
    click(1, false);
    EXPECT_EQ(sent.LastStrike(), (wire::Strike{1, 0, 2, 42}));
    EXPECT_EQ(session.lastPing, 0);
    EXPECT_EQ(session.strikeSentAt, 1042);
    EXPECT_EQ(echo(0, 1, 0, 2), 1);  // in the same millisecond
    // Two clicks before the echo: the first echo moves the bell untimed, the
    // second is a repeat.
    click(2, true);
    click(2, true);
    EXPECT_NE(Relay(2, 1, 3).slot, -1);
    EXPECT_EQ(echo(5, 2, 1, 4), 0);
    // Another ringer's bell with the user's number, a ping of 32767 ms or
    // more, one across midnight: none is measured.
    click(1, true);
    EXPECT_EQ(echo(0, 3, 1, 5), 0);
    EXPECT_EQ(echo(32767, 1, 1, 5), 0);
    click(1, false);
    EXPECT_EQ(echo(10 - clockMs, 1, 0, 6), 0);
    // The sequence wraps; a strike without one (10 bytes) moves its bell untimed.
    session.strikeSeq = 65535;
    click(1, true);
    EXPECT_EQ(sent.LastStrike().sequence, 0);
    EXPECT_NE(Relay(1, 1, std::nullopt, std::nullopt).slot, -1);
    EXPECT_EQ(session.lastPing, 0);

    // Strikes of other callers (a robot's) carry neither sequence nor ping,
    // and neither they nor their echoes disturb the user's measurement.
    click(1, false);
    clockMs += 10;
    session.SendStrike(2, 0);
    EXPECT_EQ(sent.LastStrike(), (wire::Strike{2, 0, 0, 0}));
    EXPECT_EQ(echo(20, 2, 0, 0), 0);
    EXPECT_EQ(session.strikeSeq, 1);
    EXPECT_EQ(echo(0, 1, 0, 1), 30);
    session.SendStrike(1, 1);
    EXPECT_EQ(session.lastPing, 30);
}

TEST_F(SessionTest, EachReportedPingGoesToTheRingerOfTheStruckBell) {
    Enter("Ann", 6, {{"Ann", "1"}, {"Ben", "2"}});
    // 12 bytes: timed, no ping.
    session.ClickBell(PositionOf(1), true);
    clockMs += 7;
    EXPECT_EQ(Relay(1, 1, 1, std::nullopt).pinged, nullptr);
    EXPECT_EQ(session.lastPing, 7);
    EXPECT_EQ(Relay(2, 1, 9, 0).pinged, nullptr);  // 0: nothing measured
    const StrikeChange change = Relay(2, 0, 9, 120);
    ASSERT_NE(change.pinged, nullptr);
    EXPECT_EQ(change.pinged->name + " " + change.pinged->pings.ColumnText(), "Ben 120 (0) 120 120 120 (0)");
    EXPECT_EQ(Relay(2, 0, 9, 130).pinged, nullptr);  // a repeat records nothing
}

TEST_F(SessionTest, ListenersHearEveryStrikeThatMovesABellWithItsRingerAndArrivalAndChatAndCalls) {
    struct Ear : TowerListener {
        std::vector<std::string> heard;
        void OnStrike(const HeardStrike& s) override {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(s.arrivedAt.time_since_epoch());
            heard.push_back("strike " + std::to_string(s.bell) + "/" + std::to_string(s.stroke) + " by " +
                            std::string(s.ringer) + " at " + std::to_string(ms.count()));
        }
        void OnCall(std::string_view text) override { heard.push_back("call " + std::string(text)); }
        void OnChat(std::string_view name, std::string_view line) override {
            heard.push_back(std::string(name) + ": " + std::string(line));
        }
    } ear;
    Enter("Ann", 6, {{"Ben", "12"}});
    session.AddListener(ear);
    const auto at = std::chrono::steady_clock::time_point(std::chrono::seconds(7));
    session.OnStrike({2, 1, 0, 0}, at);
    session.OnStrike({2, 1, 0, 0}, at);  // moves nothing: not heard
    Info(6, "Cy", "2");                  // laid out again: the bell stands at 0
    session.OnStrike({2, 1, 0, 0}, at + std::chrono::milliseconds(5));
    session.OnChat({"Ben", "hello"});
    session.OnCall({"Go"});
    session.RemoveListener(ear);
    session.OnStrike({2, 0, 0, 0}, at);
    session.OnCall({"Stand"});
    // Each strike (bell/stroke) with the ringer of its bell then.
    EXPECT_EQ(ear.heard, (std::vector<std::string>{"strike 2/1 by Ben at 7000", "strike 2/1 by Cy at 7005",
                                                   "Ben: hello", "call Go"}));
}

TEST_F(SessionTest, EachTowerSizeAndWeightPlaysItsSetOfSounds) {
    // Bells, weight (0 Light, 1 Medium, 2 Heavy), the sounds from bell 1 to
    // the tenor. Heavy, and ten bells or more, take the heaviest.
    for (const auto& [bells, weight, expected] : {std::tuple{4, 1, "5 6 7 8"},
                                                  {5, 0, "1 2 3 4 5"},
                                                  {5, 1, "4 5 6 7 8"},
                                                  {6, 0, "3 4 5 6 7 8"},
                                                  {6, 1, "4 5 6b 7 8 9"},
                                                  {7, 0, "3 4 5 6b 7 8 9"},
                                                  {9, 1, "1 2 3 4 5 6b 7 8 9"},
                                                  {8, 2, "5 6 7 8 9 10 11 12"},
                                                  {12, 1, "1 2 3 4 5 6 7 8 9 10 11 12"},
                                                  {10, 0, "3 4 5 6 7 8 9 10 11 12"}}) {
        session.bellCount = static_cast<std::uint16_t>(bells);
        session.settings.bellWeight = weight;
        session.LayOutBells();
        std::string played;
        for (int bell = 1; bell <= bells; ++bell) played += (bell > 1 ? " " : "") + SlotOf(bell)->soundLabel;
        EXPECT_EQ(played, expected) << bells << " bells, weight " << weight;
    }
    // Free columns play nothing; with no bells the labels stay as they were.
    EXPECT_EQ(session.slots[0].soundLabel, "");
    session.bellCount = 0;
    session.LayOutBells();
    EXPECT_EQ(session.slots[1].soundLabel, "3");
    EXPECT_EQ(SoundLabelFor(6, 1, 3), "");  // outside the set
}

}  // namespace
