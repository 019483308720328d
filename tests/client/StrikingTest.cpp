// Striking through the window: clicks and keys send strikes to a scripted
// server, and only the strikes that come back move the bell numbers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// Ann rings bells 3 and 4 of six (keys J/N and D/C with two keys per bell);
// Ben rings the others.
class Striking : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "34"}, {"Ben", "1256"}})); }

    TowerWindow& Window() { return w.Window(); }
    BellSlot& Bell(int bell) {
        BellSlot* slot = SlotOfBell(Window(), bell);
        EXPECT_NE(slot, nullptr) << "bell " << bell << " is not laid out";
        return slot ? *slot : Window().slots[0];
    }
    // The next strike the window sends.
    StrikeFields NextStrike() {
        const std::vector<MessageBuffer> sent = TakeMessages(w, 1);
        if (sent.empty()) {
            ADD_FAILURE() << "no strike was sent";
            return {};
        }
        EXPECT_EQ(TypeOf(sent[0]), wire::strike::kType);
        EXPECT_EQ(sent[0].Length(), static_cast<std::size_t>(wire::strike::kSize));
        return ReadStrike(sent[0]);
    }
    // The server's copy of a strike, handled by the window.
    void Echo(const MessageBuffer& strike, int expectedStroke, int bell) {
        ASSERT_TRUE(w.SendAndWait(strike, [&] { return Bell(bell).stroke == expectedStroke; }));
    }
    void Echo(const StrikeFields& s) { Echo(StrikeMessage(s.bell, s.stroke, s.sequence, s.ping), s.stroke, s.bell); }

    WindowUnderTest w;
};

TEST_F(Striking, WithClickBlankButtonOnlyTheButtonToRingNextSends) {
    BellSlot& bell3 = Bell(3);
    ASSERT_EQ(Window().mouseControl, 0);
    ASSERT_EQ(bell3.upperButton->GetWindowText(), "&J");
    ASSERT_EQ(bell3.lowerButton->GetWindowText(), "3");

    bell3.lowerButton->Click();  // shows the number: not the one to ring
    QTest::mouseClick(bell3.upperButton->Widget(), Qt::LeftButton);
    // Had the first click sent, its strike would come first.
    EXPECT_EQ(NextStrike(), (StrikeFields{3, 1, 1, 0}));

    // Nothing moves until the server's copy comes back.
    w.Settle(30);
    EXPECT_EQ(bell3.stroke, 0);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "&J");
    EXPECT_EQ(bell3.lowerButton->GetWindowText(), "3");

    Echo(StrikeMessage(3, 1, 1, 0), 1, 3);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "3");
    EXPECT_EQ(bell3.lowerButton->GetWindowText(), "&N");

    // Now the lower button rings and the upper one shows the number.
    bell3.upperButton->Click();
    QTest::mouseClick(bell3.lowerButton->Widget(), Qt::LeftButton);
    const StrikeFields back = NextStrike();
    EXPECT_EQ(back.bell, 3);
    EXPECT_EQ(back.stroke, 0);
    EXPECT_EQ(back.sequence, 2);
}

TEST_F(Striking, WithClickEitherButtonBothButtonsSendTheOppositeStroke) {
    Window().mouseControl = 1;
    BellSlot& bell4 = Bell(4);

    bell4.lowerButton->Click();  // the button showing the number strikes too
    EXPECT_EQ(NextStrike(), (StrikeFields{4, 1, 1, 0}));
    bell4.upperButton->Click();
    EXPECT_EQ(NextStrike(), (StrikeFields{4, 1, 2, 0}));

    Echo(StrikeMessage(4, 1, 2, 0), 1, 4);
    bell4.upperButton->Click();
    const StrikeFields fromUpper = NextStrike();
    bell4.lowerButton->Click();
    const StrikeFields fromLower = NextStrike();
    EXPECT_EQ(fromUpper.stroke, 0);
    EXPECT_EQ(fromLower.stroke, 0);
    EXPECT_EQ(fromUpper.sequence, 3);
    EXPECT_EQ(fromLower.sequence, 4);
}

