// The tower list, starting and joining a tower, what each side is told, and
// the notices that refuse a request, after which the client may choose again.
// The server's fuzz target judges every answer and relay for any names and
// requests in any order; here are the orders, the notices' texts and the log.
#include <set>

#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using Joining = ServerTest;

TEST_F(Joining, TheListAndANewcomersRecordsComeInByteOrderAndEveryoneHearsOfTheNewcomer) {
    ASSERT_NO_FATAL_FAILURE(StartServer());
    TestClient ann = Enter("St Mary", "ann", true, 1);
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    EXPECT_EQ(NextRecord(ann), (msg::RingerRecord{0, "Ben", "", false}));
    TestClient b = Enter("b", "Ann", true, 1);
    TestClient upperB = Enter("B", "Ann", true, 1);

    TestClient cy;
    const auto list = Greet(cy);
    std::vector<std::string> entries;  // name/count
    for (const auto& item : list) entries.push_back(item.name + "/" + std::to_string(item.count));
    EXPECT_EQ(entries, (std::vector<std::string>{"B/3", "St Mary/3", "b/3"}));
    cy.Send(msg::JoinTower("St Mary", "Cy"));
    const auto entered = cy.Receive();
    ASSERT_TRUE(entered && msg::TypeOf(*entered) == wire::towerEntered::kType);
    EXPECT_EQ(entered->GetString(wire::towerEntered::kTower), "St Mary");
    EXPECT_EQ(NextRecord(cy), (msg::RingerRecord{0, "Ben", "", false}));
    EXPECT_EQ(NextRecord(cy), (msg::RingerRecord{0, "Cy", "", false}));
    EXPECT_EQ(NextRecord(cy), (msg::RingerRecord{0, "ann", "", false}));
    for (TestClient* present : {&ann, &ben}) EXPECT_EQ(NextRecord(*present), (msg::RingerRecord{0, "Cy", "", false}));
}

TEST_F(Joining, ANewcomerToATowerLargerThanTheOutputCapIsNotCutOff) {
    // 110 records (18.8 KB) come to the last newcomer at once: more than the
    // 16 KiB cap asked for, which the server raises to hold a full tower.
    constexpr int kRingers = 110;
    StartServer({"--output-cap-kib", "16", "--max-towers", "1", "--max-ringers", "120", "--max-per-address", "0"});
    std::vector<TestClient> band;
    for (int i = 0; i < kRingers; ++i) {
        band.push_back(Enter("Big", "ringer-" + std::to_string(i), i == 0, i + 1));
        ASSERT_FALSE(HasFailure()) << "ringer " << i << " did not get the whole tower";
    }
    EXPECT_TRUE(band.back().Send(msg::Chat("ringer-109", "still here")));
    EXPECT_TRUE(band.back().ReceiveType(wire::chat::kType).has_value()) << "the last newcomer was cut off";
}

TEST_F(Joining, EachRefusalHasItsOwnNoticeAndEachDroppedStrikeIsCountedInTheLog) {
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

    // Ben rings no bell: his strikes are dropped (which the fuzz target judges), the
    // first logged, all counted at the close.
    ben.Send(msg::Strike(1, 1, 1, 0));
    ben.Send(msg::Strike(7, 1, 2, 0));
    ben.Close();
    EXPECT_TRUE(server_.WaitForLog("closed: closed by the client (2 messages refused, 0 beyond the rate limits)"));
    EXPECT_EQ(Occurrences(server_.Log(), "dropped Strike: a bell the sender does not ring"), 1);
}

}  // namespace
}  // namespace servertest
