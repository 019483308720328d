// Requests to start or join a tower that the server refuses with a notice,
// after which the client may choose again on the same connection.
#include <set>

#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

class Refusal : public ServerTest {
protected:
    // Sends the request and returns the text of the notice that must answer it.
    static std::string NoticeFor(TestClient& client, const MessageBuffer& request) {
        client.Send(request);
        const auto answer = client.Receive();
        if (!answer || msg::TypeOf(*answer) != wire::serverNotice::kType) {
            ADD_FAILURE() << "expected a ServerNotice";
            return {};
        }
        return answer->GetString(wire::serverNotice::kText);
    }
};

TEST_F(Refusal, EachRefusalHasItsOwnNoticeAndTheClientMayTryAgain) {
    ASSERT_NO_FATAL_FAILURE(StartServer({"--max-towers", "2", "--max-ringers", "2"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    std::set<std::string> notices;
    auto refused = [&](TestClient& client, const MessageBuffer& request, const char* why) {
        const std::string text = NoticeFor(client, request);
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
    refused(ben, msg::JoinTower("St John", "Ben"), "already in a tower");
    TestClient di;
    Greet(di);
    refused(di, msg::JoinTower("St Mary", "Di"), "tower full");
    EXPECT_EQ(notices.size(), 8u);
}

}  // namespace
}  // namespace servertest
