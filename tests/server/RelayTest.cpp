// Strikes, chat lines, calls and ringer records go to everyone in the tower,
// the sender included; what the client itself would not send is dropped
// (every such rule is judged both ways by the server's fuzz target).
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

// Ann conducts a tower of six: Ann rings 1 and 2, Ben 3 to 6.
class Relay : public ServerTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartServer());
        ann_ = Enter("St Mary", "Ann", true, 1);
        ben_ = Enter("St Mary", "Ben", false, 2);
        ASSERT_EQ(NextRecord(ann_).name, "Ben");
        Allocate(ann_, {&ann_, &ben_}, 0, "Ann", "", true);
        Allocate(ann_, {&ann_, &ben_}, 6, "Ann", "12", true);
        Allocate(ann_, {&ann_, &ben_}, 6, "Ben", "3456", false);
        ASSERT_FALSE(HasFailure());
    }

    TestClient ann_;
    TestClient ben_;
};

TEST_F(Relay, AStrikeReachesEveryoneTheStrikerIncludedByteForByte) {
    const MessageBuffer strike = msg::Strike(3, 1, 65535, 123);
    ben_.Send(strike);
    for (TestClient* client : {&ann_, &ben_}) {
        const auto echo = client->Receive();
        ASSERT_TRUE(echo.has_value());
        EXPECT_EQ(echo->Bytes(), strike.Bytes());
    }
}

TEST_F(Relay, StrikesOfOneRingerArriveInTheOrderSent) {
    for (int sequence = 1; sequence <= 200; ++sequence)
        ann_.Send(msg::Strike(1 + sequence % 2, sequence % 2, sequence, 7));
    for (TestClient* client : {&ann_, &ben_})
        for (int sequence = 1; sequence <= 200; ++sequence) {
            const auto echo = client->Receive();
            ASSERT_TRUE(echo.has_value());
            EXPECT_EQ(echo->GetU16(wire::strike::kSequence), sequence);
        }
}

TEST_F(Relay, AStrikeOnABellTheSenderDoesNotRingIsDroppedLoggedOnceAndCountedAtTheClose) {
    ben_.Send(msg::Strike(1, 1, 1, 0));  // Ann's bell
    ben_.Send(msg::Strike(7, 1, 2, 0));  // above the bell count
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after the strikes");
    ben_.Close();
    EXPECT_TRUE(server_.WaitForLog("closed: closed by the client (2 messages refused, 0 beyond the rate limits)"));
    EXPECT_EQ(Occurrences(server_.Log(), "dropped Strike: a bell the sender does not ring"), 1);
}

TEST_F(Relay, AChatLineCarriesTheSendersOwnNameWhateverItClaims) {
    ben_.Send(msg::Chat("Ann", "Shall we ring Grandsire?"));
    for (TestClient* client : {&ann_, &ben_}) {
        const auto line = client->Receive();
        ASSERT_TRUE(line.has_value());
        ASSERT_EQ(msg::TypeOf(*line), wire::chat::kType);
        EXPECT_EQ(line->Length(), static_cast<std::size_t>(wire::chat::kSize));
        EXPECT_EQ(line->GetString(wire::chat::kName), "Ben");
        EXPECT_EQ(line->GetString(wire::chat::kText), "Shall we ring Grandsire?");
    }
}

TEST_F(Relay, OnlyTheConductorsCallsGoOut) {
    ben_.Send(msg::Call("Stand"));
    ann_.Send(msg::Call("Go"));
    for (TestClient* client : {&ann_, &ben_}) {
        const auto call = client->Receive();
        ASSERT_TRUE(call.has_value());
        ASSERT_EQ(msg::TypeOf(*call), wire::call::kType);
        EXPECT_EQ(call->GetString(wire::call::kText), "Go");
    }
}

TEST_F(Relay, RecordsFromSomeoneWhoDoesNotConductWhileAnotherDoesAreDropped) {
    ben_.Send(msg::RingerInfo(6, "Ben", "123456", true));
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after Ben's record");
    // Ben's bells did not change: his strike on bell 1 is still dropped.
    ben_.Send(msg::Strike(1, 1, 1, 0));
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after Ben's strike");
}

