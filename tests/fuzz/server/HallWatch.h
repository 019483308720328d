// The rules everything the hall does must keep, checked beside it in the
// fuzzer. The watch keeps what the clients have been told (who is in which
// tower, who rings which bells, who conducts) and judges each message the
// hall takes, and each connection it loses, once it has been handled: from
// what the hall sent meanwhile and how its counters moved, against what the
// clients knew before. A broken rule aborts with what went wrong, so that
// libFuzzer keeps the input.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "net/ServerDispatch.h"
#include "server/TowerHall.h"
#include "tests/fuzz/server/Script.h"

namespace fuzzscript {

using server::ConnectionId;

// Aborts unless `rule` was kept, so that libFuzzer keeps the input; `judging` says what was judged.
inline void Require(bool kept, const char* rule, const char* judging = "a step") {
    if (kept) return;
    std::fprintf(stderr, "broken rule, judging %s: %s\n", judging, rule);
    std::abort();
}

// Each message the client's dispatch decodes, made again by its type's builder.
struct Rebuilt final : wire::ServerMessageHandler {
    void OnRingerInfo(const wire::RingerInfo& message) override { bytes = Bytes(message); }
    void OnCall(const wire::Call& message) override { bytes = Bytes(message); }
    void OnStrike(const wire::Strike& message) override { bytes = Bytes(message); }
    void OnRingerLeft(const wire::RingerLeft& message) override { bytes = Bytes(message); }
    void OnChat(const wire::Chat& message) override { bytes = Bytes(message); }
    void OnTowerListEntry(const wire::TowerListEntry& message) override { bytes = Bytes(message); }
    void OnTowerEntered(const wire::TowerEntered& message) override { bytes = Bytes(message); }
    void OnServerNotice(const wire::ServerNotice& message) override { bytes = Bytes(message); }
    std::string bytes;
};

// What the hall must refuse as a protocol error from this client.
inline bool MustRefuse(bool greeted, std::string_view message) {
    const auto type = wire::ToMessageType(wire::TypeOf(message));
    const int size = type ? wire::SizeFromClient(*type) : 0;
    return size == 0 || message.size() < static_cast<std::size_t>(size) ||
           (!greeted && *type != wire::MessageType::Hello);
}

// Distinct symbols of bells 1 to `bellCount`: what the Bells dialog makes.
inline bool IsSetOfBells(std::string_view bells, unsigned bellCount) {
    for (std::size_t i = 0; i < bells.size(); ++i)
        if (wire::kBellSymbols.find(bells[i]) >= bellCount || bells.find(bells[i]) != i) return false;
    return true;
}

using Counters = server::HallCounters;

class HallWatch {
public:
    HallWatch(const server::TowerHall& hall, const server::HallLimits& limits) : hall_(hall), limits_(limits) {}

    void Connected(ConnectionId id) { clients_[id] = Client{.connected = true}; }

    // Everything the hall hands its outbox, as it does: of a type the server
    // sends, and byte for byte as the client reads it and its builder makes it.
    void Sent(ConnectionId to, std::string_view message) {
        Require(to < clients_.size() && clients_[to].connected, "a message to a connection not in the hall");
        Rebuilt rebuilt;
        Require(wire::DispatchFromServer(message, rebuilt) == wire::Dispatched::Handled && rebuilt.bytes == message,
                "the hall sent a message unlike its type's builder makes it");
        sent_.push_back({to, std::string(message)});
    }

    // The hall has handled `message` from `from` and the connection may stay.
    void Handled(ConnectionId from, std::string_view message) {
        Client& sender = clients_[from];
        Require(sender.connected && !MustRefuse(sender.greeted, message), "the hall took a message it must refuse");
        const bool continuing = sender.allocating;  // its last message was a record in an allocation
        sender.allocating = false;
        bool allowed = !sender.tower.empty();  // what follows the switch is relayed only within a tower
        std::string relay;
        switch (*wire::ToMessageType(wire::TypeOf(message))) {
        case wire::MessageType::Hello: return JudgeHello(from);
        case wire::MessageType::StartTower: return JudgeEntry(from, *wire::ReadStartTower(message), true);
        case wire::MessageType::JoinTower: {
            const auto join = *wire::ReadJoinTower(message);
            return JudgeEntry(from, {join.tower, {}, join.ringer}, false);
        }
        case wire::MessageType::RingerInfo: return JudgeRecord(from, *wire::ReadRingerInfo(message), continuing);
        case wire::MessageType::Strike: {
            // Bell, stroke, sequence number and ping go out as they came, from a ringer of that bell.
            const wire::Strike strike = *wire::ReadStrike(message);
            allowed = allowed && strike.bell >= 1 && strike.bell <= towers_.at(sender.tower).bellCount &&
                      sender.bells.find(wire::kBellSymbols[strike.bell - 1]) != std::string::npos;
            relay = Bytes(strike);
            break;
        }
        case wire::MessageType::Chat: {
            // The line goes out under the sender's own name, whatever it claimed.
            const wire::Chat chat = *wire::ReadChat(message);
            allowed = allowed && !chat.line.empty();
            relay = Bytes(wire::Chat{sender.name, chat.line});
            break;
        }
        case wire::MessageType::Call: {
            const wire::Call call = *wire::ReadCall(message);
            allowed = allowed && sender.conductor && !call.text.empty();
            relay = Bytes(call);
            break;
        }
        case wire::MessageType::RingerLeft:
        case wire::MessageType::TowerListEntry:
        case wire::MessageType::ServerNotice: return;  // MustRefuse said so
        }
        Relay(from, allowed, relay, "a strike, chat line or call");
    }

