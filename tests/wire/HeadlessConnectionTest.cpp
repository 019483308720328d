// A program without a window reads the server through HeadlessConnection:
// whole messages dispatched by type, in order, however the bytes arrive; a
// stream that no server sends ends the connection with its reason.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "net/HeadlessConnection.h"

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

// A listening socket standing in for the server, and one connection to it.
class HeadlessConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), length), 0);
        ASSERT_EQ(::listen(listener_, 1), 0);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        std::string error;
        connection_ = HeadlessConnection::Open("127.0.0.1", ntohs(address.sin_port), 2s, error);
        ASSERT_TRUE(connection_) << error;
        server_ = ::accept(listener_, nullptr, nullptr);
        ASSERT_GE(server_, 0);
    }
    void TearDown() override {
        for (const int fd : {server_, listener_})
            if (fd >= 0) ::close(fd);
    }

    void ServerSends(std::string_view bytes) {
        ASSERT_EQ(::send(server_, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    }

    // Reads until `count` messages were handed over or the connection ended.
    void ReceiveUntil(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (recorder_.heard.size() < count && connection_->IsOpen() && std::chrono::steady_clock::now() < deadline) {
            pollfd waiting{connection_->Descriptor(), POLLIN, 0};
            if (::poll(&waiting, 1, 100) > 0) connection_->Receive(recorder_);
        }
    }

    int listener_ = -1;
    int server_ = -1;
    std::unique_ptr<HeadlessConnection> connection_;
    Recorder recorder_;
};

TEST_F(HeadlessConnectionTest, HandsOverWholeMessagesInOrderHoweverTheyArrive) {
    const std::string stream = std::string(wire::Build(wire::TowerEntered{"St Mary"}).Bytes()) +
                               std::string(wire::Build(wire::Strike{5, 1, 7, 0}).Bytes()) +
                               std::string(wire::Build(wire::Hello{}).Bytes()) +  // no server sends it: dropped
                               std::string(wire::Build(wire::Chat{"Ann", "Look to"}).Bytes()) +
                               std::string(wire::Build(wire::Call{"Bob"}).Bytes());
    ServerSends(stream.substr(0, 95));  // the tower entered (86 bytes) and part of the strike
    ReceiveUntil(1);
    EXPECT_EQ(recorder_.heard, std::vector<std::string>{"TowerEntered St Mary"});
    ServerSends(stream.substr(95));
    ReceiveUntil(4);
    EXPECT_EQ(recorder_.heard,
              (std::vector<std::string>{"TowerEntered St Mary", "Strike 5", "Chat Look to", "Call Bob"}));
    EXPECT_EQ(connection_->DroppedMessages(), 1);
    EXPECT_TRUE(connection_->IsOpen());

    // What it sends arrives whole and in order.
    connection_->Send(wire::Build(wire::Hello{}).Bytes());
    connection_->Send(wire::Build(wire::Strike{3, 0, 1, 0}).Bytes());
    char received[20];
    std::size_t got = 0;
    while (got < sizeof received) {
        const ssize_t n = ::recv(server_, received + got, sizeof received - got, 0);
        ASSERT_GT(n, 0);
        got += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(std::string_view(received, 20), std::string(wire::Build(wire::Hello{}).Bytes()) +
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
        if (stream.empty()) {
            ::close(server_);
            server_ = -1;
        } else {
            ServerSends(stream);
        }
        ReceiveUntil(recorder_.heard.size() + 2);
        EXPECT_FALSE(connection_->IsOpen());
        EXPECT_EQ(connection_->CloseReason(), reason);
        TearDown();  // a new connection for the next
        SetUp();
    }
    EXPECT_EQ(recorder_.heard, std::vector<std::string>{"Call Go"});  // what came before the cut one
}

TEST(HeadlessConnection, SaysWhyItCannotConnect) {
    std::string error;
    EXPECT_FALSE(HeadlessConnection::Open("127.0.0.1", 1, 2s, error));
    EXPECT_EQ(error, "Connection refused");
    EXPECT_FALSE(HeadlessConnection::Open("no-such-host.invalid", 17481, 2s, error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
