// A member who floods the tower is held to the rate limits, and nobody else
// pays for it: a member reading at a normal pace stays and loses nothing.
#include <sys/socket.h>

#include <thread>

#include "net/Framing.h"
#include "net/Messages.h"
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using Flood = ServerTest;

TEST_F(Flood, AChatFloodIsCutToTheRateAndAMemberReadingAt100KiBPerSecondLosesNothing) {
    // A small output cap: whatever the flood left unread for Ray would count against it.
    ASSERT_NO_FATAL_FAILURE(
        StartServer({"--chat-rate", "5", "--chat-burst", "20", "--output-cap-kib", "16", "--max-towers", "10"}));
    TestClient ann = Enter("St Mary", "Ann", true, 1);
    TestClient ray;  // with a small kernel buffer, so the server's queue is what fills
    ray.SetReceiveBufferSize(4096);
    Greet(ray);
    ray.Send(msg::JoinTower("St Mary", "Ray"));
    ASSERT_TRUE(ray.ReceiveType(wire::towerEntered::kType).has_value());
    for (const char* present : {"Ann", "Ray"}) ASSERT_EQ(NextRecord(ray).name, present);
    TestClient flo = Enter("St Mary", "Flo", false, 3);
    for (const char* newcomer : {"Ray", "Flo"}) ASSERT_EQ(NextRecord(ann).name, newcomer);
    ASSERT_EQ(NextRecord(ray).name, "Flo");
    Allocate(ann, {&ann, &ray, &flo}, 3, "Ann", "1", true);

    // Flo sends a line every millisecond, Ann strikes every 100 ms, and Ray
    // reads at most 1 KiB every 10 ms: 100 KiB/s.
    int linesFromFlo = 0, strikesSeen = 0, strikesSent = 0;
    bool strikesInOrder = true, doneSeen = false, rayClosed = false;
    std::string input;
    const auto readAtPace = [&] {
        char block[1024];
        const ssize_t n = ::recv(ray.Descriptor(), block, sizeof block, MSG_DONTWAIT);
        rayClosed = rayClosed || n == 0;
        if (n > 0) input.append(block, static_cast<std::size_t>(n));
        const auto run = wire::ForEachFrame(input, wire::FrameRules{2, 0xFFFF}, [&](std::string_view message) {
            const auto type = wire::TypeOf(message);
            if (type == wire::strike::kType) {
                strikesInOrder = strikesInOrder && wire::ReadStrike(message)->sequence == strikesSeen + 1;
                ++strikesSeen;
            } else if (const auto chat = wire::ReadChat(message); type == wire::chat::kType) {
                linesFromFlo += chat->name == "Flo";
                doneSeen = doneSeen || (chat->name == "Ann" && chat->line == "done");
            } else {
                ADD_FAILURE() << "Ray got message type " << type;
            }
        });
        input.erase(0, run.consumed);
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
    for (const auto until = Clock::now() + 5s; !doneSeen && !rayClosed && Clock::now() < until;) {
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

}  // namespace
}  // namespace servertest
