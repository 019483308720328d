#include "server/TowerHall.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "net/Messages.h"
#include "net/Wire.h"

namespace server {
namespace {

// The bells of a bell string as a mask (bit n for bell n), or nothing when the
// string holds anything but distinct symbols of bells 1 to `bellCount`: the
// only strings the Bells dialog can produce.
std::optional<std::uint16_t> BellMask(std::string_view bells, unsigned bellCount) {
    std::uint16_t mask = 0;
    for (const char symbol : bells) {
        const auto index = wire::kBellSymbols.find(symbol);
        if (index == std::string_view::npos || index + 1 > bellCount) return std::nullopt;
        const auto bit = static_cast<std::uint16_t>(1u << (index + 1));
        if (mask & bit) return std::nullopt;
        mask |= bit;
    }
    return mask;
}

// Texts of the notices; each fits the 80-byte slot.
constexpr std::string_view kNoticeAlreadyInTower = "You are already in a tower.";
constexpr std::string_view kNoticeNoName = "Please give your name.";
constexpr std::string_view kNoticeNoTowerName = "Please give the name of a tower.";
constexpr std::string_view kNoticeTowerTaken = "A tower of that name is already open. Join it or choose another name.";
constexpr std::string_view kNoticeTooManyTowers = "This server has as many towers as it can hold. Please join one.";
constexpr std::string_view kNoticeUnknownTower = "That tower is no longer open. Please choose another.";
constexpr std::string_view kNoticeNameTaken = "Someone in that tower already uses that name. Please choose another.";
constexpr std::string_view kNoticeTowerFull = "That tower is full. Please choose another.";

}  // namespace

std::string ConnectionTag(std::uint64_t number) {
    std::string tag = "#";
    tag += std::to_string(number);
    return tag;
}

TowerHall::TowerHall(Outbox& outbox, Log& log, LogDigest& digest, const Clock& clock, HallLimits limits)
    : outbox_(outbox), log_(log), digest_(digest), clock_(clock), limits_(limits) {}

void TowerHall::Connect(ConnectionId id, std::uint64_t number) {
    if (id >= members_.size()) members_.resize(id + 1);
    members_[id] = Member{};
    members_[id].number = number;
}

bool TowerHall::Greeted(ConnectionId id) const { return id < members_.size() && members_[id].greeted; }

bool TowerHall::InTower(ConnectionId id) const { return id < members_.size() && members_[id].tower != nullptr; }

std::uint32_t TowerHall::DroppedFrom(ConnectionId id) const { return id < members_.size() ? members_[id].dropped : 0; }

std::uint32_t TowerHall::LimitedFrom(ConnectionId id) const { return id < members_.size() ? members_[id].limited : 0; }

std::optional<std::string> TowerHall::Receive(ConnectionId id, std::string_view message) {
    const std::uint16_t number = wire::TypeOf(message);
    const auto type = wire::ToMessageType(number);
    const int size = type ? wire::SizeFromClient(*type) : 0;
    if (size == 0) return "message type " + std::to_string(number) + " is not one a client sends";
    if (message.size() < static_cast<std::size_t>(size))
        return "message type " + std::to_string(number) + " of " + std::to_string(message.size()) +
               " bytes is shorter than its " + std::to_string(size);
    Member& sender = members_[id];
    if (!sender.greeted && *type != wire::MessageType::Hello)
        return "message type " + std::to_string(number) + " before Hello";
    if (*type != wire::MessageType::RingerInfo) sender.allocating = false;

    // Every message is at its full size, so every reader finds its fields.
    switch (*type) {
    case wire::MessageType::Hello: OnHello(id); break;
    case wire::MessageType::RingerInfo: OnRingerInfo(id, *wire::ReadRingerInfo(message)); break;
    case wire::MessageType::Call: OnCall(id, *wire::ReadCall(message)); break;
    case wire::MessageType::Strike: OnStrike(id, *wire::ReadStrike(message)); break;
    case wire::MessageType::Chat: OnChat(id, *wire::ReadChat(message)); break;
    case wire::MessageType::StartTower: OnStartTower(id, *wire::ReadStartTower(message)); break;
    case wire::MessageType::JoinTower: OnJoinTower(id, *wire::ReadJoinTower(message)); break;
    case wire::MessageType::RingerLeft:
    case wire::MessageType::TowerListEntry:
    case wire::MessageType::ServerNotice: break;  // refused above: no client sends these
    }
    return std::nullopt;
}

void TowerHall::OnHello(ConnectionId id) {
    members_[id].greeted = true;
    const auto now = BalanceNow();
    if (towers_.empty()) {
        Send(id, wire::Build(wire::TowerListEntry{}).Bytes(), now);
        return;
    }
    const auto count = static_cast<std::int16_t>(towers_.size());
    for (const auto& [name, tower] : towers_)
        Send(id, wire::Build(wire::TowerListEntry{count, name, tower.description}).Bytes(), now);
}

bool TowerHall::RefusedEntry(ConnectionId id, std::string_view action, std::string_view tower,
                             std::string_view ringer) {
    if (members_[id].tower) {
        Refuse(id, action, tower, ringer, kNoticeAlreadyInTower);
        return true;
    }
    if (ringer.empty()) {
        Refuse(id, action, tower, ringer, kNoticeNoName);
        return true;
    }
    if (tower.empty()) {
        Refuse(id, action, tower, ringer, kNoticeNoTowerName);
        return true;
    }
    return false;
}

void TowerHall::OnStartTower(ConnectionId id, const wire::StartTower& message) {
    const std::string_view name = message.tower;
    const std::string_view ringer = message.ringer;
    if (RefusedEntry(id, "start", name, ringer)) return;
    if (towers_.find(name) != towers_.end()) return Refuse(id, "start", name, ringer, kNoticeTowerTaken);
    if (towers_.size() >= static_cast<std::size_t>(limits_.maxTowers))
        return Refuse(id, "start", name, ringer, kNoticeTooManyTowers);

    Tower& tower = towers_.emplace(std::string(name), Tower{}).first->second;
    tower.name = name;
    tower.description = message.description;
    log_.Info(Tag(id) + " " + Quoted(ringer) + " started tower " + Quoted(name) + " (" +
              std::to_string(towers_.size()) + " towers open)");
    Enter(id, tower, ringer);
}

void TowerHall::OnJoinTower(ConnectionId id, const wire::JoinTower& message) {
    const std::string_view name = message.tower;
    const std::string_view ringer = message.ringer;
    if (RefusedEntry(id, "join", name, ringer)) return;
    const auto found = towers_.find(name);
    if (found == towers_.end()) return Refuse(id, "join", name, ringer, kNoticeUnknownTower);
    Tower& tower = found->second;
    if (tower.ringers.find(ringer) != tower.ringers.end()) return Refuse(id, "join", name, ringer, kNoticeNameTaken);
    if (tower.members.size() >= static_cast<std::size_t>(limits_.maxRingersPerTower))
        return Refuse(id, "join", name, ringer, kNoticeTowerFull);

    log_.Info(Tag(id) + " " + Quoted(ringer) + " joined tower " + Quoted(name) + " (" +
              std::to_string(tower.members.size() + 1) + " ringers)");
    Enter(id, tower, ringer);
}

void TowerHall::Refuse(ConnectionId id, std::string_view action, std::string_view tower, std::string_view ringer,
                       std::string_view notice) {
    ++counters_.refused;
    log_.Info(Tag(id) + " refused to " + std::string(action) + " tower " + Quoted(tower) + " for " + Quoted(ringer) +
              ": " + std::string(notice));
    Send(id, wire::Build(wire::ServerNotice{notice}).Bytes(), BalanceNow());
}

void TowerHall::Enter(ConnectionId id, Tower& tower, std::string_view ringer) {
    Member& member = members_[id];
    member.tower = &tower;
    member.name = ringer;
    member.bells.clear();
    member.bellMask = 0;
    member.conductor = false;
    tower.members.push_back(id);
    tower.ringers.emplace(member.name, id);

    // The newcomer first learns the tower, then everyone in it, itself included;
    // everyone else learns of the newcomer.
    const auto now = BalanceNow();
    Send(id, wire::Build(wire::TowerEntered{tower.name}).Bytes(), now);
    for (const auto& [name, ringerId] : tower.ringers) {
        const Member& present = members_[ringerId];
        Send(id, wire::Build(wire::RingerInfo{tower.bellCount, name, present.bells, present.conductor}).Bytes(), now);
    }
    const MessageBuffer arrival = wire::Build(wire::RingerInfo{tower.bellCount, member.name, {}, false});
    for (const ConnectionId other : tower.members)
        if (other != id) Send(other, arrival.Bytes(), now);
}

void TowerHall::OnRingerInfo(ConnectionId id, const wire::RingerInfo& message) {
    Member& sender = members_[id];
    const bool continuesAllocation = sender.allocating;
    sender.allocating = false;
    if (!sender.tower) return Drop(id, "RingerInfo", "the sender is in no tower");
    Tower& tower = *sender.tower;
    const std::string_view name = message.name;
    // Judged on the records as they stand at this message, as the client's own
    // rule would judge them: nobody conducts, or the sender does, or the sender
    // is still in the allocation it began while allowed to.
    const bool allowed = tower.conductors == 0 || sender.conductor ||
                         (continuesAllocation && name > std::string_view(sender.lastAllocated));
    if (!allowed) return Drop(id, "RingerInfo", "someone else conducts");
    const unsigned bellCount = message.bellCount;
    if (bellCount > static_cast<unsigned>(wire::kMaxBells)) return Drop(id, "RingerInfo", "more than 12 bells");
    const auto target = tower.ringers.find(name);
    if (target == tower.ringers.end()) return Drop(id, "RingerInfo", "no ringer of that name in the tower");
    const std::string_view bells = message.bells;
    const auto mask = BellMask(bells, bellCount);
    if (!mask) return Drop(id, "RingerInfo", "the bell string is not a set of the tower's bells");
    const bool conductor = message.conductor;
    if (!WithinRate(id, sender.records, limits_.strikes, "ringer records")) return;

    Member& ringer = members_[target->second];
    tower.bellCount = static_cast<std::uint16_t>(bellCount);
    ringer.bells = bells;
    ringer.bellMask = *mask;
    if (ringer.conductor != conductor) tower.conductors += conductor ? 1 : -1;
    ringer.conductor = conductor;
    // The allocation ends with the last ringer in name order.
    sender.allocating = target != std::prev(tower.ringers.end());
    sender.lastAllocated = ringer.name;
    Broadcast(tower, wire::Build(wire::RingerInfo{tower.bellCount, ringer.name, ringer.bells, conductor}).Bytes());
}

void TowerHall::OnStrike(ConnectionId id, const wire::Strike& message) {
    Member& sender = members_[id];
    if (!sender.tower) return Drop(id, "Strike", "the sender is in no tower");
    Tower& tower = *sender.tower;
    const unsigned bell = message.bell;
    if (bell < 1 || bell > tower.bellCount || !(sender.bellMask & (1u << bell)))
        return Drop(id, "Strike", "a bell the sender does not ring");
    if (!WithinRate(id, sender.strikes, limits_.strikes, "strikes")) return;

    // The ping was measured on the echo of the sender's last strike relayed.
    const auto now = BalanceNow();
    if (Balancing() && message.ping &&
        sender.roundTrip.Report(static_cast<std::int16_t>(*message.ping), limits_.balanceCap))
        AimHolds(tower, now);

    // Bell, stroke, sequence number and ping go out as they came: the striker
    // times its strikes by them. A strike fits in the buffer's own bytes.
    ++counters_.relayed;
    const MessageBuffer relay = wire::Build(message);
    for (const ConnectionId member : tower.members) {
        const auto held = Send(member, relay.Bytes(), now);
        if (member == id) sender.roundTrip.EchoHeld(held);
    }
}

void TowerHall::OnChat(ConnectionId id, const wire::Chat& message) {
    const Member& sender = members_[id];
    if (!sender.tower) return Drop(id, "Chat", "the sender is in no tower");
    if (message.line.empty()) return Drop(id, "Chat", "an empty line");
    if (!WithinRate(id, members_[id].lines, limits_.lines, "chat lines and calls")) return;
    // The name slot always carries the sender's own name, whatever it sent.
    Broadcast(*sender.tower, wire::Build(wire::Chat{sender.name, message.line}).Bytes());
}

void TowerHall::OnCall(ConnectionId id, const wire::Call& message) {
    const Member& sender = members_[id];
    if (!sender.tower) return Drop(id, "Call", "the sender is in no tower");
    if (!sender.conductor) return Drop(id, "Call", "only the conductor calls");
    if (message.text.empty()) return Drop(id, "Call", "an empty call");
    if (!WithinRate(id, members_[id].lines, limits_.lines, "chat lines and calls")) return;
    Broadcast(*sender.tower, wire::Build(wire::Call{message.text}).Bytes());
}

void TowerHall::Drop(ConnectionId id, const char* what, const char* why) {
    ++counters_.dropped;
    if (++members_[id].dropped == 1)
        log_.Info(Tag(id) + " dropped " + what + ": " + why + " (further refusals are only counted)");
}

bool TowerHall::WithinRate(ConnectionId id, TokenBucket& bucket, const RateLimit& limit, const char* what) {
    const auto verdict = bucket.Take(limit, clock_.Now());
    if (verdict == TokenBucket::Verdict::Pass) return true;
    ++counters_.limited;
    ++members_[id].limited;
    if (verdict == TokenBucket::Verdict::FirstRefusal)
        digest_.Report(LogEvent::RateLimited,
                       Tag(id) + " sends " + what + " faster than " + std::to_string(limit.perSecond) +
                           " a second (bursts of " + std::to_string(limit.burst) +
                           "): dropping them until it slows down",
                       clock_.Now());
    return false;
}

Clock::Duration TowerHall::Send(ConnectionId to, std::string_view message, Clock::TimePoint now) {
    const Member& member = members_[to];
    const bool held = Balancing() && member.tower;
    return outbox_.Send(to, message, held ? member.hold.At(now) : Clock::Duration{});
}

void TowerHall::Broadcast(const Tower& tower, std::string_view message) {
    ++counters_.relayed;
    const auto now = BalanceNow();
    for (const ConnectionId id : tower.members) Send(id, message, now);
}

void TowerHall::AimHolds(const Tower& tower, Clock::TimePoint now) {
    Clock::Duration slowest{};
    for (const ConnectionId id : tower.members)
        slowest = std::max(slowest, members_[id].roundTrip.Estimate().value_or(Clock::Duration::zero()));
    for (const ConnectionId id : tower.members) {
        Member& member = members_[id];
        if (const auto roundTrip = member.roundTrip.Estimate())
            member.hold.Aim(slowest - *roundTrip, limits_.balanceDriftPerSecond, now);
        else member.hold.Set({}, now);
    }
}

void TowerHall::Disconnect(ConnectionId id) {
    if (id >= members_.size()) return;
    Member& member = members_[id];
    if (Tower* tower = member.tower) {
        std::erase(tower->members, id);
        tower->ringers.erase(member.name);
        if (member.conductor) --tower->conductors;
        log_.Info(Tag(id) + " " + Quoted(member.name) + " left tower " + Quoted(tower->name));
        if (tower->members.empty()) {
            log_.Info("tower " + Quoted(tower->name) + " closed (" + std::to_string(towers_.size() - 1) +
                      " towers open)");
            towers_.erase(towers_.find(tower->name));
        } else {
            // Without the slowest ringer the others' delay falls, gently.
            const auto now = BalanceNow();
            if (Balancing()) AimHolds(*tower, now);
            const MessageBuffer left = wire::Build(wire::RingerLeft{member.name});
            for (const ConnectionId other : tower->members) Send(other, left.Bytes(), now);
        }
    }
    member = Member{};
}

}  // namespace server
