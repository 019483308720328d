#include "server/TowerHall.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "net/Messages.h"
#include "net/Wire.h"
#include "server/MessageView.h"

namespace server {
namespace {

// The size of each message a client sends, or 0 for a type no client sends.
int ClientMessageSize(std::uint16_t type) {
    switch (type) {
        case wire::hello::kType: return wire::hello::kSize;
        case wire::ringerInfo::kType: return wire::ringerInfo::kSize;
        case wire::call::kType: return wire::call::kSize;
        case wire::strike::kType: return wire::strike::kSize;
        case wire::chat::kType: return wire::chat::kSize;
        case wire::startTower::kType: return wire::startTower::kSize;
        case wire::joinTower::kType: return wire::joinTower::kSize;
        default: return 0;
    }
}

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

std::string ConnectionTag(ConnectionId id) {
    std::string tag = "#";
    tag += std::to_string(id);
    return tag;
}

TowerHall::TowerHall(Outbox& outbox, Log& log, HallLimits limits) : outbox_(outbox), log_(log), limits_(limits) {}

void TowerHall::Connect(ConnectionId id) {
    if (id >= members_.size()) members_.resize(id + 1);
    members_[id] = Member{};
}

bool TowerHall::Greeted(ConnectionId id) const { return id < members_.size() && members_[id].greeted; }

std::uint32_t TowerHall::DroppedFrom(ConnectionId id) const {
    return id < members_.size() ? members_[id].dropped : 0;
}

std::optional<std::string> TowerHall::Receive(ConnectionId id, std::string_view message) {
    const std::uint16_t type = ReadU16(message, wire::kTypeOffset);
    const int size = ClientMessageSize(type);
    if (size == 0) return "message type " + std::to_string(type) + " is not one a client sends";
    if (message.size() < static_cast<std::size_t>(size))
        return "message type " + std::to_string(type) + " of " + std::to_string(message.size()) +
               " bytes is shorter than its " + std::to_string(size);
    Member& sender = members_[id];
    if (!sender.greeted && type != wire::hello::kType)
        return "message type " + std::to_string(type) + " before Hello";
    if (type != wire::ringerInfo::kType) sender.allocating = false;

    switch (type) {
        case wire::hello::kType: OnHello(id); break;
        case wire::ringerInfo::kType: OnRingerInfo(id, message); break;
        case wire::call::kType: OnCall(id, message); break;
        case wire::strike::kType: OnStrike(id, message); break;
        case wire::chat::kType: OnChat(id, message); break;
        case wire::startTower::kType: OnStartTower(id, message); break;
        case wire::joinTower::kType: OnJoinTower(id, message); break;
    }
    return std::nullopt;
}

void TowerHall::OnHello(ConnectionId id) {
    members_[id].greeted = true;
    if (towers_.empty()) {
        outbox_.Send(id, wire::build::TowerListEntry(0, {}, {}).Bytes());
        return;
    }
    const int count = static_cast<int>(towers_.size());
    for (const auto& [name, tower] : towers_)
        outbox_.Send(id, wire::build::TowerListEntry(count, name, tower.description).Bytes());
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

void TowerHall::OnStartTower(ConnectionId id, std::string_view message) {
    namespace m = wire::startTower;
    const std::string_view name = ReadText(message, m::kTower);
    const std::string_view ringer = ReadText(message, m::kRinger);
    if (RefusedEntry(id, "start", name, ringer)) return;
    if (towers_.find(name) != towers_.end()) return Refuse(id, "start", name, ringer, kNoticeTowerTaken);
    if (towers_.size() >= static_cast<std::size_t>(limits_.maxTowers))
        return Refuse(id, "start", name, ringer, kNoticeTooManyTowers);

    Tower& tower = towers_.emplace(std::string(name), Tower{}).first->second;
    tower.name = name;
    tower.description = ReadText(message, m::kDescription);
    log_.Info(ConnectionTag(id) + " " + Quoted(ringer) + " started tower " + Quoted(name) + " (" +
              std::to_string(towers_.size()) + " towers open)");
    Enter(id, tower, ringer);
}

void TowerHall::OnJoinTower(ConnectionId id, std::string_view message) {
    namespace m = wire::joinTower;
    const std::string_view name = ReadText(message, m::kTower);
    const std::string_view ringer = ReadText(message, m::kRinger);
    if (RefusedEntry(id, "join", name, ringer)) return;
    const auto found = towers_.find(name);
    if (found == towers_.end()) return Refuse(id, "join", name, ringer, kNoticeUnknownTower);
    Tower& tower = found->second;
    if (tower.ringers.find(ringer) != tower.ringers.end()) return Refuse(id, "join", name, ringer, kNoticeNameTaken);
    if (tower.members.size() >= static_cast<std::size_t>(limits_.maxRingersPerTower))
        return Refuse(id, "join", name, ringer, kNoticeTowerFull);

    log_.Info(ConnectionTag(id) + " " + Quoted(ringer) + " joined tower " + Quoted(name) + " (" +
              std::to_string(tower.members.size() + 1) + " ringers)");
    Enter(id, tower, ringer);
}

void TowerHall::Refuse(ConnectionId id, std::string_view action, std::string_view tower, std::string_view ringer,
                       std::string_view notice) {
    ++counters_.refused;
    log_.Info(ConnectionTag(id) + " refused to " + std::string(action) + " tower " + Quoted(tower) + " for " + Quoted(ringer) +
              ": " + std::string(notice));
    outbox_.Send(id, wire::build::ServerNotice(notice).Bytes());
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
    outbox_.Send(id, wire::build::TowerEntered(tower.name).Bytes());
    for (const auto& [name, ringerId] : tower.ringers) {
        const Member& present = members_[ringerId];
        outbox_.Send(id, wire::build::RingerInfo(tower.bellCount, name, present.bells, present.conductor).Bytes());
    }
    const MessageBuffer arrival = wire::build::RingerInfo(tower.bellCount, member.name, {}, false);
    for (const ConnectionId other : tower.members)
        if (other != id) outbox_.Send(other, arrival.Bytes());
}

void TowerHall::OnRingerInfo(ConnectionId id, std::string_view message) {
    namespace m = wire::ringerInfo;
    Member& sender = members_[id];
    const bool continuesAllocation = sender.allocating;
    sender.allocating = false;
    if (!sender.tower) return Drop(id, "RingerInfo", "the sender is in no tower");
    Tower& tower = *sender.tower;
    const std::string_view name = ReadText(message, m::kName);
    // Judged on the records as they stand at this message, as the client's own
    // rule would judge them: nobody conducts, or the sender does, or the sender
    // is still in the allocation it began while allowed to.
    const bool allowed = tower.conductors == 0 || sender.conductor ||
                         (continuesAllocation && name > std::string_view(sender.lastAllocated));
    if (!allowed) return Drop(id, "RingerInfo", "someone else conducts");
    const unsigned bellCount = ReadU16(message, m::kBellCount);
    if (bellCount > static_cast<unsigned>(wire::kMaxBells)) return Drop(id, "RingerInfo", "more than 12 bells");
    const auto target = tower.ringers.find(name);
    if (target == tower.ringers.end()) return Drop(id, "RingerInfo", "no ringer of that name in the tower");
    const std::string_view bells = ReadText(message, m::kBells);
    const auto mask = BellMask(bells, bellCount);
    if (!mask) return Drop(id, "RingerInfo", "the bell string is not a set of the tower's bells");
    const bool conductor = ReadU16(message, m::kConductor) != 0;

    Member& ringer = members_[target->second];
    tower.bellCount = static_cast<std::uint16_t>(bellCount);
    ringer.bells = bells;
    ringer.bellMask = *mask;
    if (ringer.conductor != conductor) tower.conductors += conductor ? 1 : -1;
    ringer.conductor = conductor;
    // The allocation ends with the last ringer in name order.
    sender.allocating = target != std::prev(tower.ringers.end());
    sender.lastAllocated = ringer.name;
    Broadcast(tower, wire::build::RingerInfo(tower.bellCount, ringer.name, ringer.bells, conductor).Bytes());
}

void TowerHall::OnStrike(ConnectionId id, std::string_view message) {
    namespace m = wire::strike;
    const Member& sender = members_[id];
    if (!sender.tower) return Drop(id, "Strike", "the sender is in no tower");
    const unsigned bell = ReadU16(message, m::kBell);
    if (bell < 1 || bell > sender.tower->bellCount || !(sender.bellMask & (1u << bell)))
        return Drop(id, "Strike", "a bell the sender does not ring");

    // Bytes 6 to 13 go out as they came: the striker times its strikes by them.
    std::array<char, m::kSize> strike;
    std::memcpy(strike.data(), message.data(), strike.size());
    WriteU16(strike.data() + wire::kLengthOffset, m::kSize);
    WriteU16(strike.data() + wire::kWordOffset, wire::kThirdWord);
    Broadcast(*sender.tower, std::string_view(strike.data(), strike.size()));
}

void TowerHall::OnChat(ConnectionId id, std::string_view message) {
    const Member& sender = members_[id];
    if (!sender.tower) return Drop(id, "Chat", "the sender is in no tower");
    const std::string_view line = ReadText(message, wire::chat::kText);
    if (line.empty()) return Drop(id, "Chat", "an empty line");
    // The name slot always carries the sender's own name, whatever it sent.
    Broadcast(*sender.tower, wire::build::Chat(sender.name, line).Bytes());
}

void TowerHall::OnCall(ConnectionId id, std::string_view message) {
    const Member& sender = members_[id];
    if (!sender.tower) return Drop(id, "Call", "the sender is in no tower");
    if (!sender.conductor) return Drop(id, "Call", "only the conductor calls");
    const std::string_view text = ReadText(message, wire::call::kText);
    if (text.empty()) return Drop(id, "Call", "an empty call");
    Broadcast(*sender.tower, wire::build::Call(text).Bytes());
}

void TowerHall::Drop(ConnectionId id, const char* what, const char* why) {
    ++counters_.dropped;
    if (++members_[id].dropped == 1)
        log_.Info(ConnectionTag(id) + " dropped " + what + ": " + why + " (further refusals are only counted)");
}

void TowerHall::Broadcast(const Tower& tower, std::string_view message) {
    ++counters_.relayed;
    for (const ConnectionId id : tower.members) outbox_.Send(id, message);
}

void TowerHall::Disconnect(ConnectionId id) {
    if (id >= members_.size()) return;
    Member& member = members_[id];
    if (Tower* tower = member.tower) {
        std::erase(tower->members, id);
        tower->ringers.erase(member.name);
        if (member.conductor) --tower->conductors;
        log_.Info(ConnectionTag(id) + " " + Quoted(member.name) + " left tower " + Quoted(tower->name));
        if (tower->members.empty()) {
            log_.Info("tower " + Quoted(tower->name) + " closed (" + std::to_string(towers_.size() - 1) +
                      " towers open)");
            towers_.erase(towers_.find(tower->name));
        } else {
            const MessageBuffer left = wire::build::RingerLeft(member.name);
            for (const ConnectionId other : tower->members) outbox_.Send(other, left.Bytes());
        }
    }
    member = Member{};
}

}  // namespace server
