#include "tests/fuzz/server/HallWatch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "net/Messages.h"

namespace fuzzscript {
namespace {

[[noreturn]] void Broken(const std::string& rule) {
    std::fprintf(stderr, "broken rule: %s\n", rule.c_str());
    std::abort();
}

template <typename Message>
std::optional<std::string> BuiltAgain(const std::optional<Message>& message) {
    if (!message) return std::nullopt;
    return std::string(wire::Build(*message).Bytes());
}

// The message as its type's reader reads it and its builder makes it again:
// a message the hall sends must come back byte for byte.
std::optional<std::string> ReadAndBuiltAgain(wire::MessageType type, std::string_view message) {
    switch (type) {
    case wire::MessageType::RingerInfo: return BuiltAgain(wire::ReadRingerInfo(message));
    case wire::MessageType::Call: return BuiltAgain(wire::ReadCall(message));
    case wire::MessageType::Strike: return BuiltAgain(wire::ReadStrike(message));
    case wire::MessageType::RingerLeft: return BuiltAgain(wire::ReadRingerLeft(message));
    case wire::MessageType::Chat: return BuiltAgain(wire::ReadChat(message));
    case wire::MessageType::TowerListEntry: return BuiltAgain(wire::ReadTowerListEntry(message));
    case wire::MessageType::TowerEntered: return BuiltAgain(wire::ReadTowerEntered(message));
    case wire::MessageType::ServerNotice: return BuiltAgain(wire::ReadServerNotice(message));
    case wire::MessageType::Hello:
    case wire::MessageType::StartTower: return std::nullopt;
    }
    return std::nullopt;
}

void CheckWellFormed(std::string_view message) {
    const std::uint16_t number = wire::TypeOf(message);
    const auto type = wire::ToMessageType(number);
    const int size = type ? wire::SizeFromServer(*type) : 0;
    if (size == 0) Broken("the hall sent type " + std::to_string(number) + ", which no server sends");
    if (message.size() != static_cast<std::size_t>(size))
        Broken("the hall sent type " + std::to_string(number) + " at " + std::to_string(message.size()) +
               " bytes, not " + std::to_string(size));
    if (ReadAndBuiltAgain(*type, message) != message)
        Broken("the hall sent type " + std::to_string(number) + " unlike its builder makes it");
}

// What the hall must refuse as a protocol error from this client.
bool MustRefuse(bool greeted, std::string_view message) {
    const auto type = wire::ToMessageType(wire::TypeOf(message));
    const int size = type ? wire::SizeFromClient(*type) : 0;
    return size == 0 || message.size() < static_cast<std::size_t>(size) ||
           (!greeted && *type != wire::MessageType::Hello);
}

// Distinct symbols of bells 1 to `bellCount`: what the Bells dialog makes.
bool IsSetOfBells(std::string_view bells, unsigned bellCount) {
    std::string seen;
    for (const char symbol : bells) {
        const auto index = wire::kBellSymbols.find(symbol);
        if (index == std::string_view::npos || index >= bellCount || seen.find(symbol) != std::string::npos)
            return false;
        seen += symbol;
    }
    return true;
}

std::string Bytes(const MessageBuffer& message) { return std::string(message.Bytes()); }

}  // namespace

HallWatch::Client& HallWatch::ClientOf(ConnectionId id) {
    if (id >= clients_.size()) Broken("connection " + std::to_string(id) + " was never connected");
    return clients_[id];
}

void HallWatch::Connected(ConnectionId id) {
    Client& client = ClientOf(id);
    if (client.connected) Broken("connection " + std::to_string(id) + " connected twice");
    if (hall_.DroppedFrom(id) != 0 || hall_.LimitedFrom(id) != 0)
        Broken("a new connection " + std::to_string(id) + " starts with the counts of the last");
    client = Client{};
    client.connected = true;
    droppedFrom_[id] = 0;
    limitedFrom_[id] = 0;
}

void HallWatch::Sent(ConnectionId to, std::string_view message) {
    if (to >= clients_.size() || !clients_[to].connected)
        Broken("a message to connection " + std::to_string(to) + ", which is not in the hall");
    CheckWellFormed(message);
    sent_.push_back({to, std::string(message)});
}

void HallWatch::Handled(ConnectionId from, std::string_view message) {
    Client& client = ClientOf(from);
    if (!client.connected) Broken("a message from a connection not in the hall");
    if (MustRefuse(client.greeted, message))
        Broken("the hall took type " + std::to_string(wire::TypeOf(message)) + " of " + std::to_string(message.size()) +
               " bytes, which it must refuse");
    const auto type = *wire::ToMessageType(wire::TypeOf(message));
    if (type != wire::MessageType::RingerInfo) client.allocating = false;
    switch (type) {
    case wire::MessageType::Hello: return JudgeHello(from);
    case wire::MessageType::StartTower: {
        const auto start = *wire::ReadStartTower(message);
        return JudgeEntry(from, start.tower, start.description, start.ringer, true);
    }
    case wire::MessageType::JoinTower: {
        const auto join = *wire::ReadJoinTower(message);
        return JudgeEntry(from, join.tower, {}, join.ringer, false);
    }
    case wire::MessageType::RingerInfo: return JudgeRecord(from, message);
    case wire::MessageType::Strike: return JudgeStrike(from, message);
    case wire::MessageType::Chat: return JudgeChat(from, message);
    case wire::MessageType::Call: return JudgeCall(from, message);
    case wire::MessageType::RingerLeft:
    case wire::MessageType::TowerListEntry:
    case wire::MessageType::ServerNotice: break;  // MustRefuse said so
    }
}

void HallWatch::Refused(ConnectionId from, std::string_view message) {
    if (!MustRefuse(ClientOf(from).greeted, message))
        Broken("the hall refused type " + std::to_string(wire::TypeOf(message)) + " of " +
               std::to_string(message.size()) + " bytes as a protocol error");
    ExpectSent({}, "a protocol error");
    ExpectCounted(from, {}, "a protocol error");
}

void HallWatch::JudgeHello(ConnectionId from) {
    std::vector<Delivery> expected;
    if (towers_.empty()) expected.push_back({from, Bytes(wire::Build(wire::TowerListEntry{}))});
    const auto count = static_cast<std::int16_t>(towers_.size());
    for (const auto& [name, tower] : towers_)
        expected.push_back({from, Bytes(wire::Build(wire::TowerListEntry{count, name, tower.description}))});
    ExpectSent(std::move(expected), "the tower list answering Hello");
    ExpectCounted(from, {}, "Hello");
    clients_[from].greeted = true;
}

void HallWatch::JudgeEntry(ConnectionId from, std::string_view towerName, std::string_view description,
                           std::string_view ringer, bool start) {
    Client& client = clients_[from];
    const auto found = towers_.find(towerName);
    const auto named = [&](const Tower& tower) {
        return std::any_of(tower.members.begin(), tower.members.end(),
                           [&](ConnectionId member) { return clients_[member].name == ringer; });
    };
    bool refuse = !client.tower.empty() || ringer.empty() || towerName.empty();
    if (!refuse && start)
        refuse = found != towers_.end() || towers_.size() >= static_cast<std::size_t>(limits_.maxTowers);
    if (!refuse && !start)
        refuse = found == towers_.end() || named(found->second) ||
                 found->second.members.size() >= static_cast<std::size_t>(limits_.maxRingersPerTower);
    const bool noticed = sent_.size() == 1 && sent_[0].to == from &&
                         wire::TypeOf(sent_[0].message) == wire::serverNotice::kType &&
                         !wire::ReadServerNotice(sent_[0].message)->text.empty();
    if (refuse != noticed)
        Broken(std::string(refuse ? "a request that must be refused was not" : "a fair request was refused") + " (" +
               (start ? "start" : "join") + ")");
    if (refuse) {
        sent_.clear();
        return ExpectCounted(from, {.refused = 1}, "a refused request");
    }

    Tower& tower =
        start ? towers_.emplace(towerName, Tower{std::string(description), 0, {}}).first->second : found->second;
    const Delivery entered{from, Bytes(wire::Build(wire::TowerEntered{towerName}))};
    if (sent_.empty() || sent_.front() != entered) Broken("entering a tower does not begin with TowerEntered");
    sent_.erase(sent_.begin());
    const auto bellCount = static_cast<std::uint16_t>(tower.bellCount);
    const std::string arrival = Bytes(wire::Build(wire::RingerInfo{bellCount, ringer, {}, false}));
    std::vector<Delivery> expected{{from, arrival}};
    for (const ConnectionId member : tower.members) {
        const Client& present = clients_[member];
        expected.push_back(
            {from, Bytes(wire::Build(wire::RingerInfo{bellCount, present.name, present.bells, present.conductor}))});
        expected.push_back({member, arrival});
    }
    ExpectSent(std::move(expected), "the records of entering a tower");
    ExpectCounted(from, {}, "entering a tower");
    tower.members.push_back(from);
    client.tower = towerName;
    client.name = ringer;
    client.bells.clear();
    client.conductor = false;
}

void HallWatch::JudgeRecord(ConnectionId from, std::string_view message) {
    Client& sender = clients_[from];
    const wire::RingerInfo record = *wire::ReadRingerInfo(message);
    const bool continuing = sender.allocating;
    sender.allocating = false;
    Tower* tower = sender.tower.empty() ? nullptr : &towers_.at(sender.tower);
    std::optional<ConnectionId> target;
    bool conducted = false;
    std::string_view lastName;  // the last ringer in name order
    if (tower) {
        for (const ConnectionId member : tower->members) {
            const Client& present = clients_[member];
            if (present.name == record.name) target = member;
            conducted = conducted || present.conductor;
            lastName = std::max(lastName, std::string_view(present.name));
        }
    }
    // Nobody conducts, or the sender does, or it goes on with an allocation it began while it did.
    const bool mayAllocate =
        !conducted || sender.conductor || (continuing && record.name > std::string_view(sender.lastAllocated));
    const bool allowed = tower && mayAllocate && target && record.bellCount <= wire::kMaxBells &&
                         IsSetOfBells(record.bells, record.bellCount);
    const std::string relay = Bytes(wire::Build(record));
    if (!Relay(from, allowed, relay, "a ringer record")) return;

    Client& ringer = clients_[*target];
    tower->bellCount = record.bellCount;
    ringer.bells = record.bells;
    ringer.conductor = record.conductor;
    sender.allocating = record.name != lastName;
    sender.lastAllocated = record.name;
}

void HallWatch::JudgeStrike(ConnectionId from, std::string_view message) {
    const Client& sender = clients_[from];
    const wire::Strike strike = *wire::ReadStrike(message);
    const bool rings = strike.bell >= 1 && strike.bell <= wire::kMaxBells &&
                       sender.bells.find(wire::kBellSymbols[strike.bell - 1]) != std::string::npos;
    const bool allowed = !sender.tower.empty() && rings && strike.bell <= towers_.at(sender.tower).bellCount;
    // Bell, stroke, sequence number and ping go out as they came.
    Relay(from, allowed, Bytes(wire::Build(strike)), "a strike");
}

void HallWatch::JudgeChat(ConnectionId from, std::string_view message) {
    const Client& sender = clients_[from];
    const wire::Chat chat = *wire::ReadChat(message);
    const bool allowed = !sender.tower.empty() && !chat.line.empty();
    // The line goes out under the sender's own name, whatever it claimed.
    Relay(from, allowed, Bytes(wire::Build(wire::Chat{sender.name, chat.line})), "a chat line");
}

void HallWatch::JudgeCall(ConnectionId from, std::string_view message) {
    const Client& sender = clients_[from];
    const wire::Call call = *wire::ReadCall(message);
    const bool allowed = !sender.tower.empty() && sender.conductor && !call.text.empty();
    Relay(from, allowed, Bytes(wire::Build(call)), "a call");
}

bool HallWatch::Relay(ConnectionId from, bool allowed, std::string_view relay, const char* what) {
    if (!allowed) {
        ExpectSent({}, what);
        ExpectCounted(from, {.dropped = 1}, what);
        return false;
    }
    if (Delta().limited > 0) {
        ExpectSent({}, what);
        ExpectCounted(from, {.limited = 1}, what);
        return false;
    }
    ExpectSent(ToMembers(towers_.at(clients_[from].tower), relay), what);
    ExpectCounted(from, {.relayed = 1}, what);
    return true;
}

void HallWatch::Disconnected(ConnectionId id) {
    Client& client = ClientOf(id);
    if (!client.connected) Broken("the hall let go of connection " + std::to_string(id) + ", which it did not have");
    std::vector<Delivery> expected;
    if (const auto tower = towers_.find(client.tower); tower != towers_.end()) {
        std::erase(tower->second.members, id);
        expected = ToMembers(tower->second, Bytes(wire::Build(wire::RingerLeft{client.name})));
        if (tower->second.members.empty()) towers_.erase(tower);
    }
    ExpectSent(std::move(expected), "a ringer leaving");
    // The connection's own counts went with it.
    if (Delta() != Totals{}) Broken("counters moved as a connection left");
    client = Client{};
}

void HallWatch::CheckTotals() const {
    if (!sent_.empty()) Broken("the hall sent while handling no message and losing no connection");
    if (Delta() != Totals{}) Broken("counters moved while handling no message");
    if (hall_.TowerCount() != towers_.size())
        Broken("the hall holds " + std::to_string(hall_.TowerCount()) + " towers, its clients were told of " +
               std::to_string(towers_.size()));
    for (ConnectionId id = 0; id < clients_.size(); ++id) {
        const Client& client = clients_[id];
        if (hall_.Greeted(id) != (client.connected && client.greeted))
            Broken("connection " + std::to_string(id) + " greeted or not unlike its answers said");
        if (hall_.InTower(id) != !client.tower.empty())
            Broken("connection " + std::to_string(id) + " in a tower or not unlike its answers said");
    }
}

void HallWatch::ExpectSent(std::vector<Delivery> expected, const char* what) {
    std::sort(expected.begin(), expected.end());
    std::sort(sent_.begin(), sent_.end());
    const auto listed = [](const std::vector<Delivery>& deliveries) {
        std::string text;
        for (const Delivery& delivery : deliveries)
            text += " type " + std::to_string(wire::TypeOf(delivery.message)) + " to " + std::to_string(delivery.to);
        return text;
    };
    if (sent_ != expected) Broken(std::string(what) + ": the hall sent" + listed(sent_) + ", not" + listed(expected));
    sent_.clear();
}

HallWatch::Totals HallWatch::Delta() const {
    const server::HallCounters& now = hall_.Counters();
    return {now.relayed - counted_.relayed, now.dropped - counted_.dropped, now.limited - counted_.limited,
            now.refused - counted_.refused};
}

void HallWatch::ExpectCounted(ConnectionId from, const Totals& delta, const char* what) {
    const Totals moved = Delta();
    if (moved != delta)
        Broken(std::string(what) + ": counters moved by relayed " + std::to_string(moved.relayed) + ", dropped " +
               std::to_string(moved.dropped) + ", limited " + std::to_string(moved.limited) + ", refused " +
               std::to_string(moved.refused));
    if (hall_.DroppedFrom(from) - droppedFrom_[from] != delta.dropped ||
        hall_.LimitedFrom(from) - limitedFrom_[from] != delta.limited)
        Broken(std::string(what) + ": the sender's own counts do not add up to the hall's");
    const server::HallCounters& now = hall_.Counters();
    counted_ = {now.relayed, now.dropped, now.limited, now.refused};
    droppedFrom_[from] = hall_.DroppedFrom(from);
    limitedFrom_[from] = hall_.LimitedFrom(from);
}

std::vector<HallWatch::Delivery> HallWatch::ToMembers(const Tower& tower, std::string_view message) const {
    std::vector<Delivery> deliveries;
    for (const ConnectionId member : tower.members) deliveries.push_back({member, std::string(message)});
    return deliveries;
}

}  // namespace fuzzscript
