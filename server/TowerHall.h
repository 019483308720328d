// The towers of one server and the rules of what each connection may do in
// them. The hall knows nothing of sockets: it is told "connection X sent this
// message" and answers through an Outbox, so a benchmark or a test can drive
// it without a network.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/Messages.h"
#include "server/Clock.h"
#include "server/GradualValue.h"
#include "server/Log.h"
#include "server/LogDigest.h"
#include "server/RoundTrip.h"
#include "server/TokenBucket.h"

namespace server {

// Connections are numbered by their owner; numbers are small and reused once
// a connection has been disconnected from the hall.
using ConnectionId = std::uint32_t;

// How a connection is named in the log: "#12", by a number its owner never
// gives to another connection in the same run, so its lines can be followed.
std::string ConnectionTag(std::uint64_t number);

// Where the hall's answers and relays go. Send must not call back into the hall.
class Outbox {
public:
    // Queues `message` for `to`, to go out `hold` from now, or later when
    // output queued for `to` before it goes later: a connection's messages
    // never overtake each other. Returns how long the message waits.
    virtual Clock::Duration Send(ConnectionId to, std::string_view message, Clock::Duration hold) = 0;

protected:
    ~Outbox() = default;
};

struct HallLimits {
    int maxTowers = 1000;  // at most 32767: the tower count travels as a signed word
    int maxRingersPerTower = 32;
    // Each member's chat lines and calls together, and its strikes: far above
    // what a person types or rings, so only a flood is held back. Ringer
    // records (bell allocations) have a bucket of their own at the strikes' rate.
    RateLimit lines{5, 20};
    RateLimit strikes{100, 200};
    // Latency balancing: what goes to each member of a tower is held so that
    // all hear their own strikes after the slowest one's round trip, for
    // round trips up to this; 0: off.
    Clock::Duration balanceCap{};
    // How fast a hold may change: slowly enough that a ringer hears their own
    // bell drift rather than jump.
    Clock::Duration balanceDriftPerSecond = std::chrono::milliseconds(2);
};

struct HallCounters {
    std::uint64_t relayed = 0;  // messages passed on to a tower
    std::uint64_t dropped = 0;  // messages a permission rule refused
    std::uint64_t limited = 0;  // messages beyond a rate limit, dropped
    std::uint64_t refused = 0;  // tower requests answered with a notice
};

class TowerHall {
public:
    // Rate limits read `clock`; repeated warnings go through `digest`.
    TowerHall(Outbox& outbox, Log& log, LogDigest& digest, const Clock& clock, HallLimits limits);

    // A new connection, named `number` in the log: it has to say Hello before anything else.
    void Connect(ConnectionId id, std::uint64_t number);
    // One whole message from `id`, which must have been connected (the framing
    // has checked its length field). Returns why the connection has to be
    // closed, or nothing when it may stay.
    std::optional<std::string> Receive(ConnectionId id, std::string_view message);
    // The connection has ended: its ringer leaves the tower, whose other
    // ringers are told, and a tower left empty is removed.
    void Disconnect(ConnectionId id);

    bool Greeted(ConnectionId id) const;
    bool InTower(ConnectionId id) const;
    // Messages from `id` that a permission rule refused so far.
    std::uint32_t DroppedFrom(ConnectionId id) const;
    // Messages from `id` dropped so far for coming faster than its rate limits.
    std::uint32_t LimitedFrom(ConnectionId id) const;
    std::size_t TowerCount() const { return towers_.size(); }
    const HallCounters& Counters() const { return counters_; }

private:
    struct Tower;

    struct Member {
        std::uint64_t number = 0;  // the connection's name in the log
        bool greeted = false;
        Tower* tower = nullptr;      // the tower this connection's ringer is in
        std::string name;            // the ringer's name while in a tower
        std::string bells;           // bell string as last accepted
        std::uint16_t bellMask = 0;  // bit n set: rings bell n
        bool conductor = false;
        // The Bells dialog sends one record per ringer in name order. A conductor
        // who hands the role on loses it at their own record, yet the records
        // after it belong to the same allocation: while this connection sends
        // nothing but accepted records in rising name order, it may go on.
        bool allocating = false;
        std::string lastAllocated;  // name in the last record accepted from it
        std::uint32_t dropped = 0;
        std::uint32_t limited = 0;
        TokenBucket lines;  // chat and calls
        TokenBucket strikes;
        TokenBucket records;
        // While balancing: what goes to this member is held for the slowest
        // member's round trip less this one's, a hold that changes gently.
        RoundTrip roundTrip;
        GradualValue hold;
    };

    struct Tower {
        std::string name;
        std::string description;
        std::uint16_t bellCount = 0;
        int conductors = 0;
        std::vector<ConnectionId> members;                         // everyone a relay goes to
        std::map<std::string, ConnectionId, std::less<>> ringers;  // by name, byte order
    };

    void OnHello(ConnectionId id);
    void OnStartTower(ConnectionId id, const wire::StartTower& message);
    void OnJoinTower(ConnectionId id, const wire::JoinTower& message);
    void OnRingerInfo(ConnectionId id, const wire::RingerInfo& message);
    void OnStrike(ConnectionId id, const wire::Strike& message);
    void OnChat(ConnectionId id, const wire::Chat& message);
    void OnCall(ConnectionId id, const wire::Call& message);

    // Checks shared by StartTower and JoinTower; true when a notice was sent.
    bool RefusedEntry(ConnectionId id, std::string_view action, std::string_view tower, std::string_view ringer);
    void Refuse(ConnectionId id, std::string_view action, std::string_view tower, std::string_view ringer,
                std::string_view notice);
    void Enter(ConnectionId id, Tower& tower, std::string_view ringer);
    // Counts a message a rule refused; the first one of a connection is logged.
    void Drop(ConnectionId id, const char* what, const char* why);
    // Takes a token from the member's bucket; false, counted and (once per
    // burst) logged when the message has come too soon and must be dropped.
    bool WithinRate(ConnectionId id, TokenBucket& bucket, const RateLimit& limit, const char* what);
    std::string Tag(ConnectionId id) const { return ConnectionTag(members_[id].number); }
    bool Balancing() const { return limits_.balanceCap > Clock::Duration::zero(); }
    // The time holds are reckoned at: only read while balancing.
    Clock::TimePoint BalanceNow() const { return Balancing() ? clock_.Now() : Clock::TimePoint{}; }
    // Sends to one connection, held by its hold; returns how long it waits.
    Clock::Duration Send(ConnectionId to, std::string_view message, Clock::TimePoint now);
    void Broadcast(const Tower& tower, std::string_view message);
    // Aims every member's hold at the slowest member's round trip less its
    // own; a member whose round trip is not known (or beyond the cap) is not held.
    void AimHolds(const Tower& tower, Clock::TimePoint now);

    Outbox& outbox_;
    Log& log_;
    LogDigest& digest_;
    const Clock& clock_;
    HallLimits limits_;
    HallCounters counters_;
    std::vector<Member> members_;                       // indexed by ConnectionId
    std::map<std::string, Tower, std::less<>> towers_;  // by name, byte order
};

}  // namespace server