    // The hall has refused `message` from `from` as a protocol error.
    void Refused(ConnectionId from, std::string_view message) {
        Require(MustRefuse(clients_[from].greeted, message), "the hall refused a message it must take");
        Expect(from, {}, nullptr, "a protocol error");
    }

    // The hall has let `id` go: the others in its tower are told.
    void Disconnected(ConnectionId id) {
        Client& client = clients_[id];
        std::vector<Delivery> expected;
        if (const auto tower = towers_.find(client.tower); tower != towers_.end()) {
            std::erase(tower->second.members, id);
            expected = ToMembers(tower->second, Bytes(wire::RingerLeft{client.name}));
            if (tower->second.members.empty()) towers_.erase(tower);
        }
        client = Client{};  // its own counts went with it
        Expect(id, std::move(expected), nullptr, "a ringer leaving");
    }

    // Between steps: nothing is left unjudged and the hall agrees with the watch.
    void CheckTotals() const {
        Require(sent_.empty(), "the hall sent while handling no message and losing no connection");
        Require(hall_.TowerCount() == towers_.size(), "the hall holds other towers than its clients were told of");
        for (ConnectionId id = 0; id < clients_.size(); ++id)
            Require(AsCounted(id) && hall_.Greeted(id) == clients_[id].greeted &&
                        hall_.InTower(id) == !clients_[id].tower.empty(),
                    "a connection greeted, in a tower or counted unlike its answers said");
    }

private:
    // While in a tower: its name and the ringer's, its bells and role as last announced.
    struct Client {
        bool connected = false, greeted = false, conductor = false;
        std::string tower, name, bells;
        bool allocating = false;  // its last message was a record that did not end an allocation
        std::string lastAllocated;
        Counters counts;  // only dropped and limited: the hall counts those for each connection
    };
    struct Tower {
        std::string description;
        std::uint16_t bellCount = 0;
        std::vector<ConnectionId> members;
    };
    struct Delivery {
        ConnectionId to;
        std::string message;
        friend bool operator==(const Delivery&, const Delivery&) = default;
    };

    void JudgeHello(ConnectionId from) {
        std::vector<Delivery> expected;
        if (towers_.empty()) expected.push_back({from, Bytes(wire::TowerListEntry{})});
        const auto count = static_cast<std::int16_t>(towers_.size());
        for (const auto& [name, tower] : towers_)
            expected.push_back({from, Bytes(wire::TowerListEntry{count, name, tower.description})});
        Expect(from, std::move(expected), nullptr, "the tower list answering Hello");
        clients_[from].greeted = true;
    }

