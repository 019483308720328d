// tolmer-load against a relay made to misbehave once: each fault must show in
// its report and make it exit with status 1 (a clean run's 0 is in SmokeTest).
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "net/Messages.h"
#include "tests/load/LoadJson.h"
#include "tests/support/ServerProcess.h"
#include "tools/load/ByteQueue.h"
#include "tools/load/FloorRelay.h"

namespace {

enum class Fault { Drop, Duplicate, Swap, Forge };

// The floor relay, except that the tenth strike it relays goes wrong on its
// way to the tower's second connection.
class FaultyRelay final : public load::FloorRelay {
public:
    FaultyRelay(int listenFd, Fault fault) : FloorRelay(listenFd), fault_(fault) {}

protected:
    void Relay(const std::vector<int>& members, std::string_view message) override {
        const bool strike = wire::TypeOf(message) == wire::strike::kType;
        if (!strike || members.size() < 2) {
            FloorRelay::Relay(members, message);
            return;
        }
        const bool faulty = ++strikes_ == kFaultyStrike;
        const auto bell = wire::ReadStrike(message).value_or(wire::Strike{}).bell;
        for (const int member : members) {
            if (member != members[1]) SendTo(member, message);
            else ToVictim(member, message, faulty, &members, bell);
        }
    }

private:
    static constexpr int kFaultyStrike = 10;

    void ToVictim(int fd, std::string_view message, bool faulty, const void* tower, std::uint16_t bell) {
        if (fault_ == Fault::Swap && !held_.empty() && tower == heldTower_ && bell == heldBell_) {
            SendTo(fd, message);  // the later strike of the same ringer overtakes the held one
            SendTo(fd, held_);
            held_.clear();
            return;
        }
        if (!faulty) {
            SendTo(fd, message);
            return;
        }
        switch (fault_) {
        case Fault::Drop: break;
        case Fault::Duplicate:
            SendTo(fd, message);
            SendTo(fd, message);
            break;
        case Fault::Swap:
            held_ = message;
            heldTower_ = tower;
            heldBell_ = bell;
            break;
        case Fault::Forge: {
            SendTo(fd, message);
            wire::Strike forged = wire::ReadStrike(message).value();
            forged.sequence = 60000;  // a number nobody sent
            SendTo(fd, wire::Build(forged).Bytes());
            break;
        }
        }
    }

    Fault fault_;
    int strikes_ = 0;
    std::string held_;
    const void* heldTower_ = nullptr;
    std::uint16_t heldBell_ = 0;
};

struct Case {
    const char* name;
    Fault fault;
    int lost, duplicates, reordered, unknown;
};

class FaultyRelayTest : public testing::TestWithParam<Case> {};

TEST_P(FaultyRelayTest, ReportsTheFaultAndExitsNonZeroForIt) {
    const Case& c = GetParam();
    int port = 0;
    const int listenFd = load::ListenOnLoopback(port);
    ASSERT_GE(listenFd, 0);
    FaultyRelay relay(listenFd, c.fault);
    std::thread serving([&relay] { relay.Run(); });

    const auto run = testsupport::RunProgram(TOLMER_LOAD_BINARY,
                                             {"--backend", "floor", "--port", std::to_string(port), "--towers", "2",
                                              "--ringers", "3", "--rate", "40", "--duration", "0.5", "--drain", "2"},
                                             std::chrono::seconds(30));
    relay.Stop();
    serving.join();

    const auto json = loadtest::JsonLine(run.out);
    ASSERT_FALSE(json.empty()) << run.out << run.err;
    EXPECT_EQ(loadtest::JsonNumber(json, "lost"), c.lost) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "duplicates"), c.duplicates) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "reordered"), c.reordered) << json;
    EXPECT_EQ(loadtest::JsonNumber(json, "unknown"), c.unknown) << json;
    EXPECT_GT(loadtest::JsonNumber(json, "strikes"), 30) << json;
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("FAULTS"), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultyRelayTest,
                         testing::Values(Case{"drop", Fault::Drop, 1, 0, 0, 0},
                                         Case{"duplicate", Fault::Duplicate, 0, 1, 0, 0},
                                         Case{"swap", Fault::Swap, 0, 0, 1, 0},
                                         Case{"forge", Fault::Forge, 0, 0, 0, 1}),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