TEST_F(Relay, TheConductorCanHandTheRoleOnWithinOneAllocation) {
    // The Bells dialog sends one record per ringer in name order: Ann, then Ben.
    // Ann's record names Ben conductor and Ann's own record clears her flag.
    Allocate(ann_, {&ann_, &ben_}, 6, "Ann", "123", false);
    Allocate(ann_, {&ann_, &ben_}, 6, "Ben", "456", true);
    ann_.Send(msg::Call("Go"));
    ann_.Send(msg::RingerInfo(6, "Ann", "123456", true));
    ExpectNothingRelayedBefore(ben_, {&ann_, &ben_}, "Ann no longer conducts");
    ben_.Send(msg::Call("Bob"));
    const auto call = ann_.ReceiveType(wire::call::kType);
    ASSERT_TRUE(call.has_value());
    EXPECT_EQ(call->GetString(wire::call::kText), "Bob");
}

TEST_F(Relay, RecordsAfterTheOldConductorsOwnStillBelongToTheAllocation) {
    // Name order puts the new conductor, Al, before the old one, Ann: after Al's
    // record two ringers conduct, Ann's own record clears her flag, and Ben's
    // record after it is still part of her allocation.
    TestClient al = Enter("St Mary", "Al", false, 3);
    for (TestClient* present : {&ann_, &ben_}) ASSERT_EQ(NextRecord(*present).name, "Al");
    Allocate(ann_, {&al, &ann_, &ben_}, 6, "Al", "1", true);
    Allocate(ann_, {&al, &ann_, &ben_}, 6, "Ann", "2", false);
    Allocate(ann_, {&al, &ann_, &ben_}, 6, "Ben", "3456", false);
    // The allocation ended with Ben, the last name: a later arrival is Al's to place.
    TestClient cy = Enter("St Mary", "Cy", false, 4);
    for (TestClient* present : {&al, &ann_, &ben_}) ASSERT_EQ(NextRecord(*present).name, "Cy");
    ann_.Send(msg::RingerInfo(6, "Cy", "1", false));
    ann_.Send(msg::RingerInfo(6, "Ann", "123456", true));
    ExpectNothingRelayedBefore(al, {&al, &ann_, &ben_, &cy}, "Al conducts");
}

TEST_F(Relay, AnAllocationEndsAtAnyOtherMessageFromItsSender) {
    Allocate(ann_, {&ann_, &ben_}, 6, "Ann", "12", false);
    Allocate(ann_, {&ann_, &ben_}, 6, "Ben", "3456", true);
    TestClient cy = Enter("St Mary", "Cy", false, 3);
    for (TestClient* present : {&ann_, &ben_}) ASSERT_EQ(NextRecord(*present).name, "Cy");
    // Ben steps down, so nobody conducts; Ann allocates and hands the role to
    // Ben, then chats before her record for Cy, which ends her allocation.
    ben_.Send(msg::RingerInfo(6, "Ben", "3456", false));
    for (TestClient* client : {&ann_, &ben_, &cy}) ASSERT_EQ(NextRecord(*client).conductor, false);
    Allocate(ann_, {&ann_, &ben_, &cy}, 6, "Ann", "123", false);
    Allocate(ann_, {&ann_, &ben_, &cy}, 6, "Ben", "456", true);
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_, &cy}, "Ann chats");
    ann_.Send(msg::RingerInfo(6, "Cy", "6", false));
    ExpectNothingRelayedBefore(ben_, {&ann_, &ben_, &cy}, "after Ann's record for Cy");
}

TEST_F(Relay, WhileNobodyConductsAnyoneMayAllocateAndAppointThemself) {
    Allocate(ann_, {&ann_, &ben_}, 6, "Ann", "12", false);
    Allocate(ben_, {&ann_, &ben_}, 6, "Ann", "1", false);
    Allocate(ben_, {&ann_, &ben_}, 6, "Ben", "23456", true);
    ann_.Send(msg::RingerInfo(6, "Ann", "123456", false));
    ExpectNothingRelayedBefore(ben_, {&ann_, &ben_}, "Ben conducts");
}

}  // namespace
}  // namespace servertest