TEST_F(Striking, TheKeyShownOnTheButtonToRingNextStrikesTheBell) {
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr || target->window() != Window().Widget()) target = Window().Widget();
    QTest::keyClick(target, 'j');
    EXPECT_EQ(NextStrike(), (StrikeFields{3, 1, 1, 0}));
}

TEST_F(Striking, OtherRingersBellsAndFreeColumnsSendNothing) {
    for (int bell : {1, 2, 5, 6}) {
        Bell(bell).upperButton->Click();
        Bell(bell).lowerButton->Click();
    }
    Window().mouseControl = 1;
    Bell(1).lowerButton->Click();
    // Six bells stand in slots 3 to 8; the outer columns are free and hidden.
    for (int slot : {0, 1, 2, 9, 10, 11}) {
        ASSERT_EQ(Window().slots[slot].bell, 0);
        Window().slots[slot].upperButton->Click();
        Window().slots[slot].lowerButton->Click();
    }
    EXPECT_EQ(Window().strikeSeq, 0);
    Bell(3).upperButton->Click();
    EXPECT_EQ(NextStrike(), (StrikeFields{3, 1, 1, 0}));
}

TEST_F(Striking, TwoClicksBeforeTheEchoSendTheSameStrokeAndTheSecondEchoIsIgnored) {
    BellSlot& bell3 = Bell(3);
    bell3.upperButton->Click();
    bell3.upperButton->Click();
    const StrikeFields first = NextStrike();
    const StrikeFields second = NextStrike();
    EXPECT_EQ(first, (StrikeFields{3, 1, 1, 0}));
    EXPECT_EQ(second, (StrikeFields{3, 1, 2, 0}));

    // The first echo is not of the latest strike: it moves the bell untimed.
    Echo(first);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "3");
    EXPECT_EQ(Window().lastPing, 0);

    // The second repeats a stroke already shown: nothing at all happens,
    // not even the timing its sequence number would allow.
    w.Peer().Send(StrikeMessage(second.bell, second.stroke, second.sequence, 0));
    w.Peer().Send(StrikeMessage(1, 1, 0, 0));  // a later strike shows the second was handled
    ASSERT_TRUE(platform::PumpUntil([&] { return Bell(1).stroke == 1; }, 5000));
    EXPECT_EQ(Window().lastPing, 0);
    EXPECT_EQ(bell3.stroke, 1);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "3");
    EXPECT_EQ(bell3.lowerButton->GetWindowText(), "&N");
}

TEST_F(Striking, AfterARelayoutAStrokeZeroIsIgnoredAndTheNextStrokeOneShows) {
    Echo(StrikeMessage(1, 1, 0, 0), 1, 1);
    Echo(StrikeMessage(3, 1, 0, 0), 1, 3);
    EXPECT_EQ(Bell(1).upperButton->GetWindowText(), "1");

    // An update of any ringer lays the bells out again: every number back down.
    ASSERT_TRUE(w.SendAndWait(RingerInfoMessage(6, "Ben", "1256", false), [&] { return Bell(1).stroke == 0; }));
    EXPECT_EQ(Bell(3).stroke, 0);
    EXPECT_EQ(Bell(1).lowerButton->GetWindowText(), "1");

    // Stroke 0 for bell 1 carrying a ping: no move, no statistics.
    w.Peer().Send(StrikeMessage(1, 0, 0, 50));
    Echo(StrikeMessage(2, 1, 0, 0), 1, 2);  // handled after it
    EXPECT_EQ(Bell(1).upperButton->GetWindowText(), "");
    EXPECT_EQ(Bell(1).lowerButton->GetWindowText(), "1");
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "");

    Echo(StrikeMessage(1, 1, 0, 50), 1, 1);
    EXPECT_EQ(Bell(1).upperButton->GetWindowText(), "1");
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "50 (0) 50 50 50 (0)");
}

