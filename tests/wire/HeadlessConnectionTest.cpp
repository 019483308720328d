// A program without a window reads the server through HeadlessConnection:
// whole messages dispatched by type, in order, however the bytes arrive; a
// stream that no server sends ends the connection with its reason.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/HeadlessConnection.h"
#include "tests/client/support/ScriptedPeer.h"
#include "tests/platform/LoopbackListener.h"

namespace {

using namespace std::chrono_literals;

// Writes down each message it is handed.
class Recorder final : public wire::ServerMessageHandler {
public:
    void OnRingerInfo(const wire::RingerInfo& m) override { Add("RingerInfo " + std::string(m.name)); }
    void OnCall(const wire::Call& m) override { Add("Call " + std::string(m.text)); }
    void OnStrike(const wire::Strike& m) override { Add("Strike " + std::to_string(m.bell)); }
    void OnRingerLeft(const wire::RingerLeft& m) override { Add("RingerLeft " + std::string(m.name)); }
    void OnChat(const wire::Chat& m) override { Add("Chat " + std::string(m.line)); }
    void OnTowerListEntry(const wire::TowerListEntry& m) override { Add("TowerListEntry " + std::string(m.name)); }
    void OnTowerEntered(const wire::TowerEntered& m) override { Add("TowerEntered " + std::string(m.tower)); }
    void OnServerNotice(const wire::ServerNotice& m) override { Add("ServerNotice " + std::string(m.text)); }
    std::vector<std::string> heard;

private:
    void Add(std::string line) { heard.push_back(std::move(line)); }
};

// A scripted peer standing in for the server, and one connection to it.
class HeadlessConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.emplace();
        std::string error;
        connection_ = HeadlessConnection::Open("127.0.0.1", server_->Port(), 2s, error);
        ASSERT_TRUE(connection_) << error;
        ASSERT_TRUE(server_->Accept());
    }

    // Reads until `count` messages were handed over or the connection ended.
    void ReceiveUntil(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (recorder_.heard.size() < count && connection_->IsOpen() && std::chrono::steady_clock::now() < deadline) {
            pollfd waiting{connection_->Descriptor(), POLLIN, 0};
            if (::poll(&waiting, 1, 100) > 0) connection_->Receive(recorder_);
        }
    }

    std::optional<testsupport::ScriptedPeer> server_;
    std::unique_ptr<HeadlessConnection> connection_;
    Recorder recorder_;
};

TEST_F(HeadlessConnectionTest, HandsOverWholeMessagesInOrderHoweverTheyArrive) {
    const std::string stream = std::string(wire::Build(wire::TowerEntered{"St Mary"}).Bytes()) +
                               std::string(wire::Build(wire::Strike{5, 1, 7, 0}).Bytes()) +
                               std::string(wire::Build(wire::Hello{}).Bytes()) +  // no server sends it: dropped
                               std::string(wire::Build(wire::Chat{"Ann", "Look to"}).Bytes()) +
                               std::string(wire::Build(wire::Call{"Bob"}).Bytes());
    server_->SendBytes(stream.substr(0, 95));  // the tower entered (86 bytes) and part of the strike
    ReceiveUntil(1);
    EXPECT_EQ(recorder_.heard, std::vector<std::string>{"TowerEntered St Mary"});
    server_->SendBytes(stream.substr(95));
    ReceiveUntil(4);
    EXPECT_EQ(recorder_.heard,
              (std::vector<std::string>{"TowerEntered St Mary", "Strike 5", "Chat Look to", "Call Bob"}));
    EXPECT_EQ(connection_->DroppedMessages(), 1);
    EXPECT_TRUE(connection_->IsOpen());

    // What it sends arrives whole and in order.
    connection_->Send(wire::Build(wire::Hello{}).Bytes());
    connection_->Send(wire::Build(wire::Strike{3, 0, 1, 0}).Bytes());
    for (const auto deadline = std::chrono::steady_clock::now() + 2s;
         server_->ReadAvailable().size() < 20 && std::chrono::steady_clock::now() < deadline;)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(server_->ReadAvailable(), std::string(wire::Build(wire::Hello{}).Bytes()) +
                                            std::string(wire::Build(wire::Strike{3, 0, 1, 0}).Bytes()));
}

TEST_F(HeadlessConnectionTest, WhatNoServerSendsOrTheServerLeavingEndsItWithItsReason) {
    // A RingerInfo cut off after its bell count: shorter than its fields.
    MessageBuffer cut = wire::Build(wire::RingerInfo{6, "Ann", "12", false}).Left(10);
    cut.PutU16(wire::kLengthOffset, 10);
    const std::pair<std::string, std::string> cases[] = {
        {std::string(wire::Build(wire::Call{"Go"}).Bytes()) + std::string(cut.Bytes()),
         "the server sent a message of type 2 shorter than its fields"},
        {std::string("\x04\x00\x04\x00\x01\x00\x00\x00", 8), "the server sent a message of length 4"},
        {"", "the server closed the connection"},
    };
    for (const auto& [stream, reason] : cases) {
        if (stream.empty()) server_.reset();
        else server_->SendBytes(stream);
        ReceiveUntil(recorder_.heard.size() + 2);
        EXPECT_FALSE(connection_->IsOpen());
        EXPECT_EQ(connection_->CloseReason(), reason);
        SetUp();  // a new connection for the next
    }
    EXPECT_EQ(recorder_.heard, std::vector<std::string>{"Call Go"});  // what came before the cut one
}

TEST(HeadlessConnection, SaysWhyItCannotConnect) {
    std::string error;
    const sockettest::LoopbackListener deaf(AF_INET, false);  // bound, refusing connections
    EXPECT_FALSE(HeadlessConnection::Open("127.0.0.1", deaf.Port(), 2s, error));
    EXPECT_EQ(error, "Connection refused");
    EXPECT_FALSE(HeadlessConnection::Open("no-such-host.invalid", 17481, 2s, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
