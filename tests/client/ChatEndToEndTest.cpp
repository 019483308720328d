// Chat and calls with the real server: what one window sends shows in every
// window of the tower, the sender's too.
#include <gtest/gtest.h>

#if defined(TOLMER_HAVE_SERVER) && defined(TOLMER_SERVER_BINARY)

#include <QTest>

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"
#include "tests/support/ServerProcess.h"

using namespace testsupport;

namespace {

// Ann and Ben in one tower; Ann conducts.
class ChatEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start(TOLMER_SERVER_BINARY)) << server.Error();
        ann = EnterRealTower(server.Port(), script, "Ann", "St Mary");
        ASSERT_NE(ann, nullptr);
        ben = EnterRealTower(server.Port(), script, "Ben", "St Mary");
        ASSERT_NE(ben, nullptr);
        ASSERT_TRUE(platform::PumpUntil([&] { return ann->ringers.FindRinger("Ben") != nullptr; }, 5000));
        ASSERT_TRUE(AllocateBells(*ann, script, {"Ann", "Ann", "Ben", "Ben"}, "Ann"));
        ASSERT_TRUE(platform::PumpUntil(
            [&] {
                const Ringer* conductor = ben->ringers.FindRinger("Ann");
                return conductor != nullptr && conductor->conductor && ann->ringers.RingerFor("Ann").conductor;
            },
            5000));
        // Let the windows settle after the dialogs, so no late activation change rewrites the status line.
        platform::PumpFor(100);
    }
    void TearDown() override { EXPECT_TRUE(boxes.Texts().empty()) << boxes.Texts().front(); }

    ServerProcess server;  // outlives the windows
    DialogScript script;
    MessageBoxRecorder boxes;
    std::unique_ptr<TowerWindow> ann;
    std::unique_ptr<TowerWindow> ben;
};

TEST_F(ChatEndToEnd, TheConductorsCallShowsOnEveryStatusLine) {
    EXPECT_FALSE(ben->messageButtons[4]->IsWindowVisible());  // the calls are Ann's
    ann->messageButtons[4]->Click();                          // "Bob"
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return ann->statusLine.GetWindowText() == "Bob" && ben->statusLine.GetWindowText() == "Bob"; }, 5000));
    EXPECT_TRUE(ann->IsTimerRunning(TIMER_CALL));
    EXPECT_TRUE(ben->IsTimerRunning(TIMER_CALL));
}

TEST_F(ChatEndToEnd, AChatLineAppearsInEveryWindowTheSendersToo) {
    ben->Widget()->activateWindow();
    ASSERT_TRUE(platform::PumpUntil([&] { return ben->Widget()->isActiveWindow(); }, 2000));
    ben->chatEntry.SetFocus();
    ben->chatEntry.SetWindowText("Look to");
    QTest::keyClick(ben->chatEntry.Widget(), Qt::Key_Return);
    ASSERT_TRUE(platform::PumpUntil(
        [&] {
            return ann->chatDisplay.GetWindowText() == "Ben: Look to\r\n" &&
                   ben->chatDisplay.GetWindowText() == "Ben: Look to\r\n";
        },
        5000));
    EXPECT_EQ(ben->chatEntry.GetWindowText(), "");

    ann->chatEntry.SetWindowText("Treble's going");
    ann->sendButton.Click();
    ASSERT_TRUE(platform::PumpUntil(
        [&] { return ben->chatDisplay.GetWindowText() == "Ann: Treble's going\r\nBen: Look to\r\n"; }, 5000));
    EXPECT_EQ(ann->chatDisplay.GetWindowText(), ben->chatDisplay.GetWindowText());
}

}  // namespace

#endif
