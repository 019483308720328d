// Bad input closes the connection that sent it and nobody else's; input cut
// into pieces or run together is read as the messages it holds.
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

// Ann (conducting, bell 1) and Ben (bell 2) ring in St Mary.
class MalformedInput : public ServerTest {
protected:
    void SetUp() override {
        // No rate limit: a burst of 500 strikes in one write is part of the test.
        ASSERT_NO_FATAL_FAILURE(StartServer({"--hello-timeout", "1", "--strike-rate", "0"}));
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

TEST_F(MalformedInput, EachKindClosesOnlyTheSendersConnection) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"length below the header", msg::Header(3, wire::strike::kType)},
        {"length zero", msg::Header(0, wire::strike::kType)},
        {"length above the largest client message",
         msg::Header(static_cast<std::uint16_t>(wire::kMaxClientMessage + 1), wire::chat::kType)},
        {"type only the server sends", std::string(msg::Raw(wire::ringerLeft::kSize, wire::ringerLeft::kType).Bytes())},
        {"tower list entry", std::string(msg::Raw(wire::towerListEntry::kSize, wire::towerListEntry::kType).Bytes())},
        {"server notice", std::string(msg::Raw(wire::serverNotice::kSize, wire::serverNotice::kType).Bytes())},
        {"type zero", std::string(msg::Raw(wire::kHeaderSize, 0).Bytes())},
        {"type 11", std::string(msg::Raw(wire::kHeaderSize, 11).Bytes())},
        {"strike of 10 bytes", std::string(msg::Raw(wire::strike::kMinSize, wire::strike::kType).Bytes())},
        {"chat cut short", std::string(msg::Raw(wire::chat::kSize - 1, wire::chat::kType).Bytes())},
        {"record cut short", std::string(msg::Raw(wire::ringerInfo::kSize - 2, wire::ringerInfo::kType).Bytes())},
        {"join cut short", std::string(msg::Raw(wire::joinTower::kSize - 1, wire::joinTower::kType).Bytes())},
    };
    int sequence = 0;
    for (const Case& bad : cases) {
        SCOPED_TRACE(bad.what);
        TestClient cy = Enter("St Mary", "Cy", false, 3);
        for (TestClient* present : {&ann_, &ben_}) ASSERT_EQ(NextRecord(*present).name, "Cy");
        cy.SendRaw(bad.bytes);
        EXPECT_TRUE(cy.WaitForServerClose());
        for (TestClient* present : {&ann_, &ben_}) {
            const auto left = present->Receive();
            ASSERT_TRUE(left.has_value());
            ASSERT_EQ(msg::TypeOf(*left), wire::ringerLeft::kType);
            EXPECT_EQ(left->GetString(wire::ringerLeft::kName), "Cy");
        }
        ExpectTowerStillRings(++sequence);
    }
    EXPECT_TRUE(server_.WaitForLog("protocol error"));
}

TEST_F(MalformedInput, AMessageBeforeHelloClosesTheConnection) {
    TestClient cy = Connect();
    cy.Send(msg::JoinTower("St Mary", "Cy"));
    EXPECT_TRUE(cy.WaitForServerClose());
    EXPECT_TRUE(server_.WaitForLog("before Hello"));
    ExpectTowerStillRings(1);
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

TEST_F(MalformedInput, ManyMessagesInOneWriteAreAllHandledInOrder) {
    std::string burst;
    for (int sequence = 1; sequence <= 500; ++sequence) burst += msg::Strike(2, sequence % 2, sequence, 0).Bytes();
    burst += msg::Header(2, wire::strike::kType);  // and then a bad one
    ASSERT_TRUE(ben_.SendRaw(burst));
    for (int sequence = 1; sequence <= 500; ++sequence) {
        const auto strike = ann_.Receive();
        ASSERT_TRUE(strike.has_value()) << sequence;
        ASSERT_EQ(strike->GetU16(wire::strike::kSequence), sequence);
    }
    const auto left = ann_.Receive();
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(msg::TypeOf(*left), wire::ringerLeft::kType);
}

}  // namespace
}  // namespace servertest
