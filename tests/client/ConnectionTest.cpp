// The connection against a scripted server on a loopback socket: the first
// bytes, framing of what arrives, unknown types, failures and loss.
#include <gtest/gtest.h>

#include "tests/client/support/ClientHarness.h"

using testsupport::MessageBoxRecorder;
using testsupport::WindowUnderTest;

namespace {

// A header-only message of an arbitrary type, padded to `length` bytes.
MessageBuffer Raw(std::uint16_t type, int length = 6) {
    MessageBuffer m;
    m.Create(length, type, 1);
    return m;
}

std::string Unexpected(int type) {
    return "Incoming message has unexpected message type : " + std::to_string(type);
}

class Connection : public ::testing::Test {
protected:
    bool Connect() { return w.WaitForConnection() && w.TakeBytes(6) == std::string("\x06\x00\x01\x00\x01\x00", 6); }
    bool WaitForBoxes(std::size_t n) {
        return platform::PumpUntil([&] { return boxes.Texts().size() >= n; }, 5000);
    }
    MessageBoxRecorder boxes;
    WindowUnderTest w;
};

TEST_F(Connection, HelloIsTheFirstSixBytes) {
    ASSERT_TRUE(Connect());
    w.Settle(50);
    EXPECT_EQ(w.Peer().ReadAvailable(), "");  // nothing else unasked
    EXPECT_TRUE(w.Window().IsRunning());
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(Connection, TwoMessagesInOneBlockAreBothHandledInOrder) {
    ASSERT_TRUE(Connect());
    MessageBuffer both = Raw(11, 8);
    both.Append(Raw(12, 8));
    w.Peer().Send(both);
    ASSERT_TRUE(WaitForBoxes(2));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{Unexpected(11), Unexpected(12)}));
    EXPECT_TRUE(w.Window().IsRunning());  // an unknown type leaves the connection standing
}

TEST_F(Connection, AMessageSplitOverBlocksWaitsForItsLastByte) {
    ASSERT_TRUE(Connect());
    const MessageBuffer whole = Raw(1, 40);
    w.Peer().SendBytes(whole.Bytes().substr(0, 20));
    w.Settle(100);
    EXPECT_TRUE(boxes.Texts().empty());
    w.Peer().SendBytes(whole.Bytes().substr(20));
    ASSERT_TRUE(WaitForBoxes(1));
    EXPECT_EQ(boxes.Texts()[0], Unexpected(1));
}

TEST_F(Connection, AShortMessageWaitsUntilEightBytesAreBuffered) {
    ASSERT_TRUE(Connect());
    w.Peer().Send(Raw(8));  // six bytes alone stay in the buffer
    w.Settle(150);
    EXPECT_TRUE(boxes.Texts().empty());
    w.Peer().Send(Raw(11));  // now twelve: the first goes, the second waits
    ASSERT_TRUE(WaitForBoxes(1));
    w.Settle(100);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{Unexpected(8)});
    EXPECT_EQ(w.Window().receiveBuffer.Length(), 6u);
}

TEST_F(Connection, ALengthBelowTheHeaderEndsTheRunAsALoss) {
    ASSERT_TRUE(Connect());
    w.Peer().SendBytes(std::string("\x02\x00\x0B\x00\x01\x00\x00\x00", 8));
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Connection to Server Lost."});
    EXPECT_TRUE(w.Window().receiveBuffer.Empty());
    EXPECT_EQ(w.Window().connSocket, platform::INVALID_SOCKET);
    EXPECT_TRUE(platform::PumpUntil([&] { return w.Peer().PeerClosed(); }, 5000));
}

TEST_F(Connection, TheServerClosingEndsTheRunAfterWhatItSentBefore) {
    ASSERT_TRUE(Connect());
    w.Peer().Send(Raw(11, 8));
    w.Peer().SendBytes(std::string("\x40\x00\x02\x00", 4));  // half a message
    w.Peer().Close();
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{Unexpected(11), "Connection to Server Lost."}));
    EXPECT_EQ(w.Window().Result(), platform::IDCANCEL);
    EXPECT_TRUE(w.Window().receiveBuffer.Empty());
}

TEST_F(Connection, AResetConnectionIsALoss) {
    ASSERT_TRUE(Connect());
    w.Peer().Reset();
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Connection to Server Lost."});
}

TEST_F(Connection, MessagesQueuedLeaveInOrder) {
    ASSERT_TRUE(Connect());
    MessageBuffer first = Raw(20, 10), second = Raw(21, 12);
    w.Window().QueueMessage(first);
    w.Window().QueueMessage(second);
    EXPECT_EQ(w.TakeBytes(22), std::string(first.Bytes()) + std::string(second.Bytes()));
}

TEST(ConnectionFailure, ARefusedConnectionEndsTheRun) {
    MessageBoxRecorder boxes;
    WindowUnderTest w;
    w.Peer().StopListening();  // before the start-up timer connects
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Connection to server failed"});
    EXPECT_EQ(w.Window().connSocket, platform::INVALID_SOCKET);
}

TEST(ConnectionFailure, AnUnknownHostEndsTheRun) {
    MessageBoxRecorder boxes;
    WindowUnderTest w;
    w.Window().serverHost = "";  // a name no lookup can answer
    ASSERT_TRUE(platform::PumpUntil([&] { return w.Window().HasEnded(); }, 5000));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Internet connection not found"});
}

TEST(ConnectionFailure, TheConnectTimerConnectsOnlyOnce) {
    MessageBoxRecorder boxes;
    WindowUnderTest w;
    ASSERT_TRUE(w.WaitForConnection());
    w.Settle(200);
    w.Peer().Accept();
    EXPECT_EQ(w.Peer().Accepted(), 1);
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
