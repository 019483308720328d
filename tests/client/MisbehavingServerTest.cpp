// A server that misbehaves, played by a scripted peer: it floods the window
// with notices and messages it does not expect, reads slowly, and at last
// sends a length no message can have.
#include "lobby/JoinTowerDialog.h"
#include "tests/client/support/Harness.h"
#include "tests/client/support/ScriptedPeer.h"
#include "tests/support/TestMessages.h"

namespace {

using namespace testsupport;

TEST(MisbehavingServer, FloodsPileNoBoxesUpASlowReaderGetsEveryByteInOrderAndAShortLengthIsALoss) {
    ScriptedPeer peer;
    peer.SetReceiveBuffer(4096);  // a peer that stops reading fills up soon
    // Each box stays open a while, handling messages; while one is open, the
    // server sends a message of a type no server sends, 20 times in all.
    int unexpected = 0;
    MessageBoxRecorder boxes(20, [&] {
        if (unexpected++ < 20) peer.Send(msg::Raw(8, 11));
    });
    DialogScript script;
    auto window = OpenWindow(peer.Port());
    std::string received;  // what the client has sent
    const auto receive = [&](std::size_t bytes, int timeoutMs = 5000) {
        return platform::PumpUntil([&] { return (received += peer.Take()).size() >= bytes; }, timeoutMs);
    };
    ASSERT_TRUE(receive(wire::hello::kSize));

    // Five notices come while the user chooses a tower.
    script.Then(OnDialog<JoinTowerDialog>([&](JoinTowerDialog& join) {
        for (int i = 1; i <= 5; ++i) peer.Send(wire::Build(wire::ServerNotice{"Notice " + std::to_string(i)}));
        platform::PumpFor(500);
        join.userNameEdit.SetWindowText("Ann");
        join.towerNameEdit.SetWindowText("St Mary");
        join.SendCommand(platform::IDOK);
    }));
    peer.Send(wire::Build(wire::TowerListEntry{0, "", ""}));
    ASSERT_TRUE(receive(wire::hello::kSize + wire::startTower::kSize));
    EXPECT_EQ(script.Opened(), 1);
    EXPECT_EQ(boxes.DeepestNesting(), 1);
    Texts texts = boxes.Texts();
    ASSERT_GT(texts.size(), 5u);
    EXPECT_EQ(Texts(texts.begin(), texts.begin() + 5),
              (Texts{"Notice 1", "Notice 2", "Notice 3", "Notice 4", "Notice 5"}));
    for (auto text = texts.begin() + 5; text != texts.end(); ++text)
        EXPECT_EQ(*text, "Incoming message has unexpected message type : 11");

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
    received.clear();
    ASSERT_TRUE(receive(expected.size(), 20000));
    EXPECT_TRUE(received == expected);
    EXPECT_EQ(boxes.Texts(), texts);

    peer.SendBytes(msg::Header(5, wire::call::kType) + "xx");
    ASSERT_TRUE(WaitFor([&] { return window->HasEnded(); }));
    EXPECT_EQ(boxes.Texts().back(), "Connection to Server Lost.");
}

}  // namespace