    // A request to start a tower, or to join one (without a description).
    void JudgeEntry(ConnectionId from, const wire::StartTower& request, bool start) {
        const std::string_view name = request.tower, ringer = request.ringer;
        Client& client = clients_[from];
        const auto found = towers_.find(name);
        bool refuse = !client.tower.empty() || ringer.empty() || name.empty();
        if (start) refuse = refuse || found != towers_.end() || towers_.size() >= std::size_t(limits_.maxTowers);
        else
            refuse = refuse || found == towers_.end() ||
                     found->second.members.size() >= std::size_t(limits_.maxRingersPerTower) ||
                     std::ranges::any_of(found->second.members,
                                         [&](ConnectionId id) { return clients_[id].name == ringer; });
        const bool noticed = sent_.size() == 1 && sent_[0].to == from &&
                             wire::TypeOf(sent_[0].message) == wire::serverNotice::kType &&
                             !wire::ReadServerNotice(sent_[0].message)->text.empty();
        Require(refuse == noticed, refuse ? "a request that must be refused was not" : "a fair request was refused");
        if (refuse) return Expect(from, sent_, &Counters::refused, "a refused request");
        Tower& tower = start ? towers_[std::string(name)] : found->second;
        if (start) tower.description = request.description;
        const Delivery entered{from, Bytes(wire::TowerEntered{name})};
        Require(!sent_.empty() && sent_.front() == entered, "entering a tower does not begin with TowerEntered");
        // Then the newcomer hears of itself and everyone present; they hear of it.
        const std::string arrival = Bytes(wire::RingerInfo{tower.bellCount, ringer, {}, false});
        std::vector<Delivery> expected{entered, {from, arrival}};
        for (const ConnectionId member : tower.members) {
            const Client& present = clients_[member];
            expected.push_back(
                {from, Bytes(wire::RingerInfo{tower.bellCount, present.name, present.bells, present.conductor})});
            expected.push_back({member, arrival});
        }
        Expect(from, std::move(expected), nullptr, "the records of entering a tower");
        tower.members.push_back(from);
        client.tower = name;
        client.name = ringer;
    }

    void JudgeRecord(ConnectionId from, const wire::RingerInfo& record, bool continuing) {
        Client& sender = clients_[from];
        Tower* tower = sender.tower.empty() ? nullptr : &towers_.at(sender.tower);
        Client* ringer = nullptr;
        bool conducted = false;
        std::string_view lastName;  // the last ringer in name order
        for (const ConnectionId member : tower ? tower->members : std::vector<ConnectionId>{}) {
            Client& present = clients_[member];
            if (present.name == record.name) ringer = &present;
            conducted = conducted || present.conductor;
            lastName = std::max(lastName, std::string_view(present.name));
        }
        // Nobody conducts, or the sender does, or it goes on with an allocation it began while it did.
        const bool mayAllocate = !conducted || sender.conductor || (continuing && record.name > sender.lastAllocated);
        const bool allowed = ringer && mayAllocate && record.bellCount <= wire::kMaxBells &&
                             IsSetOfBells(record.bells, record.bellCount);
        if (!Relay(from, allowed, Bytes(record), "a ringer record")) return;
        tower->bellCount = record.bellCount;
        ringer->bells = record.bells;
        ringer->conductor = record.conductor;
        sender.allocating = record.name != lastName;
        sender.lastAllocated = record.name;
    }

    // One message to relay: counted once as relayed, dropped (exactly when not
    // `allowed`) or limited; when relayed, `relay` went to each member of the
    // sender's tower. True when relayed.
    bool Relay(ConnectionId from, bool allowed, const std::string& relay, const char* what) {
        const bool limited = allowed && hall_.Counters().limited > counted_.limited;
        if (!allowed || limited) Expect(from, {}, limited ? &Counters::limited : &Counters::dropped, what);
        else Expect(from, ToMembers(towers_.at(clients_[from].tower), relay), &Counters::relayed, what);
        return allowed && !limited;
    }

    // The hall sent `expected` since the last judgement, in any order, and its
    // counters, the sender's own with them, moved by one in `counted` (if any).
    void Expect(ConnectionId from, std::vector<Delivery> expected, std::uint64_t Counters::*counted, const char* what) {
        Require(std::ranges::is_permutation(sent_, expected), "the hall sent other messages than its rules ask", what);
        sent_.clear();
        if (counted) ++(counted_.*counted), ++(clients_[from].counts.*counted);
        Require(AsCounted(from), "the hall's counters, or the sender's own, moved otherwise", what);
    }

    // The hall's counters are as the watch counted them, and so are those of `id`.
    bool AsCounted(ConnectionId id) const {
        const Counters& now = hall_.Counters();
        const Counters& own = clients_[id].counts;
        return now.relayed == counted_.relayed && now.dropped == counted_.dropped && now.limited == counted_.limited &&
               now.refused == counted_.refused && hall_.DroppedFrom(id) == own.dropped &&
               hall_.LimitedFrom(id) == own.limited;
    }

    std::vector<Delivery> ToMembers(const Tower& tower, const std::string& message) const {
        std::vector<Delivery> deliveries;
        for (const ConnectionId member : tower.members) deliveries.push_back({member, message});
        return deliveries;
    }

    const server::TowerHall& hall_;
    const server::HallLimits limits_;
    std::array<Client, kConnectionCount> clients_;
    std::map<std::string, Tower, std::less<>> towers_;
    std::vector<Delivery> sent_;  // since the last judgement
    Counters counted_;            // what the hall's counters should say
};

}  // namespace fuzzscript
