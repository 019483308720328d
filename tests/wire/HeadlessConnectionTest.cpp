// A program without a window reads the server through HeadlessConnection: whole messages dispatched by type, in order,
// however the bytes arrive; a stream that no server sends ends the connection with its reason.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "net/HeadlessConnection.h"
#include "tests/client/support/ScriptedPeer.h"

namespace {

using namespace std::chrono_literals;
using Heard = std::vector<std::string>;

// Writes down each message it is handed, with the handler that took it.
struct Recorder final : wire::ServerMessageHandler {
    void OnRingerInfo(const wire::RingerInfo& m) override { Add("RingerInfo", m.name); }
    void OnCall(const wire::Call& m) override { Add("Call", m.text); }
    void OnStrike(const wire::Strike& m) override { Add("Strike", std::to_string(m.bell)); }
    void OnRingerLeft(const wire::RingerLeft& m) override { Add("RingerLeft", m.name); }
    void OnChat(const wire::Chat& m) override { Add("Chat", m.line); }
    void OnTowerListEntry(const wire::TowerListEntry& m) override { Add("TowerListEntry", m.name); }
    void OnTowerEntered(const wire::TowerEntered& m) override { Add("TowerEntered", m.tower); }
    void OnServerNotice(const wire::ServerNotice& m) override { Add("ServerNotice", m.text); }
    void Add(const std::string& handler, std::string_view text) { heard.push_back(handler + " " + std::string(text)); }
    Heard heard;
};

TEST(HeadlessConnection, HandsOverWholeMessagesInOrderAndEndsWithTheReasonWhenItCannotGoOn) {
    std::optional<testsupport::ScriptedPeer> server;  // standing in for the server
    std::unique_ptr<HeadlessConnection> connection;
    Recorder recorder;
    const auto connect = [&] {
        server.emplace();
        std::string error;
        connection = HeadlessConnection::Open("127.0.0.1", server->Port(), 2s, error);
        return connection && server->Accept();
    };
    // Reads until `count` messages were handed over or the connection ended.
    const auto receiveUntil = [&](std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (recorder.heard.size() < count && connection->IsOpen() && std::chrono::steady_clock::now() < deadline) {
            pollfd waiting{connection->Descriptor(), POLLIN, 0};
            if (::poll(&waiting, 1, 100) > 0) connection->Receive(recorder);
        }
    };
    ASSERT_TRUE(connect());
    std::string stream;
    for (const MessageBuffer& m : {wire::Build(wire::TowerEntered{"St Mary"}), wire::Build(wire::Strike{5, 1, 7, 0}),
                                   wire::Build(wire::Hello{}),  // no server sends it: dropped
                                   wire::Build(wire::Chat{"Ann", "Look to"}), wire::Build(wire::Call{"Bob"})})
        stream += m.Bytes();
    server->SendBytes(stream.substr(0, 95));  // the tower entered (86 bytes) and part of the strike
    receiveUntil(1);
    EXPECT_EQ(recorder.heard, Heard{"TowerEntered St Mary"});
    server->SendBytes(stream.substr(95));
    receiveUntil(4);
    EXPECT_EQ(recorder.heard, (Heard{"TowerEntered St Mary", "Strike 5", "Chat Look to", "Call Bob"}));
    EXPECT_EQ(connection->DroppedMessages(), 1);
    EXPECT_TRUE(connection->IsOpen());

    // What no server sends ends it with its reason: a RingerInfo cut off after its bell count, a length of 4.
    MessageBuffer cut = wire::Build(wire::RingerInfo{6, "Ann", "12", false}).Left(10);
    cut.PutU16(wire::kLengthOffset, 10);
    const std::pair<std::string, std::string> cases[] = {
        {std::string(wire::Build(wire::Call{"Go"}).Bytes()) + std::string(cut.Bytes()),
         "the server sent a message of type 2 shorter than its fields"},
        {std::string("\x04\x00\x04\x00\x01\x00\x00\x00", 8), "the server sent a message of length 4"},
    };
    for (const auto& [bytes, reason] : cases) {
        server->SendBytes(bytes);
        receiveUntil(recorder.heard.size() + 2);
        EXPECT_FALSE(connection->IsOpen());
        EXPECT_EQ(connection->CloseReason(), reason);
        ASSERT_TRUE(connect());  // a new connection for the next
    }
    EXPECT_EQ(recorder.heard.back(), "Call Go");  // what came before the cut one
}

}  // namespace
