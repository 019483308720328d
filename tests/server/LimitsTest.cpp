// The server's limits as rules, without sockets: rate limits on a clock moved
// by hand, and the digest that keeps floods of one kind of event from
// flooding the log.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
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

class LogDigestTest : public ::testing::Test {
protected:
    std::string Logged() {
        std::fflush(file_);
        std::ifstream in(path_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static int Lines(const std::string& text, const std::string& part) {
        int count = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }
    void TearDown() override {
        std::fclose(file_);
        std::remove(path_.c_str());
    }

    std::string path_ = ::testing::TempDir() + "digest-" + std::to_string(::getpid()) + ".log";
    std::FILE* file_ = std::fopen(path_.c_str(), "w");
    server::Log log_{true, file_};  // quiet: warnings only
    server::LogDigest digest_{log_};
};

TEST_F(LogDigestTest, TheFirstOfAKindIsLoggedAndTheRestSummedUpWhenItsWindowEnds) {
    const server::Clock::TimePoint start{};
    for (int i = 0; i < 413; ++i)
        digest_.Report(server::LogEvent::TurnedAwayFull, "#" + std::to_string(i) + " turned away", start + i * 10ms);
    digest_.Report(server::LogEvent::ProtocolError, "#9 closed: protocol error", start + 1s);
    EXPECT_EQ(digest_.NextWindowEnd(), start + 10s);
    EXPECT_EQ(Lines(Logged(), "turned away"), 1);

    digest_.Summarise(start + 10s);
    std::string text = Logged();
    EXPECT_EQ(Lines(text, "\n"), 3) << text;
    EXPECT_EQ(Lines(text, "412 more connections turned away: the server is full, in the last 10 s"), 1) << text;
    EXPECT_EQ(Lines(text, "more connections closed for protocol errors"), 0) << "a window with one event has no sum";
    EXPECT_EQ(digest_.NextWindowEnd(), start + 11s);

    // After a window has closed, the next event is logged in full again.
    digest_.Report(server::LogEvent::TurnedAwayFull, "#500 turned away", start + 12s);
    EXPECT_EQ(Lines(Logged(), "#500 turned away"), 1);
}

}  // namespace
