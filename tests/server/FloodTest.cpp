// A member who floods the tower is held to the rate limits, and one who stops
// reading is cut off once its backlog passes the cap; nobody else pays for
// either: a member reading at a normal pace stays and loses nothing.
#include <thread>

#include "net/Messages.h"
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using Flood = ServerTest;

TEST_F(Flood, AChatFloodIsCutToTheRateAndAMemberReadingSlowlyLosesNothing) {
    // A small output cap: whatever the flood left unread for Ray would count against it.
    ASSERT_NO_FATAL_FAILURE(
        StartServer({"--chat-rate", "5", "--chat-burst", "20", "--output-cap-kib", "16", "--max-towers", "10"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient ray;  // with a small kernel buffer, so the server's queue is what fills
    ray.SetReceiveBufferSize(4096);
    ray = Enter("St Mary", "Ray", false, 2, std::move(ray));
    TestClient flo = Enter("St Mary", "Flo", false, 3);
    for (const char* newcomer : {"Ray", "Flo"}) ASSERT_EQ(NextRecord(ann).name, newcomer);
    ASSERT_EQ(NextRecord(ray).name, "Flo");
    Allocate(ann, {&ann, &ray, &flo}, 3, "Ann", "1", true);

    // Flo sends a line every millisecond, Ann strikes every 100 ms, and Ray
    // takes at most three messages every 10 ms, as a member on a slow line would.
    int linesFromFlo = 0, strikesSeen = 0, strikesSent = 0;
    bool strikesInOrder = true, doneSeen = false;
    const auto readAtPace = [&] {
        for (int i = 0; i < 3; ++i) {
            const auto message = ray.Receive(testsupport::Millis(0));
            const auto type = message ? msg::TypeOf(*message) : 0;
            if (type == wire::strike::kType) {
                strikesInOrder = strikesInOrder && wire::ReadStrike(message->Bytes())->sequence == strikesSeen + 1;
                ++strikesSeen;
            } else if (type == wire::chat::kType) {
                const auto chat = wire::ReadChat(message->Bytes());
                linesFromFlo += chat->name == "Flo";
                doneSeen = doneSeen || (chat->name == "Ann" && chat->line == "done");
            } else if (message) {
                ADD_FAILURE() << "Ray got message type " << type;
            }
        }
    };
    constexpr int kLines = 2000;
    const auto start = Clock::now();
    for (int line = 1; line <= kLines; ++line) {
        ASSERT_TRUE(flo.Send(msg::Chat("Flo", "line " + std::to_string(line))));
        if (line % 100 == 0) {
            ++strikesSent;
            ann.Send(msg::Strike(1, strikesSent % 2, strikesSent, 0));
        }
        if (line % 10 == 0) readAtPace();
        std::this_thread::sleep_for(1ms);
    }
    ann.Send(msg::Chat("Ann", "done"));
    for (const auto until = Clock::now() + 5s; !doneSeen && !ray.ServerClosed() && Clock::now() < until;) {
        readAtPace();
        std::this_thread::sleep_for(10ms);
    }
    // The server cannot have taken Flo's lines over a longer time than this.
    const double floodSeconds = std::chrono::duration<double>(Clock::now() - start).count();

    ASSERT_TRUE(doneSeen) << "Ray was cut off or lost messages";
    EXPECT_EQ(strikesSeen, strikesSent);
    EXPECT_TRUE(strikesInOrder);
    // The burst, then 5 a second: far fewer than were sent.
    EXPECT_GE(linesFromFlo, 20);
    EXPECT_LE(linesFromFlo, 20 + static_cast<int>(5 * floodSeconds) + 1) << "over " << floodSeconds << " s";
    // Flo hears exactly what was relayed: Ray lost none of it.
    int echoed = 0;
    for (auto message = flo.ReceiveType(wire::chat::kType); message && message->GetString(wire::chat::kName) == "Flo";
         message = flo.ReceiveType(wire::chat::kType))
        ++echoed;
    EXPECT_EQ(linesFromFlo, echoed);
    // One flood, one line in the log.
    EXPECT_EQ(Occurrences(server_.Log(), "sends chat lines and calls faster than 5 a second (bursts of 20)"), 1)
        << server_.Log();
}

TEST_F(Flood, AMemberWhoStopsReadingIsCutOffWhileTheOthersReceiveEveryMessage) {
    // No rate limits: Ann floods on purpose, to fill the slow reader's queue.
    ASSERT_NO_FATAL_FAILURE(
        StartServer({"--output-cap-kib", "64", "--max-towers", "10", "--chat-rate", "0", "--strike-rate", "0"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient ben = Enter("St Mary", "Ben", false, 2);
    ASSERT_EQ(NextRecord(ann).name, "Ben");
    TestClient slow;  // reads what comes on entering, and never again
    slow.SetReceiveBufferSize(4096);
    slow = Enter("St Mary", "Slow", false, 3, std::move(slow));
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
