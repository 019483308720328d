// A server that misbehaves, played by a scripted peer: one that floods the
// window with notices and messages it does not expect, one that sends a
// length no message can have, one that reads slowly.
#include "lobby/JoinTowerDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/client/support/ScriptedPeer.h"
#include "tests/support/TestMessages.h"

namespace {

using namespace testsupport;

class MisbehavingServer : public testing::Test {
protected:
    void SetUp() override {
        peer.SetReceiveBuffer(4096);  // a peer that stops reading fills up soon
        window = OpenWindow(peer.Port());
        ASSERT_TRUE(WaitFor([&] { return (received += peer.Take()).size() >= wire::hello::kSize; }));
        received.clear();
    }

    ScriptedPeer peer;
    std::string received;  // what the client has sent
    // Each box stays open a while, handling messages; the server may send
    // more while it is open.
    std::function<void()> whileBoxOpen;
    MessageBoxRecorder boxes{20, [this] {
                                 if (whileBoxOpen) whileBoxOpen();
                             }};
    DialogScript script;
    std::unique_ptr<TowerWindow> window;
};

TEST_F(MisbehavingServer, FloodsNeverPileBoxesOrDialogsUpAndALengthShorterThanAHeaderIsALoss) {
    // While the user chooses a tower, five notices come, and then a message
    // of a type no server sends whenever a box is open, up to 20.
    int unexpected = 0;
    whileBoxOpen = [&] {
        if (unexpected++ < 20) peer.Send(msg::Raw(8, 11));
    };
    script.Then(OnDialog<JoinTowerDialog>([&](JoinTowerDialog& join) {
        for (int i = 1; i <= 5; ++i) peer.Send(wire::Build(wire::ServerNotice{"Notice " + std::to_string(i)}));
        platform::PumpFor(500);
        join.userNameEdit.SetWindowText("Ann");
        join.towerNameEdit.SetWindowText("St Mary");
        join.SendCommand(platform::IDOK);
    }));
    peer.Send(wire::Build(wire::TowerListEntry{0, "", ""}));
    ASSERT_TRUE(WaitFor([&] { return (received += peer.Take()).size() >= wire::startTower::kSize; }));
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_EQ(boxes.DeepestNesting(), 1);
    const Texts& texts = boxes.Texts();
    ASSERT_GT(texts.size(), 5u);
    EXPECT_EQ(Texts(texts.begin(), texts.begin() + 5),
              (Texts{"Notice 1", "Notice 2", "Notice 3", "Notice 4", "Notice 5"}));
    for (auto text = texts.begin() + 5; text != texts.end(); ++text)
        EXPECT_EQ(*text, "Incoming message has unexpected message type : 11");

    peer.SendBytes(msg::Header(5, wire::call::kType) + "xx");
    ASSERT_TRUE(WaitFor([&] { return window->HasEnded(); }));
    EXPECT_EQ(boxes.Texts().back(), "Connection to Server Lost.");
}

TEST_F(MisbehavingServer, AServerThatReadsSlowlyGetsEveryByteOnceAndInOrder) {
    // Queued while the peer reads nothing: the socket refuses (its buffer
    // grows to megabytes first), the queue keeps the rest whole, and write
    // notifications send it as room comes.
    std::string expected;
    for (int line = 0, waiting = 0; waiting < 3000 && expected.size() < (64u << 20); ++line) {
        const MessageBuffer chat = msg::Chat("Ann", "line " + std::to_string(line));
        expected += chat.Bytes();
        window->QueueMessage(chat);
        if (!window->sendQueue.Empty()) ++waiting;
    }
    platform::PumpFor(100);
    ASSERT_FALSE(window->sendQueue.Empty());
    peer.SetReceiveBuffer(1 << 20);
    ASSERT_TRUE(platform::PumpUntil([&] { return (received += peer.Take()).size() >= expected.size(); }, 20000));
    EXPECT_TRUE(received == expected);
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
