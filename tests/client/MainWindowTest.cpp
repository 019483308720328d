// The main window as the user first sees it, and how its run ends.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QTest>

#include "resources/ResourceIds.h"
#include "tests/client/support/ClientHarness.h"

using testsupport::WindowUnderTest;

namespace {

TEST(MainWindow, OpensWithTheTemplateControlsAndStartValues) {
    WindowUnderTest w;
    TowerWindow& window = w.Window();
    ASSERT_TRUE(window.IsRunning());
    EXPECT_EQ(window.Widget()->windowTitle().toStdString(), "Tolmer");

    for (const platform::ControlTemplate& c : window.Template().controls) ASSERT_NE(window.GetDlgItem(c.id), nullptr) << c.id;
    for (int i = 0; i < 12; ++i) {
        EXPECT_FALSE(window.slots[i].upperButton->IsWindowVisible()) << i;
        EXPECT_FALSE(window.slots[i].lowerButton->IsWindowVisible()) << i;
        EXPECT_EQ(window.slots[i].bell, 0);
    }
    EXPECT_EQ(window.statusLine.GetWindowText(), "Welcome to Tolmer");
    ASSERT_EQ(window.ringerListView.GetColumnCount(), 3);
    EXPECT_EQ(window.ringerListView.GetColumnTitle(0), "Name");
    EXPECT_EQ(window.ringerListView.GetColumnTitle(1), "Bells");
    EXPECT_EQ(window.ringerListView.GetColumnTitle(2), "Ping (ms) - Min (offset), Ave, RMS, Max (offset) - last 100");
    EXPECT_EQ(window.serverHost, "localhost");
    EXPECT_EQ(window.bellWeight, 1);
    EXPECT_EQ(window.showNumbers, 1);
    EXPECT_EQ(window.sounds.size(), 13u);

    // Message buttons 1 to 6 carry their letters; 7 and 8 start blank.
    EXPECT_EQ(window.messageButtons[0]->GetWindowText(), "&q Here's treble");
    EXPECT_EQ(window.messageButtons[4]->GetWindowText(), "&t Bob");
    EXPECT_EQ(window.messageButtons[6]->GetWindowText(), "");
    EXPECT_EQ(window.messageButtons[7]->GetWindowText(), "");

    // Dialog units follow the dialog font: the window and a bell button keep their proportions.
    const QRect button = window.DialogUnitsToPixels(436, 112, 34, 27);
    EXPECT_EQ(window.slots[0].upperButton->Widget()->geometry(), button);
    EXPECT_GT(window.Widget()->width(), window.Widget()->height());
    EXPECT_FALSE(testsupport::SaveScreenshot(window.Widget(), "main-window").empty());
}

TEST(MainWindow, EscapeEndsTheRunWithCancel) {
    WindowUnderTest w;
    QTest::keyClick(w.Window().Widget(), Qt::Key_Escape);
    EXPECT_TRUE(w.Window().HasEnded());
    EXPECT_EQ(w.Window().Result(), platform::IDCANCEL);
}

TEST(MainWindow, TheCloseBoxEndsTheRunWithCancel) {
    WindowUnderTest w;
    w.Window().Widget()->close();
    EXPECT_TRUE(w.Window().HasEnded());
    EXPECT_EQ(w.Window().Result(), platform::IDCANCEL);
}

TEST(MainWindow, TheConnectTimerFiresOnceAndTheCallTimerClearsTheStatusLine) {
    WindowUnderTest w;
    TowerWindow& window = w.Window();
    EXPECT_TRUE(window.IsTimerRunning(TIMER_CONNECT));
    w.Settle(50);
    EXPECT_FALSE(window.IsTimerRunning(TIMER_CONNECT));

    window.statusLine.SetWindowText("Bob");
    window.SetTimer(TIMER_CALL, 20);
    ASSERT_TRUE(platform::PumpUntil([&] { return window.statusLine.GetWindowText().empty(); }, 2000));
    EXPECT_FALSE(window.IsTimerRunning(TIMER_CALL));
}

}  // namespace
