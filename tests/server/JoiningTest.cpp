// The tower list, starting and joining a tower, and what each side is told.
// The server's fuzz target checks every answer for any names and requests in
// any order, except the order of the list and of a newcomer's records.
#include <cstdio>

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

    // With bells allocated, records carry the tower's bell count and everyone's bells.
    Allocate(ann, {&ann, &ben}, 0, "ann", "", true);
    Allocate(ann, {&ann, &ben}, 6, "Ben", "3456", false);
    Allocate(ann, {&ann, &ben}, 6, "ann", "12", true);

    TestClient cy;
    const auto list = Greet(cy);
    ASSERT_EQ(list.size(), 3u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].name, (std::vector<std::string>{"B", "St Mary", "b"}[i]));
        EXPECT_EQ(list[i].count, 3);
    }
    cy.Send(msg::JoinTower("St Mary", "Cy"));
    const auto entered = cy.Receive();
    ASSERT_TRUE(entered && msg::TypeOf(*entered) == wire::towerEntered::kType);
    EXPECT_EQ(entered->GetString(wire::towerEntered::kTower), "St Mary");
    EXPECT_EQ(NextRecord(cy), (msg::RingerRecord{6, "Ben", "3456", false}));
    EXPECT_EQ(NextRecord(cy), (msg::RingerRecord{6, "Cy", "", false}));
    EXPECT_EQ(NextRecord(cy), (msg::RingerRecord{6, "ann", "12", true}));
    for (TestClient* present : {&ann, &ben}) EXPECT_EQ(NextRecord(*present), (msg::RingerRecord{6, "Cy", "", false}));
}

TEST_F(Joining, ANewcomerToATowerLargerThanTheOutputCapIsNotCutOff) {
    // 110 records (18.8 KB) come to the last newcomer at once: more than the
    // 16 KiB cap asked for, which the server raises to hold a full tower.
    constexpr int kRingers = 110;
    StartServer({"--output-cap-kib", "16", "--max-towers", "1", "--max-ringers", "120", "--max-per-address", "0"});
    std::vector<TestClient> band;
    for (int i = 0; i < kRingers; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "ringer-%03d", i);
        band.push_back(Enter("Big", name, i == 0, i + 1));
        ASSERT_FALSE(HasFailure()) << "ringer " << i << " did not get the whole tower";
    }
    EXPECT_TRUE(band.back().Send(msg::Chat("ringer-109", "still here")));
    EXPECT_TRUE(band.back().ReceiveType(wire::chat::kType).has_value()) << "the last newcomer was cut off";
}

}  // namespace
}  // namespace servertest
