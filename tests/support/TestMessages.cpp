#include "tests/support/TestMessages.h"

#include "net/Wire.h"

namespace testsupport::msg {

MessageBuffer Hello() {
    MessageBuffer message;
    message.Create(wire::hello::kSize, wire::hello::kType, wire::kThirdWord);
    return message;
}

MessageBuffer StartTower(std::string_view tower, std::string_view description, std::string_view ringer) {
    namespace m = wire::startTower;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kTower, tower);
    message.PutString(m::kDescription, description);
    message.PutString(m::kRinger, ringer);
    return message;
}

MessageBuffer JoinTower(std::string_view tower, std::string_view ringer) {
    namespace m = wire::joinTower;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutString(m::kTower, tower);
    message.PutString(m::kRinger, ringer);
    return message;
}

MessageBuffer RingerInfo(int bellCount, std::string_view ringer, std::string_view bells, bool conductor) {
    namespace m = wire::ringerInfo;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutU16(m::kBellCount, static_cast<unsigned>(bellCount));
    message.PutString(m::kName, ringer);
    message.PutString(m::kBells, bells);
    message.PutU16(m::kConductor, conductor ? 1 : 0);
    return message;
}

MessageBuffer Strike(int bell, int stroke, int sequence, int ping) {
    namespace m = wire::strike;
    MessageBuffer message;
    message.Create(m::kSize, m::kType, wire::kThirdWord);
    message.PutU16(m::kBell, static_cast<unsigned>(bell));
    message.PutU16(m::kStroke, static_cast<unsigned>(stroke));
    message.PutU16(m::kSequence, static_cast<unsigned>(sequence));
    message.PutU16(m::kPing, static_cast<unsigned>(ping));
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

MessageBuffer Raw(int length, std::uint16_t type) {
    MessageBuffer message;
    message.Create(length, type, wire::kThirdWord);
    return message;
}

std::string Header(std::uint16_t lengthField, std::uint16_t type) {
    MessageBuffer message;
    message.Create(wire::kHeaderSize, type, wire::kThirdWord);
    message.PutU16(wire::kLengthOffset, lengthField);
    return std::string(message.Bytes());
}

std::uint16_t TypeOf(const MessageBuffer& message) { return message.GetU16(wire::kTypeOffset); }

RingerRecord ReadRingerInfo(const MessageBuffer& message) {
    namespace m = wire::ringerInfo;
    return RingerRecord{message.GetU16(m::kBellCount), message.GetString(m::kName), message.GetString(m::kBells),
                        message.GetU16(m::kConductor) != 0};
}

}  // namespace testsupport::msg
