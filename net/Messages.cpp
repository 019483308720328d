#include "net/Messages.h"

namespace wire {

namespace build {

namespace {

MessageBuffer Blank(int size, std::uint16_t type) {
    MessageBuffer message;
    message.Create(size, type, kThirdWord);
    return message;
}

}  // namespace

MessageBuffer Hello() { return Blank(hello::kSize, hello::kType); }

MessageBuffer RingerInfo(int bellCount, std::string_view ringer, std::string_view bells, bool conductor) {
    namespace m = ringerInfo;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutU16(m::kBellCount, static_cast<unsigned>(bellCount));
    message.PutString(m::kName, ringer);
    message.PutString(m::kBells, bells);
    message.PutU16(m::kConductor, conductor ? 1u : 0u);
    return message;
}

MessageBuffer Call(std::string_view text) {
    MessageBuffer message = Blank(call::kSize, call::kType);
    message.PutString(call::kText, text);
    return message;
}

MessageBuffer Strike(int bell, int stroke, int sequence, int ping) {
    namespace m = strike;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutU16(m::kBell, static_cast<unsigned>(bell));
    message.PutU16(m::kStroke, static_cast<unsigned>(stroke));
    message.PutU16(m::kSequence, static_cast<unsigned>(sequence));
    message.PutU16(m::kPing, static_cast<unsigned>(ping));
    return message;
}

MessageBuffer RingerLeft(std::string_view ringer) {
    MessageBuffer message = Blank(ringerLeft::kSize, ringerLeft::kType);
    message.PutString(ringerLeft::kName, ringer);
    return message;
}

MessageBuffer Chat(std::string_view ringer, std::string_view line) {
    MessageBuffer message = Blank(chat::kSize, chat::kType);
    message.PutString(chat::kName, ringer);
    message.PutString(chat::kText, line);
    return message;
}

MessageBuffer TowerListEntry(int towerCount, std::string_view tower, std::string_view description) {
    namespace m = towerListEntry;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutU16(m::kCount, static_cast<unsigned>(towerCount));
    message.PutString(m::kName, tower);
    message.PutString(m::kDescription, description);
    return message;
}

MessageBuffer StartTower(std::string_view tower, std::string_view description, std::string_view ringer) {
    namespace m = startTower;
    MessageBuffer message = Blank(m::kSize, m::kType);
    message.PutString(m::kTower, tower);
    message.PutString(m::kDescription, description);
    message.PutString(m::kRinger, ringer);
    return message;
}

MessageBuffer JoinTower(std::string_view tower, std::string_view ringer) {
    MessageBuffer message = Blank(joinTower::kSize, joinTower::kType);
    message.PutString(joinTower::kTower, tower);
    message.PutString(joinTower::kRinger, ringer);
    return message;
}

MessageBuffer TowerEntered(std::string_view tower) {
    MessageBuffer message = Blank(towerEntered::kSize, towerEntered::kType);
    message.PutString(towerEntered::kTower, tower);
    return message;
}

MessageBuffer ServerNotice(std::string_view text) {
    MessageBuffer message = Blank(serverNotice::kSize, serverNotice::kType);
    message.PutString(serverNotice::kText, text);
    return message;
}

}  // namespace build

std::uint16_t TypeOf(const MessageBuffer& message) { return message.GetU16(kTypeOffset); }

RingerInfoFields ReadRingerInfo(const MessageBuffer& message) {
    namespace m = ringerInfo;
    return {message.GetU16(m::kBellCount), message.GetString(m::kName), message.GetString(m::kBells),
            message.GetU16(m::kConductor) != 0};
}

StrikeFields ReadStrike(const MessageBuffer& message) {
    namespace m = strike;
    const auto field = [&](int offset) {
        return message.Length() >= static_cast<std::size_t>(offset + 2) ? message.GetU16(offset) : 0;
    };
    return {message.GetU16(m::kBell), message.GetU16(m::kStroke), field(m::kSequence), field(m::kPing)};
}

}  // namespace wire