TEST_F(Striking, TheNumberAndTheKeyChangeButtonsAndFonts) {
    TowerWindow& window = Window();
    const int big = window.bigFont.Get().pixelSize();
    const int small = window.DialogFont().Get().pixelSize();
    ASSERT_NE(big, small);
    BellSlot& bell3 = Bell(3);
    BellSlot& bell1 = Bell(1);

    Echo(StrikeMessage(3, 1), 1, 3);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "3");
    EXPECT_EQ(bell3.upperButton->Widget()->font().pixelSize(), big);
    EXPECT_EQ(bell3.lowerButton->GetWindowText(), "&N");
    EXPECT_EQ(bell3.lowerButton->Widget()->font().pixelSize(), small);

    Echo(StrikeMessage(3, 0), 0, 3);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "&J");
    EXPECT_EQ(bell3.upperButton->Widget()->font().pixelSize(), small);
    EXPECT_EQ(bell3.lowerButton->GetWindowText(), "3");
    EXPECT_EQ(bell3.lowerButton->Widget()->font().pixelSize(), big);

    // Another ringer's bell carries no key: the button to ring shows nothing.
    // Any non-zero stroke counts as 1.
    Echo(StrikeMessage(1, 7), 1, 1);
    EXPECT_EQ(bell1.upperButton->GetWindowText(), "1");
    EXPECT_EQ(bell1.lowerButton->GetWindowText(), "");
    Echo(StrikeMessage(1, 0), 0, 1);
    EXPECT_EQ(bell1.upperButton->GetWindowText(), "");
    EXPECT_EQ(bell1.lowerButton->GetWindowText(), "1");

    // With the numbers hidden the moving text is "X".
    window.showNumbers = 0;
    ASSERT_TRUE(w.SendAndWait(RingerInfoMessage(6, "Ann", "34"), [&] { return bell3.lowerButton->GetWindowText() == "X"; }));
    Echo(StrikeMessage(3, 1), 1, 3);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "X");
    EXPECT_EQ(bell3.lowerButton->GetWindowText(), "&N");
    Echo(StrikeMessage(1, 1), 1, 1);
    EXPECT_EQ(bell1.upperButton->GetWindowText(), "X");
}

TEST_F(Striking, StrikesForBellsNotLaidOutAreDropped) {
    w.Peer().Send(StrikeMessage(0, 1));
    w.Peer().Send(StrikeMessage(7, 1));   // six bells only
    w.Peer().Send(StrikeMessage(12, 1));
    Echo(StrikeMessage(6, 1), 1, 6);
    for (const BellSlot& slot : Window().slots) {
        EXPECT_EQ(slot.stroke, slot.bell == 6 ? 1 : 0) << "bell " << slot.bell;
    }
}

TEST_F(Striking, TheOwnPingIsMeasuredAtTheEchoAndReportedWithTheNextStrike) {
    const std::int32_t before = TowerWindow::NowMs();
    Bell(3).upperButton->Click();
    const StrikeFields first = NextStrike();
    Echo(first);
    const std::int32_t after = TowerWindow::NowMs();

    const std::int32_t ping = Window().lastPing;
    EXPECT_GE(ping, 1);
    EXPECT_LE(ping, std::max(1, after - before));

    Bell(3).lowerButton->Click();
    EXPECT_EQ(NextStrike(), (StrikeFields{3, 0, 2, ping}));
    EXPECT_EQ(Window().lastPing, 0);  // cleared when it went out
}

TEST_F(Striking, AnEchoOfAnotherRingersBellIsNotTimed) {
    Bell(3).upperButton->Click();
    const StrikeFields own = NextStrike();
    // Ben's bell with the sequence number of Ann's latest strike.
    Echo(StrikeMessage(1, 1, own.sequence, 0), 1, 1);
    EXPECT_EQ(Window().lastPing, 0);
}

TEST_F(Striking, AnEchoInTheSameMillisecondGivesAPingOfOne) {
    // Through the handler, bracketed by the clock: when both readings agree,
    // the echo was handled in the millisecond the strike was sent.
    TowerWindow& window = Window();
    BellSlot& bell3 = Bell(3);
    bool sawSameMillisecond = false;
    for (int attempt = 0; attempt < 200 && !sawSameMillisecond; ++attempt) {
        const int stroke = bell3.stroke == 0 ? 1 : 0;
        const MessageBuffer echo = StrikeMessage(3, stroke, 77, 0);
        window.strikeSeq = 77;
        window.lastPing = 0;
        const std::int32_t sent = TowerWindow::NowMs();
        window.strikeSentAt = sent;
        window.OnStrikeMessage(wire::ReadStrike(echo.Bytes()).value());
        const std::int32_t done = TowerWindow::NowMs();
        ASSERT_EQ(bell3.stroke, stroke);
        if (sent == done) {
            EXPECT_EQ(window.lastPing, 1);
            sawSameMillisecond = true;
        } else {
            EXPECT_GE(window.lastPing, 1);
            EXPECT_LE(window.lastPing, done - sent);
        }
    }
    EXPECT_TRUE(sawSameMillisecond);
}

