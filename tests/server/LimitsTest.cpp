// The server's limits as rules, without sockets: rate limits on a clock moved
// by hand, and the digest that keeps floods of one kind of event from
// flooding the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "server/LogDigest.h"
#include "server/TokenBucket.h"

namespace {

using server::TokenBucket;
using Verdict = TokenBucket::Verdict;
using namespace std::chrono_literals;

TEST(TokenBucket, ABurstPassesThenTheRateAndOneLineMarksEachRunOfRefusals) {
    const server::RateLimit limit{5, 20};
    TokenBucket bucket;
    const server::Clock::TimePoint start{};
    for (int i = 0; i < 20; ++i) ASSERT_EQ(bucket.Take(limit, start), Verdict::Pass) << i;
    EXPECT_EQ(bucket.Take(limit, start), Verdict::FirstRefusal);
    EXPECT_EQ(bucket.Take(limit, start + 100ms), Verdict::Refusal);
    // A fifth of a second brings one token: one message passes, the next begins a new run.
    EXPECT_EQ(bucket.Take(limit, start + 200ms), Verdict::Pass);
    EXPECT_EQ(bucket.Take(limit, start + 200ms), Verdict::FirstRefusal);

    // A long pause fills the bucket to its burst and no further.
    const auto later = start + 1h;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(bucket.Take(limit, later), Verdict::Pass) << i;
    EXPECT_EQ(bucket.Take(limit, later), Verdict::FirstRefusal);
}

TEST(LogDigest, TheFirstOfAKindIsLoggedAndTheRestSummedUpWhenItsWindowEnds) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
    server::Log log{true, file};  // quiet: warnings only
    server::LogDigest digest{log};
    const auto lines = [&](const std::string& part) {
        std::fflush(file);
        const std::string logged(text, size);
        int count = 0;
        for (auto at = logged.find(part); at != std::string::npos; at = logged.find(part, at + 1)) ++count;
        return count;
    };

    const server::Clock::TimePoint start{};
    for (int i = 0; i < 413; ++i)
        digest.Report(server::LogEvent::TurnedAwayFull, "#" + std::to_string(i) + " turned away", start + i * 10ms);
    digest.Report(server::LogEvent::ProtocolError, "#9 closed: protocol error", start + 1s);
    EXPECT_EQ(digest.NextWindowEnd(), start + 10s);
    EXPECT_EQ(lines("turned away"), 1);

    digest.Summarise(start + 10s);
    EXPECT_EQ(lines("\n"), 3);
    EXPECT_EQ(lines("412 more connections turned away: the server is full, in the last 10 s"), 1);
    EXPECT_EQ(lines("more connections closed for protocol errors"), 0) << "a window with one event has no sum";
    EXPECT_EQ(digest.NextWindowEnd(), start + 11s);

    // After a window has closed, the next event is logged in full again.
    digest.Report(server::LogEvent::TurnedAwayFull, "#500 turned away", start + 12s);
    EXPECT_EQ(lines("#500 turned away"), 1);
    std::fclose(file);
    std::free(text);
}

}  // namespace
