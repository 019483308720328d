// Chat lines and the conductor's calls, as users meet them: real windows
// against the real server.
#include <QTest>

#include "lobby/MessagesDialog.h"
#include "tests/client/support/Harness.h"

namespace {

using namespace testsupport;

TEST_F(RealTowerTest, ChatLinesShowEverywhereNewestFirstAndTheConductorsCallsForFiveSeconds) {
    auto ann = Enter("Ann"), ben = Enter("Ben");
    ASSERT_TRUE(ann && ben);

    ben->chatEntry.SetWindowText("Hello");
    ben->sendButton.Click();
    EXPECT_EQ(ben->chatEntry.GetWindowText(), "");
    EXPECT_EQ(WidgetOf(*ben)->focusWidget(), WidgetOf(ben->sendButton));  // keys ring bells again
    ann->chatEntry.SetWindowText("Evening all");
    ann->sendButton.Click();
    const std::string chat = "Ann: Evening all\r\nBen: Hello\r\n";
    ASSERT_TRUE(
        WaitFor([&] { return ann->chatDisplay.GetWindowText() == chat && ben->chatDisplay.GetWindowText() == chat; }));

    // Ann gives message 7 a text; Bells makes her the conductor even when
    // she cancels it, and then her key calls.
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
}

}  // namespace
