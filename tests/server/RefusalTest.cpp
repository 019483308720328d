// Requests to start or join a tower that the server refuses with a notice,
// after which the client may choose again on the same connection, and
// strikes it drops. What is relayed to whom the server's fuzz target judges;
// the notices' texts and the log lines it does not.
#include <set>

#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using Refusal = ServerTest;

TEST_F(Refusal, EachRefusalHasItsOwnNoticeAndEachDroppedStrikeIsCountedInTheLog) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--max-towers", "2", "--max-ringers", "2"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    std::set<std::string> notices;
    const auto refused = [&](TestClient& client, const MessageBuffer& request, const char* why) {
        client.Send(request);
        const auto answer = client.Receive();
        ASSERT_TRUE(answer && msg::TypeOf(*answer) == wire::serverNotice::kType) << why;
        const std::string text = answer->GetString(wire::serverNotice::kText);
        EXPECT_FALSE(text.empty()) << why;
        EXPECT_TRUE(notices.insert(text).second) << why << ": the same notice as another refusal: " << text;
    };
    TestClient ben;
    Greet(ben);
    refused(ben, msg::JoinTower("St Paul", "Ben"), "unknown tower");
    refused(ben, msg::StartTower("St Mary", "", "Ben"), "tower name taken");
    refused(ben, msg::JoinTower("St Mary", "Ann"), "ringer name taken");
    refused(ben, msg::StartTower("", "", "Ben"), "empty tower name");
    refused(ben, msg::JoinTower("St Mary", ""), "empty ringer name");
    TestClient cy = Enter("St John", "Cy", true, 1);
    refused(ben, msg::StartTower("St Paul", "", "Ben"), "server full");

    // After all that, Ben still gets in; then the tower is full for Di.
    ben.Send(msg::JoinTower("St Mary", "Ben"));
    ASSERT_TRUE(ben.ReceiveType(wire::towerEntered::kType));
    EXPECT_EQ(NextRecord(ben).name, "Ann");
    EXPECT_EQ(NextRecord(ben).name, "Ben");
    EXPECT_EQ(NextRecord(ann).name, "Ben");
    refused(ben, msg::JoinTower("St John", "Ben"), "already in a tower");
    TestClient di;
    Greet(di);
    refused(di, msg::JoinTower("St Mary", "Di"), "tower full");
    EXPECT_EQ(notices.size(), 8u);

    // Ben rings no bell: his strikes are dropped, the first logged, all counted at the close.
    ben.Send(msg::Strike(1, 1, 1, 0));
    ben.Send(msg::Strike(7, 1, 2, 0));
    ExpectNothingRelayedBefore(ann, {&ann, &ben}, "after the strikes");
    ben.Close();
    EXPECT_TRUE(server_.WaitForLog("closed: closed by the client (2 messages refused, 0 beyond the rate limits)"));
    EXPECT_EQ(Occurrences(server_.Log(), "dropped Strike: a bell the sender does not ring"), 1);
}

}  // namespace
}  // namespace servertest