TEST_F(Striking, PingsOutOfRangeAreNotMeasured) {
    BellSlot& bell3 = Bell(3);
    // An echo 40 seconds late.
    bell3.upperButton->Click();
    const StrikeFields late = NextStrike();
    Window().strikeSentAt = TowerWindow::NowMs() - 40000;
    Echo(late);
    EXPECT_EQ(Window().lastPing, 0);

    // An echo "before" its strike: the clock passed midnight in between.
    bell3.lowerButton->Click();
    const StrikeFields early = NextStrike();
    EXPECT_EQ(early.ping, 0);  // nothing was measured
    Window().strikeSentAt = TowerWindow::NowMs() + 60000;
    Echo(early);
    EXPECT_EQ(Window().lastPing, 0);
}

TEST_F(Striking, TheSequenceNumberWrapsFrom65535ToZero) {
    Window().strikeSeq = 65534;
    BellSlot& bell4 = Bell(4);
    bell4.upperButton->Click();
    const StrikeFields last = NextStrike();
    EXPECT_EQ(last.sequence, 65535);
    Echo(last);
    EXPECT_GE(Window().lastPing, 1);

    bell4.lowerButton->Click();
    const StrikeFields wrapped = NextStrike();
    EXPECT_EQ(wrapped.sequence, 0);
    EXPECT_EQ(Window().strikeSeq, 0);
    Echo(wrapped);
    EXPECT_GE(Window().lastPing, 1);  // sequence 0 is the latest strike now
}

TEST_F(Striking, ShortStrikesAreReadAsFarAsTheirLengthAllows) {
    BellSlot& bell3 = Bell(3);
    // 10 bytes: bell and stroke only, so the own strike cannot be timed.
    bell3.upperButton->Click();
    const StrikeFields first = NextStrike();
    Echo(StrikeMessage(3, 1, first.sequence, 0, 10), 1, 3);
    EXPECT_EQ(bell3.upperButton->GetWindowText(), "3");
    EXPECT_EQ(Window().lastPing, 0);

    // 12 bytes: the sequence number times it.
    bell3.lowerButton->Click();
    const StrikeFields second = NextStrike();
    Echo(StrikeMessage(3, 0, second.sequence, 0, 12), 0, 3);
    EXPECT_GE(Window().lastPing, 1);

    // Neither carries a reported ping; a 14-byte strike does.
    Echo(StrikeMessage(1, 1, 0, 0, 10), 1, 1);
    Echo(StrikeMessage(1, 0, 0, 0, 12), 0, 1);
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "");
    Echo(StrikeMessage(1, 1, 0, 40, 14), 1, 1);
    EXPECT_EQ(RingerCell(Window(), "Ben", 2), "40 (0) 40 40 40 (0)");
}

TEST_F(Striking, AStrikeWithoutItsStrokeMovesNothingAndEndsTheConnection) {
    MessageBoxRecorder boxes;
    std::string bytes(StrikeMessage(3, 1).Bytes().substr(0, 8));
    bytes[0] = 8;  // the length field says 8: bell, and no stroke
    w.Peer().SendBytes(bytes);
    ASSERT_TRUE(platform::PumpUntil([&] { return Window().HasEnded(); }, 5000));
    EXPECT_TRUE(boxes.Saw("Connection to Server Lost."));
    for (const BellSlot& slot : Window().slots) EXPECT_EQ(slot.stroke, 0) << "bell " << slot.bell;
    EXPECT_EQ(Bell(3).upperButton->GetWindowText(), "&J");
}

}  // namespace
