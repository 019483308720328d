// A real tolmer-server on a free loopback port per test, and the steps every
// test repeats: greeting, entering a tower, allocating, reading records.
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
    // Every test ends with SIGTERM and a clean exit: the server survived
    // whatever the test threw at it, and a sanitizer build checks it on the way out.
    void TearDown() override {
        EXPECT_TRUE(server_.Pid() <= 0 || server_.Stop() == 0) << "the server did not shut down cleanly";
        if (HasFailure()) std::cerr << "server log:\n" << server_.Log();
    }

    // Fatal on failure: call through ASSERT_NO_FATAL_FAILURE or from SetUp.
    void StartServer(const std::vector<std::string>& args = {}) {
        ASSERT_TRUE(server_.Start(TOLMER_SERVER_BINARY, args)) << server_.Error();
    }

    // Connects unless connected, says Hello and returns the tower list.
    std::vector<testsupport::TowerListItem> Greet(TestClient& client) {
        EXPECT_TRUE(client.Connected() || client.Connect(server_.Port()));
        EXPECT_TRUE(client.Send(msg::Hello()));
        auto list = testsupport::ReadTowerList(client);
        EXPECT_TRUE(list.has_value()) << "no tower list";
        return list.value_or(std::vector<testsupport::TowerListItem>{});
    }

    // Greets, starts or joins `tower` as `ringer`, and reads TowerEntered and the
    // RingerInfo of each of the `present` ringers (the newcomer included).
    TestClient Enter(const std::string& tower, const std::string& ringer, bool start, int present,
                     TestClient client = {}) {
        Greet(client);
        client.Send(start ? msg::StartTower(tower, "", ringer) : msg::JoinTower(tower, ringer));
        const auto entered = client.Receive();
        EXPECT_TRUE(entered && msg::TypeOf(*entered) == wire::towerEntered::kType) << ringer << " did not enter";
        for (int i = 0; i < present; ++i)
            EXPECT_EQ(msg::TypeOf(client.Receive().value_or(MessageBuffer())), wire::ringerInfo::kType)
                << ringer << ": record " << i;
        return client;
    }

    // Expects the next message to be a RingerInfo and returns it as read.
    static msg::RingerRecord NextRecord(TestClient& client) {
        const auto message = client.Receive();
        if (message && msg::TypeOf(*message) == wire::ringerInfo::kType) return msg::ReadRingerInfo(*message);
        ADD_FAILURE() << "expected a RingerInfo";
        return {};
    }

    // Sends a RingerInfo from `from` and expects every client in `tower` to get it back.
    static void Allocate(TestClient& from, std::vector<TestClient*> tower, int bellCount, const std::string& ringer,
                         const std::string& bells, bool conductor) {
        from.Send(msg::RingerInfo(bellCount, ringer, bells, conductor));
        for (TestClient* client : tower)
            EXPECT_EQ(NextRecord(*client), (msg::RingerRecord{bellCount, ringer, bells, conductor}));
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
