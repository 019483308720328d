// A client that stops reading is cut off once its backlog passes the cap,
// and the others keep getting every strike meanwhile.
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using SlowConsumer = ServerTest;

TEST_F(SlowConsumer, IsDisconnectedWhileTheOthersReceiveEveryMessage) {
    // No rate limits: Ann floods on purpose, to fill the slow reader's queue.
    ASSERT_NO_FATAL_FAILURE(
        StartServer({"--output-cap-kib", "64", "--max-towers", "10", "--chat-rate", "0", "--strike-rate", "0"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    ASSERT_EQ(NextRecord(ann).name, "Ben");
    TestClient slow;
    slow.SetReceiveBufferSize(4096);
    Greet(slow);
    slow.Send(msg::JoinTower("St Mary", "Slow"));  // and never reads again
    for (TestClient* present : {&ann, &ben}) ASSERT_EQ(NextRecord(*present).name, "Slow");
    Allocate(ann, {&ann, &ben}, 2, "Ann", "12", true);

    // Ann rings and chats in rounds of 25; Ann and Ben read each round before
    // the next. The kernel's buffers for Slow fill first, then the server's
    // capped queue; 2000 rounds would be 17 MB, far beyond any buffering.
    const std::string line(wire::chat::kText.Width(), 'x');
    int sequence = 0;
    int roundsAfterLeaving = -1;
    for (int round = 0; round < 2000 && roundsAfterLeaving < 4; ++round) {
        const int first = sequence + 1;
        for (int i = 0; i < 25; ++i) {
            ++sequence;
            ann.Send(msg::Strike(1, sequence % 2, sequence, 5));
            ann.Send(msg::Chat("Ann", line));
        }
        for (TestClient* reader : {&ann, &ben}) {
            for (int expected = first; expected <= sequence;) {
                const auto message = reader->Receive();
                ASSERT_TRUE(message.has_value()) << "a message went missing in round " << round;
                const auto type = msg::TypeOf(*message);
                if (type == wire::ringerLeft::kType) {
                    EXPECT_EQ(message->GetString(wire::ringerLeft::kName), "Slow");
                    roundsAfterLeaving = 0;
                } else if (type == wire::strike::kType) {
                    ASSERT_EQ(message->GetU16(wire::strike::kSequence), expected % 65536);
                } else {
                    ASSERT_EQ(type, wire::chat::kType);
                    ++expected;  // each round's chat follows its strike
                }
            }
        }
        if (roundsAfterLeaving >= 0) ++roundsAfterLeaving;
    }
    EXPECT_GE(roundsAfterLeaving, 0) << "the slow reader was never cut off";
    EXPECT_TRUE(server_.WaitForLog("too slow: more than 64 KiB waiting unread"));
    // A reader whose window is shut can miss the server's reset; whatever it
    // sends now meets a connection the server no longer has, and is answered with one.
    slow.Send(msg::Chat("Slow", "still there?"));
    EXPECT_TRUE(slow.WaitForServerClose());
}

}  // namespace
}  // namespace servertest
