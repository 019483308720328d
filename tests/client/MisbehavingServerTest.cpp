// A server that misbehaves, played by a scripted peer: one that floods the
// window with what it does not expect, one that reads slowly, one that
// sends a length no message can have.
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
        ASSERT_TRUE(WaitFor([&] { return peer.Accept() && peer.ReadAvailable().size() >= 6; }));
        peer.Take(6);  // Hello
    }

    ScriptedPeer peer;
    // Each box stays open a while, handling messages; the server may send
    // more while it is open.
    std::function<void()> whileBoxOpen;
    MessageBoxRecorder boxes{20, [this] {
                                 if (whileBoxOpen) whileBoxOpen();
                             }};
    DialogScript script;
    std::unique_ptr<TowerWindow> window;
};

TEST_F(MisbehavingServer, AFloodOfUnexpectedTypesNeverPilesBoxesUp) {
    // Whenever a box is open, the server sends another, up to 50.
    int sent = 1;
    whileBoxOpen = [&] {
        if (sent++ < 50) peer.Send(msg::Raw(8, 11));
    };
    peer.Send(msg::Raw(8, 11));
    platform::PumpFor(500);
    EXPECT_EQ(boxes.DeepestNesting(), 1);
    EXPECT_FALSE(boxes.Texts().empty());
    for (const std::string& text : boxes.Texts()) EXPECT_EQ(text, "Incoming message has unexpected message type : 11");
    EXPECT_TRUE(window->IsRunning());  // the connection stays
}

TEST_F(MisbehavingServer, NoticesWhileTheUserChoosesShowOneAtATimeOverTheOneDialog) {
    script.Then(OnDialog<JoinTowerDialog>([&](JoinTowerDialog& join) {
        for (int i = 1; i <= 5; ++i) peer.Send(wire::Build(wire::ServerNotice{"Notice " + std::to_string(i)}));
        platform::PumpFor(500);
        join.userNameEdit.SetWindowText("Ann");
        join.towerNameEdit.SetWindowText("St Mary");
        join.SendCommand(platform::IDOK);
    }));
    peer.Send(wire::Build(wire::TowerListEntry{0, "", ""}));
    ASSERT_TRUE(WaitFor([&] { return peer.ReadAvailable().size() >= wire::startTower::kSize; }));
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Notice 1", "Notice 2", "Notice 3", "Notice 4", "Notice 5"}));
    EXPECT_EQ(boxes.DeepestNesting(), 1);
}

TEST_F(MisbehavingServer, AServerThatReadsSlowlyGetsEveryByteOnceAndInOrder) {
    // Queued while the peer reads nothing: the socket refuses, the queue
    // keeps the rest whole, and write notifications send it as room comes.
    std::string expected;
    int count = 0;
    const auto queueLine = [&] {
        const MessageBuffer line = msg::Chat("Ann", "line " + std::to_string(count++));
        expected += line.Bytes();
        window->QueueMessage(line);
    };
    // The socket's buffer grows to megabytes before it refuses.
    while (window->sendQueue.Empty() && expected.size() < (64u << 20)) queueLine();
    ASSERT_FALSE(window->sendQueue.Empty());
    for (int i = 0; i < 3000; ++i) queueLine();
    platform::PumpFor(100);
    EXPECT_FALSE(window->sendQueue.Empty());
    peer.SetReceiveBuffer(1 << 20);
    std::string received;
    ASSERT_TRUE(
        platform::PumpUntil([&] { return (received += peer.Take(SIZE_MAX)).size() >= expected.size(); }, 20000));
    EXPECT_TRUE(received == expected);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(MisbehavingServer, ALengthShorterThanAHeaderEndsTheRunAsALoss) {
    peer.SendBytes(msg::Header(5, wire::call::kType) + "xx");
    ASSERT_TRUE(WaitFor([&] { return window->HasEnded(); }));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{"Connection to Server Lost."}));
}

}  // namespace
