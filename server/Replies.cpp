#include "server/Replies.h"

namespace server::reply {

MessageBuffer TowerListEntry(int towerCount, std::string_view tower, std::string_view description) {
    namespace m = wire::towerListEntry;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutU16(m::kCount, static_cast<unsigned>(towerCount));
    message.PutString(m::kName, tower);
    message.PutString(m::kDescription, description);
    return message;
}

MessageBuffer TowerEntered(std::string_view tower) {
    namespace m = wire::towerEntered;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kTower, tower);
    return message;
}

MessageBuffer RingerInfo(std::uint16_t bellCount, std::string_view ringer, std::string_view bells, bool conductor) {
    namespace m = wire::ringerInfo;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutU16(m::kBellCount, bellCount);
    message.PutString(m::kName, ringer);
    message.PutString(m::kBells, bells);
    message.PutU16(m::kConductor, conductor ? 1 : 0);
    return message;
}

MessageBuffer RingerLeft(std::string_view ringer) {
    namespace m = wire::ringerLeft;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kName, ringer);
    return message;
}

MessageBuffer Chat(std::string_view ringer, std::string_view line) {
    namespace m = wire::chat;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kName, ringer);
    message.PutString(m::kText, line);
    return message;
}

MessageBuffer Call(std::string_view text) {
    namespace m = wire::call;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kText, text);
    return message;
}

MessageBuffer ServerNotice(std::string_view text) {
    namespace m = wire::serverNotice;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kText, text);
    return message;
}

}  // namespace server::reply
