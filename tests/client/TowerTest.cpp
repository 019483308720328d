// A band in one tower of the real server, as users meet it: chat, the
// conductor's calls, allocating the bells and ringing them. Ann and Ben have
// windows; Zoé's client is a plain connection that sends her name in
// Latin-1 (not UTF-8, legal on the wire).
#include <QTest>

#include "lobby/MessagesDialog.h"
#include "ringing/ControlsDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/support/TestMessages.h"
#include "tower/BellsDialog.h"

namespace {

using namespace testsupport;

int StrokeOf(const TowerWindow& window, int bell) { return window.session.slots[ColumnOf(window, bell)].stroke; }

TEST_F(RealTowerTest, ABandChatsCallsAllocatesTheBellsAndRingsThemAndEveryWindowShowsTheSame) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);
    const std::string zoe = "Zo\xe9", shown = platform::qt::FromQt(platform::qt::ToQt(zoe));
    TestClient zoeLink = JoinAsTestClient(server.Port(), zoe);

    // Chat lines show everywhere, newest first; after Send, keys ring bells again.
    ben->chatEntry.SetWindowText("Hello");
    ben->sendButton.Click();
    EXPECT_EQ(ben->chatEntry.GetWindowText(), "");
    EXPECT_EQ(WidgetOf(*ben)->focusWidget(), WidgetOf(ben->sendButton));
    ann->chatEntry.SetWindowText("Evening all");
    ann->sendButton.Click();
    const std::string chat = "Ann: Evening all\r\nBen: Hello\r\n";
    ASSERT_TRUE(
        WaitFor([&] { return ann->chatDisplay.GetWindowText() == chat && ben->chatDisplay.GetWindowText() == chat; }));

    // Ann gives message 7 a text; Bells makes her the conductor even when
    // she cancels it, and then her key calls, for five seconds.
    script.Then(OnDialog<MessagesDialog>([](MessagesDialog& messages) {
        messages.messageEdits[6].SetWindowText("Look to");
        EXPECT_TRUE(SaveScreenshot(WidgetOf(messages), "messages-dialog"));
        messages.SendCommand(platform::IDOK);
    }));
    ann->messagesButton.Click();
    EXPECT_EQ(ann->messageButtons[6].GetWindowText(), "&u Look to");
    ann->bellsButton.Click();
    ASSERT_TRUE(WaitFor([&] { return !ben->bellsButton.IsWindowVisible(); }));
    QTest::keyClick(WidgetOf(ann->settingsButton), 'u');
    ASSERT_TRUE(WaitFor(
        [&] { return ann->statusLine.GetWindowText() == "Look to" && ben->statusLine.GetWindowText() == "Look to"; }));
    EXPECT_GT(ben->TimerRemainingMs(TIMER_CALL), 4000);
    ben->OnTimer(TIMER_CALL);
    EXPECT_EQ(ben->statusLine.GetWindowText(), "");

    // Ann allocates eight bells and hands the conducting to Zoé; a gap is
    // refused and the dialog stays open.
    script.Then(OnDialog<BellsDialog>([&](BellsDialog& bells) {
        const Texts byBell = {"Ann", "Ann", "Ann", "Ann", "Ben", "Ben", "Ben", shown};
        for (const int bell : {0, 1, 3}) ChooseEntry(*bells.bellCombos[bell], byBell[bell]);
        bells.SendCommand(platform::IDOK);
        EXPECT_EQ(boxes.Texts(), Texts{"A continuous set of bells starting with 1 must be selected"});
        for (std::size_t bell = 0; bell < byBell.size(); ++bell)
            ASSERT_TRUE(ChooseEntry(*bells.bellCombos[bell], byBell[bell]));
        ASSERT_TRUE(ChooseEntry(bells.conductorCombo, shown));
        EXPECT_TRUE(SaveScreenshot(WidgetOf(bells), "bells-dialog"));
        bells.SendCommand(platform::IDOK);
    }));
    ann->bellsButton.Click();
    // Every window changes when the records come back; the others' conductor
    // controls hide; Zoé's own client gets her record with her bytes.
    const Texts rows = {"Ann|1234|", "Ben|567|", shown + "|8 (c)|"};
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann) == rows && Rows(*ben) == rows; }));
    EXPECT_FALSE(ann->bellsButton.IsWindowVisible() || ben->messagesButton.IsWindowVisible());
    std::optional<MessageBuffer> record;
    while ((record = zoeLink.ReceiveType(wire::ringerInfo::kType)) &&
           msg::ReadRingerInfo(*record) != msg::RingerRecord{8, zoe, "8", true}) {}
    EXPECT_TRUE(record) << "no record of Zo\\xe9 on bell 8, conducting";

    // Ann clicks bell 1's button to ring next; Ben presses the key shown on bell 5's.
    const auto everyone = [&](int bell, int stroke) {
        return WaitFor([&] { return StrokeOf(*ann, bell) == stroke && StrokeOf(*ben, bell) == stroke; });
    };
    ann->upperBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 1));
    EXPECT_EQ(ben->upperBellButtons[ColumnOf(*ben, 5)].GetWindowText(), "&K");
    QTest::keyClick(WidgetOf(ben->settingsButton), 'k');
    ASSERT_TRUE(everyone(5, 1));
    // Ann's own echo was timed; her next strike reports it and fills her ping column everywhere.
    ann->lowerBellButtons[ColumnOf(*ann, 1)].Click();
    ASSERT_TRUE(everyone(1, 0));
    EXPECT_NE(Rows(*ben)[0], rows[0]);

    // Zoé leaves, and the bells are laid out again.
    zoeLink.Close();
    ASSERT_TRUE(WaitFor([&] { return Rows(*ann).size() == 2 && StrokeOf(*ann, 1) == 0 && StrokeOf(*ann, 5) == 0; }));
    EXPECT_TRUE(SaveScreenshot(WidgetOf(*ann), "tower-of-eight"));
    // One key per bell: the same key rings both strokes; numbers hidden show X.
    script.Then(OnDialog<ControlsDialog>([](ControlsDialog& controls) {
        controls.keyboardCombo.SetCurSel(1);
        controls.numbersCombo.SetCurSel(0);
        EXPECT_TRUE(SaveScreenshot(WidgetOf(controls), "controls-dialog"));
        controls.SendCommand(platform::IDOK);
    }));
    ann->settingsButton.Click();
    EXPECT_EQ(ann->lowerBellButtons[ColumnOf(*ann, 4)].GetWindowText(), "X");
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 1));
    QTest::keyClick(WidgetOf(ann->settingsButton), 's');
    ASSERT_TRUE(everyone(4, 0));
}

}  // namespace
