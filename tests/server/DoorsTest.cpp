// Who gets in and who is shown out: the limit per address and in all, the
// deadline for entering a tower, and the notice every turned-away connection gets.
#include <regex>
#include <thread>

#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

class Doors : public ServerTest {
protected:
    // The next message is a notice holding `text`, and then the server closes.
    static void ExpectNoticeAndClose(TestClient& client, const std::string& text) {
        const auto notice = client.Receive();
        ASSERT_TRUE(notice && msg::TypeOf(*notice) == wire::serverNotice::kType) << "no notice before " << text;
        EXPECT_NE(notice->GetString(wire::serverNotice::kText).find(text), std::string::npos)
            << notice->GetString(wire::serverNotice::kText);
        EXPECT_TRUE(client.WaitForServerClose());
    }
};

TEST_F(Doors, HelloOnlyConnectionsFromOneAddressCannotKeepOutARingerFromAnotherAndAreLoggedAsWarnings) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--max-per-address", "3", "--max-connections", "5", "--quiet"}));
    // Someone at 127.0.0.2 opens connection after connection and says only Hello.
    std::vector<TestClient> squatters(4);
    for (TestClient& squatter : squatters) {
        squatter.SetSourceAddress("127.0.0.2");
        ASSERT_TRUE(squatter.Connect(server_.Port()));
        squatter.Send(msg::Hello());
    }
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(testsupport::ReadTowerList(squatters[static_cast<std::size_t>(i)]));
    ExpectNoticeAndClose(squatters[3], "Too many connections from your address");

    // The ringer at 127.0.0.1 gets in; the squatters are still there to ask again.
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    for (int i = 0; i < 3; ++i) Greet(squatters[static_cast<std::size_t>(i)]);
    TestClient bad;
    ASSERT_TRUE(bad.Connect(server_.Port()));
    bad.SendRaw(msg::Header(1, 1));
    EXPECT_TRUE(bad.WaitForServerClose());

    // Quiet keeps the warnings only, each stamped with UTC time.
    ASSERT_TRUE(server_.WaitForLog("protocol error"));
    const std::string log = server_.Log();
    EXPECT_EQ(log.find("St Mary"), std::string::npos) << "quiet logged an ordinary event:\n" << log;
    EXPECT_TRUE(std::regex_search(log, std::regex(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z warn )"))) << log;
    EXPECT_TRUE(log.find("turned away: 3 connections from one address is the limit") < log.find("protocol error"));
}

TEST_F(Doors, TheJoinDeadlineShowsOutALingeringConnectionAndSparesASilentRinger) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--join-timeout", "1"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient lingerer;
    Greet(lingerer);
    const auto start = std::chrono::steady_clock::now();
    ExpectNoticeAndClose(lingerer, "You did not join a tower in time");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_TRUE(server_.WaitForLog("in no tower 1 s after Hello"));

    // Ann has said nothing since entering, well past the deadline: she stays
    // and hears of the next ringer, who may take its time choosing too.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    EXPECT_EQ(NextRecord(ann).name, "Ben");
}

TEST_F(Doors, EveryConnectionOfABurstBeyondTheLimitGetsItsNoticeAndALeaverMakesRoom) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--max-connections", "1"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    // More than the server holds open while they read their notices, so some
    // are closed right after it; each says Hello at once, as a client does.
    constexpr int kBurst = 300;
    std::vector<TestClient> turnedAway(kBurst);
    for (TestClient& client : turnedAway) {
        ASSERT_TRUE(client.Connect(server_.Port()));
        client.Send(msg::Hello());
    }
    for (int i = 0; i < kBurst; ++i) {
        SCOPED_TRACE(i);
        ExpectNoticeAndClose(turnedAway[static_cast<std::size_t>(i)], "The server is full");
    }
    // Once Ann has gone there is room again, for a connection named in the
    // log by a number none had before.
    ann.Close();
    ASSERT_TRUE(server_.WaitForLog("closed: closed by the client"));
    TestClient di = Enter("St Paul", "Di", true, 1);
    EXPECT_TRUE(server_.WaitForLog("#302 \"Di\" started tower \"St Paul\""));

    // The log sums up all but the first, here when the server stops.
    ASSERT_EQ(server_.Stop(), 0);
    const std::string summary = std::to_string(kBurst - 1) + " more connections turned away: the server is full";
    EXPECT_EQ(Occurrences(server_.Log(), summary), 1) << server_.Log();
}

}  // namespace
}  // namespace servertest
