// A real tolmer-server on a free loopback port per test, and the steps every
// test repeats: greeting, entering a tower, draining what arrives meanwhile.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/Wire.h"
#include "tests/support/ServerProcess.h"
#include "tests/support/TestClient.h"
#include "tests/support/TestMessages.h"

namespace servertest {

using testsupport::TestClient;
namespace msg = testsupport::msg;

class ServerTest : public ::testing::Test {
protected:
    // Every test ends with a clean shutdown: the server survived whatever the
    // test threw at it, and a sanitizer build checks it on the way out.
    void TearDown() override {
        if (server_.Pid() > 0) {
            EXPECT_EQ(server_.Stop(), 0) << "the server did not shut down cleanly";
        }
        if (HasFailure()) std::cerr << "server log:\n" << server_.Log();
    }

    // Fatal on failure: call through ASSERT_NO_FATAL_FAILURE or from SetUp.
    void StartServer(const std::vector<std::string>& args = {}) {
        ASSERT_TRUE(server_.Start(TOLMER_SERVER_BINARY, args)) << server_.Error();
    }

    TestClient Connect() {
        TestClient client;
        EXPECT_TRUE(client.Connect(server_.Port()));
        return client;
    }

    // Connects and says Hello; the tower list is read and returned.
    std::vector<testsupport::TowerListItem> Greet(TestClient& client) {
        if (!client.Connected()) {
            EXPECT_TRUE(client.Connect(server_.Port()));
        }
        EXPECT_TRUE(client.Send(msg::Hello()));
        auto list = testsupport::ReadTowerList(client);
        EXPECT_TRUE(list.has_value()) << "no tower list";
        return list.value_or(std::vector<testsupport::TowerListItem>{});
    }

    // Greets, starts or joins `tower` as `ringer`, and reads TowerEntered and the
    // RingerInfo of each of the `present` ringers (the newcomer included).
    TestClient Enter(const std::string& tower, const std::string& ringer, bool start, int present) {
        TestClient client;
        Greet(client);
        client.Send(start ? msg::StartTower(tower, "", ringer) : msg::JoinTower(tower, ringer));
        const auto entered = client.Receive();
        EXPECT_TRUE(entered && msg::TypeOf(*entered) == wire::towerEntered::kType) << ringer << " did not enter";
        for (int i = 0; i < present; ++i) {
            const auto info = client.Receive();
            EXPECT_TRUE(info && msg::TypeOf(*info) == wire::ringerInfo::kType) << ringer << ": record " << i;
        }
        return client;
    }

    // Expects the next message to be a RingerInfo and returns it as read.
    static msg::RingerRecord NextRecord(TestClient& client) {
        const auto message = client.Receive();
        if (!message || msg::TypeOf(*message) != wire::ringerInfo::kType) {
            ADD_FAILURE() << "expected a RingerInfo";
            return {};
        }
        return msg::ReadRingerInfo(*message);
    }

    // Sends a RingerInfo from `from` and expects every client in `tower` to get it back.
    static void Allocate(TestClient& from, std::vector<TestClient*> tower, int bellCount, const std::string& ringer,
                         const std::string& bells, bool conductor) {
        from.Send(msg::RingerInfo(bellCount, ringer, bells, conductor));
        const msg::RingerRecord expected{bellCount, ringer, bells, conductor};
        for (TestClient* client : tower) EXPECT_EQ(NextRecord(*client), expected);
    }

    // Sends a chat line from `from` and expects it to be the next message every
    // client in `tower` gets: proof that nothing sent before it was relayed.
    static void ExpectNothingRelayedBefore(TestClient& from, std::vector<TestClient*> tower,
                                           const std::string& marker) {
        from.Send(msg::Chat("", marker));
        for (TestClient* client : tower) {
            const auto next = client->Receive();
            ASSERT_TRUE(next.has_value()) << "the marker did not arrive";
            ASSERT_EQ(msg::TypeOf(*next), wire::chat::kType) << "something else was relayed before " << marker;
            EXPECT_EQ(next->GetString(wire::chat::kText), marker);
        }
    }

    // How often `part` occurs in `text`, such as a kind of line in the log.
    static int Occurrences(const std::string& text, const std::string& part) {
        int count = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }

    testsupport::ServerProcess server_;
};

}  // namespace servertest
