// The server's rules without sockets, on a clock moved by hand: rate limits,
// the digest that keeps floods of one kind of event from flooding the log,
// and latency balancing in a hall whose ringers report made-up pings, with an
// outbox that notes how long each message to each ringer is held.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "server/LogDigest.h"
#include "server/TokenBucket.h"
#include "server/TowerHall.h"
#include "tests/support/TestMessages.h"

namespace {

namespace msg = testsupport::msg;
using namespace std::chrono_literals;
using server::Clock;
using server::ConnectionId;
using Verdict = server::TokenBucket::Verdict;

class HandClock final : public Clock {
public:
    TimePoint Now() const override { return now; }
    TimePoint now = TimePoint{} + 1h;
};

// Notes the hold of every message; a connection may be made to wait longer
// than asked, as one whose earlier output is held longer does.
class HoldingOutbox final : public server::Outbox {
public:
    Clock::Duration Send(ConnectionId to, std::string_view /*message*/, Clock::Duration hold) override {
        const Clock::Duration held = hold + extra[to];
        lastHeld[to] = held;
        return held;
    }
    std::map<ConnectionId, Clock::Duration> lastHeld;  // of the latest message to each
    std::map<ConnectionId, Clock::Duration> extra;
};

double Ms(Clock::Duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A tower whose ringer i (connection i) rings bell i + 1, in a hall that
// balances round trips up to 150 ms.
class Balance : public ::testing::Test {
protected:
    void SetUp() override {
        for (ConnectionId id = 0; id < 4; ++id) {
            hall_.Connect(id, id + 1);
            hall_.Receive(id, msg::Hello().Bytes());
            const std::string name = Name(id);
            hall_.Receive(id,
                          (id == 0 ? msg::StartTower("St Mary", "", name) : msg::JoinTower("St Mary", name)).Bytes());
        }
        for (ConnectionId id = 0; id < 4; ++id)
            hall_.Receive(0, msg::RingerInfo(4, Name(id), wire::kBellSymbols.substr(id, 1), id == 0).Bytes());
    }

    static std::string Name(ConnectionId id) { return "ringer-" + std::to_string(id + 1); }

    // Ringer `id` strikes, reporting `pingMs` as measured on its last echo.
    void Strike(ConnectionId id, int pingMs) {
        hall_.Receive(id, msg::Strike(static_cast<int>(id) + 1, ++stroke_ % 2, ++sequence_, pingMs).Bytes());
    }
    // Ringer `id` on a link of `roundTripMs` strikes as its client would: it
    // reports the round trip plus the hold its last echo waited in the server.
    void Ring(ConnectionId id, double roundTripMs) {
        Strike(id, static_cast<int>(std::lround(roundTripMs + Ms(outbox_.lastHeld[id]))));
    }
    // Each ringer on its link strikes `rounds` times, half a second apart.
    void RingRounds(const std::map<ConnectionId, double>& links, int rounds) {
        for (int i = 0; i < rounds; ++i) {
            for (const auto& [id, roundTrip] : links) Ring(id, roundTrip);
            clock_.now += 500ms;
        }
    }
    // How long a message to ringer `id` sent now is held. Each probe moves
    // the clock on by a second, which keeps the probes within the chat rate.
    double HoldMs(ConnectionId id) {
        hall_.Receive(3, msg::Chat("", "probe").Bytes());
        clock_.now += 1s;
        return Ms(outbox_.lastHeld[id]);
    }

    server::Log log_{true};  // warnings only
    server::LogDigest digest_{log_};
    HandClock clock_;
    HoldingOutbox outbox_;
    server::TowerHall hall_{outbox_, log_, digest_, clock_, server::HallLimits{10, 32, {5, 20}, {100, 200}, 150ms}};
    int stroke_ = 0;
    int sequence_ = 0;
};

// Holds are whole milliseconds apart from the rounding of the pings reported
// while they move.
constexpr double kNear = 0.5;

TEST_F(Balance, PingsThatTellNothingLateEchoesAndWhatTheEchoWaitedBeyondItsHoldMoveNothing) {
    RingRounds({{0, 10}, {2, 80}}, 4);
    clock_.now += 60s;
    ASSERT_NEAR(HoldMs(0), 70, kNear);
    // Five of each would be the median of the window if they counted.
    for (int i = 0; i < 5; ++i) {
        Strike(0, 0);       // nothing measured since its last strike
        Strike(0, 0x8000);  // negative as a signed word
        Strike(0, 0xFFFF);  // -1
        Strike(0, 30);      // less than the 70 ms its echo was held
    }
    Strike(2, 100);  // two late echoes of the slowest ringer
    Strike(2, 120);
    clock_.now += 5s;
    EXPECT_NEAR(HoldMs(0), 70, kNear);
    EXPECT_NEAR(HoldMs(2), 0, kNear);
    // Ringer 1's echoes wait 5 ms longer than asked (behind output held
    // longer): its client's pings say so, and its round trip stays 10 ms.
    outbox_.extra[0] = 5ms;
    RingRounds({{0, 10}, {2, 80}}, 12);
    outbox_.extra[0] = 0ms;
    EXPECT_NEAR(HoldMs(0), 70, kNear);
}

TEST_F(Balance, ARingerBeyondTheCapIsNotHeldAndDoesNotSetTheDelay) {
    RingRounds({{0, 10}, {1, 40}, {2, 200}}, 4);
    clock_.now += 60s;
    EXPECT_NEAR(HoldMs(0), 30, kNear);
    EXPECT_NEAR(HoldMs(1), 0, kNear);
    EXPECT_EQ(HoldMs(2), 0);

    // A ringer whose link grows worse than the cap is no longer held once
    // most of its recent pings say so: at once, since its bell is late anyway.
    RingRounds({{0, 300}}, 4);
    EXPECT_NEAR(HoldMs(0), 30, kNear) << "four of eight samples beyond the cap";
    RingRounds({{0, 300}}, 1);
    EXPECT_EQ(HoldMs(0), 0);
}

TEST_F(Balance, EveryoneHearsTheirOwnStrikesAfterTheSlowestRoundTripAndHoldsMoveAtMost2MsASecond) {
    RingRounds({{0, 10}, {1, 40}}, 4);
    clock_.now += 60s;
    ASSERT_NEAR(HoldMs(0), 30, kNear);
    // A slower ringer begins to ring, and is known after its third strike.
    RingRounds({{0, 10}, {1, 40}, {2, 80}}, 4);
    EXPECT_NEAR(HoldMs(0), 30 + 2 * 1.0, kNear);
    EXPECT_NEAR(HoldMs(1), 0 + 2 * 2.0, kNear) << "known after 1 s, probed 2 s later";
    clock_.now += 60s;
    EXPECT_NEAR(HoldMs(0), 70, kNear);
    EXPECT_NEAR(HoldMs(1), 40, kNear);
    EXPECT_NEAR(HoldMs(2), 0, kNear);
    EXPECT_EQ(HoldMs(3), 0) << "a ringer who has not rung is not held";

    // The slowest ringer leaves: the others' holds fall to the next slowest.
    const auto left = clock_.now;
    hall_.Disconnect(2);
    clock_.now = left + 10s;
    EXPECT_NEAR(HoldMs(0), 50, kNear);
    EXPECT_NEAR(HoldMs(1), 40 - 2 * 11.0, kNear);
    clock_.now = left + 30s;
    EXPECT_NEAR(HoldMs(0), 30, kNear);
    EXPECT_NEAR(HoldMs(1), 0, kNear);
}

TEST(TokenBucket, ABurstPassesThenTheRateAndOneLineMarksEachRunOfRefusals) {
    const server::RateLimit limit{5, 20};
    server::TokenBucket bucket;
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
