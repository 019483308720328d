// A strike goes to everyone in the tower, the sender included, and one the
// client itself would not send is dropped and logged. Who may allocate, call
// and chat, and what each member is sent, the server's fuzz target judges on
// every input; the client's own tests ring through the real server.
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

TEST_F(Relay, AStrikeOnABellTheSenderDoesNotRingIsDroppedLoggedOnceAndCountedAtTheClose) {
    ben_.Send(msg::Strike(1, 1, 1, 0));  // Ann's bell
    ben_.Send(msg::Strike(7, 1, 2, 0));  // above the bell count
    ExpectNothingRelayedBefore(ann_, {&ann_, &ben_}, "after the strikes");
    ben_.Close();
    EXPECT_TRUE(server_.WaitForLog("closed: closed by the client (2 messages refused, 0 beyond the rate limits)"));
    EXPECT_EQ(Occurrences(server_.Log(), "dropped Strike: a bell the sender does not ring"), 1);
}

}  // namespace
}  // namespace servertest
