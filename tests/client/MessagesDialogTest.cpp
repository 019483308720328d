// "Set Messages": the texts of the eight message buttons, edited together.
#include <gtest/gtest.h>

#include <QTest>

#include "lobby/MessagesDialog.h"
#include "platform/EventLoop.h"
#include "resources/ResourceIds.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

const std::array<std::string, 8> kDefaultTexts = {"Here's treble", "Go", "That's All", "Stand", "Bob", "Single", "", ""};

std::array<std::string, 8> Captions(TowerWindow& window) {
    std::array<std::string, 8> captions;
    for (int k = 0; k < 8; ++k) captions[k] = window.messageButtons[k]->GetWindowText();
    return captions;
}

TEST(MessagesDialog, OpensWithTheCurrentTextsAndOkRelabelsTheButtons) {
    WindowUnderTest w;
    TowerWindow& window = w.Window();
    DialogScript script;
    std::array<std::string, 8> shown;
    script.Then([&](platform::Dialog& d) {
        auto* dialog = dynamic_cast<MessagesDialog*>(&d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(d.Widget()->windowTitle().toStdString(), "Set Messages");
        EXPECT_EQ(d.Template().id, ids::IDD_MESSAGES);
        for (int k = 0; k < 8; ++k) {
            ASSERT_NE(d.GetDlgItem(ids::kMessageEdits[k]), nullptr) << k;
            shown[k] = d.GetDlgItem(ids::kMessageEdits[k])->GetWindowText();
        }
        EXPECT_EQ(d.GetDlgItem(1027), nullptr);  // the ids skip 1027
        // Once the dialog is active, the first edit has the focus.
        EXPECT_TRUE(platform::PumpUntil([&] { return d.Widget()->isActiveWindow(); }, 2000));
        EXPECT_TRUE(dialog->messageEdits[0].HasFocus());
        EXPECT_FALSE(SaveScreenshot(d.Widget(), "messages-dialog").empty());

        QTest::keyClicks(dialog->messageEdits[6].Widget(), "Plain Bob");
        dialog->messageEdits[0].SetWindowText("");
        dialog->messageEdits[3].SetWindowText("  Stand next  ");
        d.SendCommand(platform::IDOK);
    });
    window.messagesButton.Click();
    ASSERT_EQ(script.Opened(), 1);
    EXPECT_EQ(shown, kDefaultTexts);

    EXPECT_EQ(window.messageTexts[6], "Plain Bob");
    EXPECT_EQ(window.messageTexts[3], "  Stand next  ");  // as typed, not trimmed
    EXPECT_EQ(window.messageButtons[6]->GetWindowText(), "&u Plain Bob");
    EXPECT_EQ(window.messageButtons[3]->GetWindowText(), "&r   Stand next  ");
    EXPECT_EQ(window.messageButtons[0]->GetWindowText(), "");
    EXPECT_EQ(window.messageButtons[1]->GetWindowText(), "&w Go");
}

TEST(MessagesDialog, CancelLeavesEveryTextAndCaptionAsItWas) {
    WindowUnderTest w;
    TowerWindow& window = w.Window();
    const std::array<std::string, 8> captions = Captions(window);
    DialogScript script;
    script.Then([](platform::Dialog& d) {
        auto& dialog = dynamic_cast<MessagesDialog&>(d);
        for (platform::Edit& edit : dialog.messageEdits) edit.SetWindowText("changed");
        dialog.messageEdits[2].SetFocus();
        QTest::keyClick(dialog.messageEdits[2].Widget(), Qt::Key_Escape);
    });
    window.messagesButton.Click();
    ASSERT_EQ(script.Opened(), 1);
    EXPECT_EQ(window.messageTexts, kDefaultTexts);
    EXPECT_EQ(Captions(window), captions);
}

TEST(MessagesDialog, ChatLinesAndCallsShowBehindTheOpenDialog) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();
    DialogScript script;
    script.Then([&](platform::Dialog& d) {
        EXPECT_TRUE(w.SendAndWait(ChatMessage("Ben", "Ready?"),
                                  [&] { return window.chatDisplay.GetWindowText() == "Ben: Ready?\r\n"; }));
        EXPECT_TRUE(w.SendAndWait(CallMessage("Go"), [&] { return window.statusLine.GetWindowText() == "Go"; }));
        EXPECT_TRUE(d.IsRunning());
        d.SendCommand(platform::IDCANCEL);
    });
    window.messagesButton.Click();
    EXPECT_EQ(script.Opened(), 1);
}

}  // namespace
