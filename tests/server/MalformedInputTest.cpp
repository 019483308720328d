// Bad input closes the connection that sent it and nobody else's, and the
// log says why; input cut into pieces is read as the messages it holds.
// Which messages of which lengths, types and senders the server takes or
// refuses, the server's fuzz target judges on every input it tries.
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

// Ann (conducting, bell 1) and Ben (bell 2) ring in St Mary.
class MalformedInput : public ServerTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartServer({"--hello-timeout", "1"}));
        ann_ = Enter("St Mary", "Ann", true, 1);
        ben_ = Enter("St Mary", "Ben", false, 2);
        ASSERT_EQ(NextRecord(ann_).name, "Ben");
        Allocate(ann_, {&ann_, &ben_}, 2, "Ann", "1", true);
        Allocate(ann_, {&ann_, &ben_}, 2, "Ben", "2", false);
        ASSERT_FALSE(HasFailure());
    }

    // The tower still works: a strike of Ben's reaches both.
    void ExpectTowerStillRings(int sequence) {
        ben_.Send(msg::Strike(2, 1, sequence, 0));
        for (TestClient* client : {&ann_, &ben_}) {
            const auto strike = client->ReceiveType(wire::strike::kType);
            ASSERT_TRUE(strike.has_value());
            EXPECT_EQ(strike->GetU16(wire::strike::kSequence), sequence);
        }
    }

    TestClient ann_;
    TestClient ben_;
};

TEST_F(MalformedInput, AMessageNoClientSendsClosesOnlyItsSendersConnectionAndTheLogSaysWhy) {
    TestClient cy = Enter("St Mary", "Cy", false, 3);
    for (TestClient* present : {&ann_, &ben_}) ASSERT_EQ(NextRecord(*present).name, "Cy");
    cy.SendRaw(msg::Raw(wire::chat::kSize - 1, wire::chat::kType).Bytes());
    EXPECT_TRUE(cy.WaitForServerClose());
    for (TestClient* present : {&ann_, &ben_}) {
        const auto left = present->Receive();
        ASSERT_TRUE(left.has_value());
        ASSERT_EQ(msg::TypeOf(*left), wire::ringerLeft::kType);
        EXPECT_EQ(left->GetString(wire::ringerLeft::kName), "Cy");
    }
    ExpectTowerStillRings(1);
    EXPECT_TRUE(server_.WaitForLog("protocol error: message type 6 of 325 bytes is shorter than its 326"));
}

TEST_F(MalformedInput, AConnectionThatNeverSaysHelloIsClosed) {
    TestClient silent = Connect();
    TestClient greeted;
    Greet(greeted);
    EXPECT_TRUE(silent.WaitForServerClose());
    EXPECT_TRUE(server_.WaitForLog("no Hello within 1 s"));
    // The one that said Hello in time stays.
    greeted.Send(msg::JoinTower("St Mary", "Cy"));
    EXPECT_TRUE(greeted.ReceiveType(wire::towerEntered::kType).has_value());
}

TEST_F(MalformedInput, MessagesSplitIntoSingleBytesAreReassembled) {
    const MessageBuffer strike = msg::Strike(2, 1, 4242, 17);
    const MessageBuffer chat = msg::Chat("Ben", "one byte at a time");
    for (const MessageBuffer* message : {&strike, &chat})
        for (const char byte : message->Bytes()) ASSERT_TRUE(ben_.SendRaw(std::string_view(&byte, 1)));
    for (TestClient* client : {&ann_, &ben_}) {
        const auto first = client->Receive();
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(first->Bytes(), strike.Bytes());
        const auto second = client->Receive();
        ASSERT_TRUE(second.has_value());
        EXPECT_EQ(second->GetString(wire::chat::kText), "one byte at a time");
    }
}

}  // namespace
}  // namespace servertest
