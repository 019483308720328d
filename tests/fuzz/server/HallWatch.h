// The rules everything the hall sends must keep, checked beside it in the
// fuzzer. The watch keeps what the clients have been told (who is in which
// tower, who rings which bells, who conducts) and judges each message the
// hall takes, and each connection it loses, once it has been handled: from
// what the hall sent meanwhile and how its counters moved, against what the
// clients knew before. A broken rule aborts with what went wrong, so that
// libFuzzer keeps the input.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "server/TowerHall.h"
#include "tests/fuzz/server/Script.h"

namespace fuzzscript {

using server::ConnectionId;

class HallWatch {
public:
    HallWatch(const server::TowerHall& hall, const server::HallLimits& limits) : hall_(hall), limits_(limits) {}

    void Connected(ConnectionId id);
    // Everything the hall hands its outbox, as it does.
    void Sent(ConnectionId to, std::string_view message);
    // The hall has handled `message` from `from` and the connection may stay.
    void Handled(ConnectionId from, std::string_view message);
    // The hall has refused `message` from `from` as a protocol error.
    void Refused(ConnectionId from, std::string_view message);
    // The hall has let `id` go.
    void Disconnected(ConnectionId id);
    // Between steps: nothing is left unjudged and the hall agrees with the watch.
    void CheckTotals() const;

private:
    struct Client {
        bool connected = false;
        bool greeted = false;
        std::string tower;  // empty while in no tower
        std::string name;   // the ringer's name while in a tower
        std::string bells;  // as last announced
        bool conductor = false;
        bool allocating = false;  // its last message was a record that did not end an allocation
        std::string lastAllocated;
    };
    struct Tower {
        std::string description;
        unsigned bellCount = 0;
        std::vector<ConnectionId> members;
    };
    struct Delivery {
        ConnectionId to;
        std::string message;
        friend auto operator<=>(const Delivery&, const Delivery&) = default;
    };
    struct Totals {
        std::uint64_t relayed = 0, dropped = 0, limited = 0, refused = 0;
        friend bool operator==(const Totals&, const Totals&) = default;
    };

    void JudgeHello(ConnectionId from);
    void JudgeEntry(ConnectionId from, std::string_view tower, std::string_view description, std::string_view ringer,
                    bool start);
    void JudgeRecord(ConnectionId from, std::string_view message);
    void JudgeStrike(ConnectionId from, std::string_view message);
    void JudgeChat(ConnectionId from, std::string_view message);
    void JudgeCall(ConnectionId from, std::string_view message);
    // One message to relay: exactly one of relayed, dropped and limited
    // counts it; dropped exactly when not `allowed`; when relayed, `relay`
    // went once to each member of the sender's tower. True when relayed.
    bool Relay(ConnectionId from, bool allowed, std::string_view relay, const char* what);
    // What the hall sent since the last judgement is `expected`, in any order.
    void ExpectSent(std::vector<Delivery> expected, const char* what);
    // The counters moved by `delta` since the last judgement, and the sender's own with them.
    void ExpectCounted(ConnectionId from, const Totals& delta, const char* what);
    Totals Delta() const;
    // `message` once to each member of `tower`.
    std::vector<Delivery> ToMembers(const Tower& tower, std::string_view message) const;
    Client& ClientOf(ConnectionId id);

    const server::TowerHall& hall_;
    server::HallLimits limits_;
    std::array<Client, kConnectionCount> clients_;
    std::map<std::string, Tower, std::less<>> towers_;
    std::vector<Delivery> sent_;  // since the last judgement
    Totals counted_;              // the hall's counters at the last judgement
    std::array<std::uint32_t, kConnectionCount> droppedFrom_{}, limitedFrom_{};
};

}  // namespace fuzzscript
