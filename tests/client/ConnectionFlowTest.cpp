// The send path against a server that stops reading: what the socket refuses
// waits in the send queue, whole, and the write notification sends it once
// there is room again; the server gets every byte once and in order.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "tests/client/support/ClientHarness.h"
#include "tests/client/support/TowerScript.h"

using namespace testsupport;

namespace {

// The server's receive buffer: narrow while it stalls, wide to drain quickly.
constexpr int kNarrowBuffer = 4096;
constexpr int kWideBuffer = 1 << 20;
constexpr std::size_t kStreamBytes = 4u << 20;
constexpr std::size_t kFillLimit = 64u << 20;  // a socket that never refuses fails the test first

// Message i of a stream of Chat and Strike messages, each carrying its number,
// so that a lost, repeated or reordered message changes the bytes.
MessageBuffer NumberedMessage(int i) {
    if (i % 3 == 2) return StrikeMessage(i % wire::kMaxBells + 1, i % 2, i, i / 7);
    return ChatMessage("Ann", "line " + std::to_string(i));
}

// Where two byte streams first differ, for a readable failure.
std::string FirstDifference(const std::string& got, const std::string& want) {
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return "got " + std::to_string(got.size()) + " bytes, want " + std::to_string(want.size()) +
           ", first difference at byte " + std::to_string(at);
}

class ConnectionFlow : public ::testing::Test {
protected:
    void SetUp() override {
        w.Peer().SetReceiveBuffer(kNarrowBuffer);  // before the window connects
        ASSERT_TRUE(w.WaitForConnection());
        ASSERT_EQ(w.TakeBytes(wire::hello::kSize).size(), std::size_t{wire::hello::kSize});
    }

    TowerWindow& Window() { return w.Window(); }

    MessageBuffer QueueNext() {
        const MessageBuffer message = NumberedMessage(count++);
        expected += message.Bytes();
        Window().QueueMessage(message);
        return message;
    }

    // Queues messages, the peer reading nothing, until the socket refuses
    // the whole waiting queue twice running: then it is full. (The client's
    // send buffer grows by itself first, to megabytes on loopback.)
    bool FillSocket() {
        for (int round = 0, refusals = 0; refusals < 2; ++round) {
            if (round == 1000 || expected.size() >= kFillLimit) return false;
            while (Window().sendQueue.Empty() && expected.size() < kFillLimit) QueueNext();
            w.Settle(10);
            const std::size_t before = Window().sendQueue.Length();
            Window().FlushSendQueue();
            refusals = before > 0 && Window().sendQueue.Length() == before ? refusals + 1 : 0;
        }
        return true;
    }

    // The peer reads from now on; `whileReading` runs between reads.
    std::string ReadEverything(const std::function<void()>& whileReading = [] {}) {
        w.Peer().SetReceiveBuffer(kWideBuffer);
        std::string received;
        platform::PumpUntil(
            [&] {
                received += w.Peer().Take(SIZE_MAX);
                whileReading();
                return received.size() >= expected.size() && Window().sendQueue.Empty();
            },
            20000);
        return received;
    }

    MessageBoxRecorder boxes;
    WindowUnderTest w;
    std::string expected;  // every byte queued, in order
    int count = 0;
};

TEST_F(ConnectionFlow, AStalledServerGetsEveryQueuedByteOnceAndInOrder) {
    ASSERT_TRUE(FillSocket()) << "the socket took " << expected.size() << " bytes without refusing any";
    // More join the queue behind the refused bytes.
    while (expected.size() < kStreamBytes) QueueNext();
    w.Settle(100);
    EXPECT_FALSE(Window().sendQueue.Empty()) << "the queue emptied while the server read nothing";

    // Messages queued while the queue drains go behind it too.
    const int lastWhileDraining = count + 500;
    const std::string received = ReadEverything([&] {
        if (count < lastWhileDraining) QueueNext();
    });
    EXPECT_TRUE(received == expected) << FirstDifference(received, expected);
    EXPECT_TRUE(Window().sendQueue.Empty());
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_TRUE(Window().IsRunning());
}

TEST_F(ConnectionFlow, ARefusedSendKeepsTheWholeQueueForTheWriteNotification) {
    ASSERT_TRUE(FillSocket()) << "the socket took " << expected.size() << " bytes without refusing any";
    const MessageBuffer last = QueueNext();
    const std::string waiting(Window().sendQueue.Bytes());
    ASSERT_TRUE(waiting.ends_with(last.Bytes())) << "a message queued behind refused bytes is appended";

    // Now and then the system finds the socket a little room, which a send
    // fills; whatever it refuses stays queued, whole and in order.
    const auto keptWhole = [&] {
        const std::string_view queue = Window().sendQueue.Bytes();
        return !queue.empty() && std::string_view(waiting).ends_with(queue);
    };
    Window().FlushSendQueue();
    EXPECT_EQ(platform::WSAGetLastError(), platform::WSAEWOULDBLOCK);
    EXPECT_TRUE(keptWhole()) << "a refused send lost the queue";
    w.Settle(100);
    EXPECT_TRUE(keptWhole()) << "the queue changed while the server read nothing";
    EXPECT_TRUE(boxes.Texts().empty());

    // Room comes back as the server reads, and the write notification sends the rest.
    const std::string received = ReadEverything();
    EXPECT_TRUE(Window().sendQueue.Empty());
    EXPECT_TRUE(received == expected) << FirstDifference(received, expected);
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
