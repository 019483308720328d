// The chat line and area, and the calls the message buttons send.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

QString ShownText(TowerWindow& window) {
    return static_cast<QLabel*>(window.chatDisplay.Widget())->text();
}

// Sends the chat messages and waits until the window has taken in the last one.
void Receive(WindowUnderTest& w, const std::vector<MessageBuffer>& messages) {
    for (const MessageBuffer& m : messages) w.Peer().Send(m);
    const std::string last = messages.back().GetString(wire::chat::kName) + ": " +
                             messages.back().GetString(wire::chat::kText) + "\r\n";
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().chatDisplay.GetWindowText().starts_with(last); }, 5000));
}

TEST(ChatArea, ShowsEachLineWithItsWriterNewestOnTop) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();
    EXPECT_EQ(window.chatDisplay.GetWindowText(), "");

    Receive(w, {ChatMessage("Ann", "Hello")});
    EXPECT_EQ(window.chatDisplay.GetWindowText(), "Ann: Hello\r\n");
    Receive(w, {ChatMessage("Ben", "Hi Ann")});
    EXPECT_EQ(window.chatDisplay.GetWindowText(), "Ben: Hi Ann\r\nAnn: Hello\r\n");
    // Each "\r\n" shows as one line break.
    EXPECT_EQ(ShownText(window), "Ben: Hi Ann\nAnn: Hello\n");
    EXPECT_FALSE(SaveScreenshot(window.Widget(), "chat-area").empty());
}

TEST(ChatArea, KeepsOnlyTheNewest4000Bytes) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();

    // 133 lines of 30 bytes each ("Ben: " + 23 characters + "\r\n") make 3990.
    std::vector<MessageBuffer> lines;
    for (int i = 0; i < 133; ++i) {
        std::string text = "line " + std::to_string(i);
        text.resize(23, '.');
        lines.push_back(ChatMessage("Ben", text));
    }
    Receive(w, lines);
    const std::string before = window.chatDisplay.GetWindowText();
    ASSERT_EQ(before.size(), 3990u);

    // A line of 30 bytes in all: the last 20 bytes of the oldest text go.
    Receive(w, {ChatMessage("Ann", "twenty-three characters")});
    const std::string after = window.chatDisplay.GetWindowText();
    EXPECT_EQ(after.size(), 4000u);
    EXPECT_EQ(after, "Ann: twenty-three characters\r\n" + before.substr(0, 3970));
}

TEST(ChatArea, ACutThroughACharacterKeepsTheBytesAsTheyWere) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();

    // 133 lines of 30 bytes, each ending in a two-byte e-acute before its "\r\n".
    std::vector<MessageBuffer> lines;
    for (int i = 0; i < 133; ++i) {
        std::string text = "line " + std::to_string(i);
        text.resize(21, '.');
        lines.push_back(ChatMessage("Ben", text + "\xC3\xA9"));
    }
    Receive(w, lines);
    const std::string before = window.chatDisplay.GetWindowText();
    ASSERT_EQ(before.size(), 3990u);

    // 13 bytes in front put the oldest line's accent across the 4000th byte.
    Receive(w, {ChatMessage("Cy", "all set")});
    const std::string cut = window.chatDisplay.GetWindowText();
    EXPECT_EQ(cut, ("Cy: all set\r\n" + before).substr(0, 4000));
    EXPECT_EQ(cut.back(), '\xC3');
    Receive(w, {ChatMessage("Di", "hi")});
    EXPECT_EQ(window.chatDisplay.GetWindowText(), ("Di: hi\r\n" + cut).substr(0, 4000));
}

TEST(ChatLine, SendPassesTheLineToTheServerAndMovesTheFocusToSend) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}}));
    TowerWindow& window = w.Window();

    // Enter in the empty chat line clicks Send, which sends nothing and leaves the focus.
    window.chatEntry.SetFocus();
    QTest::keyClick(window.chatEntry.Widget(), Qt::Key_Return);
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());
    EXPECT_TRUE(window.chatEntry.HasFocus());

    QTest::keyClicks(window.chatEntry.Widget(), "Look to");
    QTest::keyClick(window.chatEntry.Widget(), Qt::Key_Return);
    const std::vector<MessageBuffer> sent = TakeMessages(w, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(TypeOf(sent[0]), wire::chat::kType);
    EXPECT_EQ(sent[0].Length(), static_cast<std::size_t>(wire::chat::kSize));
    EXPECT_EQ(sent[0].GetString(wire::chat::kName), "Ann");
    EXPECT_EQ(sent[0].GetString(wire::chat::kText), "Look to");
    EXPECT_EQ(window.chatEntry.GetWindowText(), "");
    EXPECT_TRUE(window.sendButton.HasFocus());
    // The line shows only when the server relays it.
    EXPECT_EQ(window.chatDisplay.GetWindowText(), "");
}

TEST(ChatLine, ALineBeforeTheUserHasANameGoesWithAnEmptyNameAndIsCutToItsSlot) {
    WindowUnderTest w;
    ASSERT_TRUE(w.WaitForConnection());
    ASSERT_EQ(w.TakeBytes(wire::hello::kSize).size(), static_cast<std::size_t>(wire::hello::kSize));
    TowerWindow& window = w.Window();
    const std::string longLine(300, 'a');
    window.chatEntry.SetWindowText(longLine);
    window.sendButton.Click();
    const std::vector<MessageBuffer> sent = TakeMessages(w, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].GetString(wire::chat::kName), "");
    EXPECT_EQ(sent[0].GetString(wire::chat::kText), longLine.substr(0, wire::chat::kText.Width()));
}

TEST(MessageButtons, OnlyAConductorsClickSendsACall) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12"}, {"Ben", "34"}}));
    TowerWindow& window = w.Window();
    // Nobody conducts: the buttons show, but Ann's click sends nothing.
    ASSERT_TRUE(window.messageButtons[1]->IsWindowVisible());
    window.messageButtons[1]->Click();  // "Go"
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());

    ASSERT_TRUE(w.SendAndWait(RingerInfoMessage(6, "Ann", "12", true),
                              [&] { return window.ringers.RingerFor("Ann").conductor; }));
    const std::string statusBefore = window.statusLine.GetWindowText();
    window.messageButtons[4]->Click();  // "Bob"
    const std::vector<MessageBuffer> sent = TakeMessages(w, 1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(TypeOf(sent[0]), wire::call::kType);
    EXPECT_EQ(sent[0].Length(), static_cast<std::size_t>(wire::call::kSize));
    EXPECT_EQ(sent[0].GetString(wire::call::kText), "Bob");
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());
    EXPECT_EQ(window.statusLine.GetWindowText(), statusBefore);  // shown when the server relays it

    // The letter on a button calls it from the keyboard.
    window.settingsButton.SetFocus();
    QTest::keyClick(window.settingsButton.Widget(), 'y');
    const std::vector<MessageBuffer> single = TakeMessages(w, 1);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].GetString(wire::call::kText), "Single");
}

TEST(MessageButtons, ButtonsSevenAndEightStartBlankAndSendNothing) {
    WindowUnderTest w;
    ASSERT_TRUE(EnterTower(w, "Ann", 6, {{"Ann", "12", true}}));
    TowerWindow& window = w.Window();
    EXPECT_EQ(window.messageButtons[6]->GetWindowText(), "");
    EXPECT_EQ(window.messageButtons[7]->GetWindowText(), "");
    window.messageButtons[6]->Click();
    window.messageButtons[7]->Click();
    EXPECT_TRUE(TakeMessagesWithin(w, 100).empty());
}

}  // namespace
