// Strikes, chat lines, calls and ringer records go to everyone in the tower,
// the sender included; what the client itself would not send is dropped.
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

TEST_F(Relay, AStrikeIsDroppedUnlessTheSenderRingsThatBellOfTheTower) {
    ben_.Send(msg::Strike(1, 1, 1, 0));   // Ann's bell
    ben_.Send(msg::Strike(0, 1, 2, 0));   // no bell 0
    ann_.Send(msg::Strike(7, 1, 3, 0));   // above the bell count
    ann_.Send(msg::Strike(13, 1, 4, 0));  // above any tower
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after the strikes");
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

TEST_F(Relay, RecordsTheBellsDialogCouldNotProduceAreDropped) {
    ann_.Send(msg::RingerInfo(6, "Cy", "", false));     // nobody of that name here
    ann_.Send(msg::RingerInfo(13, "Ben", "", false));   // more than twelve bells
    ann_.Send(msg::RingerInfo(6, "Ben", "3X", false));  // not a bell symbol
    ann_.Send(msg::RingerInfo(6, "Ben", "37", false));  // bell 7 of six
    ann_.Send(msg::RingerInfo(6, "Ben", "33", false));  // one bell twice
    ann_.Send(msg::RingerInfo(6, "ben", "", false));    // names are exact
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after the records");
    // All twelve, by their symbols 0, E and T too, are fine.
    Allocate(ann_, {&ann_, &ben_}, 12, "Ben", "34567890ET", false);
    ben_.Send(msg::Strike(12, 1, 9, 0));
    const auto strike = ann_.Receive();
    ASSERT_TRUE(strike.has_value());
    EXPECT_EQ(strike->GetU16(wire::strike::kBell), 12);
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

TEST_F(Relay, NothingIsRelayedFromAConnectionInNoTower) {
    TestClient cy;
    Greet(cy);
    cy.Send(msg::Strike(1, 1, 1, 0));
    cy.Send(msg::Chat("Cy", "hello?"));
    cy.Send(msg::Call("Go"));
    cy.Send(msg::RingerInfo(6, "Ann", "", false));
    cy.Send(msg::Hello());
    // Cy's next message is the answer to its Hello: nothing came back before it.
    const auto next = cy.Receive();
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(msg::TypeOf(*next), wire::towerListEntry::kType);
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after Cy");
}

TEST_F(Relay, EmptyChatLinesAndCallsAreDropped) {
    ben_.Send(msg::Chat("Ben", ""));
    ann_.Send(msg::Call(""));
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after the empty ones");
}

}  // namespace
}  // namespace servertest
