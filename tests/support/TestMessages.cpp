#include "tests/support/TestMessages.h"

#include "net/Wire.h"

namespace testsupport::msg {

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

RingerRecord ReadRingerInfo(const MessageBuffer& message) {
    const auto info = wire::ReadRingerInfo(message.Bytes()).value();
    return {info.bellCount, std::string(info.name), std::string(info.bells), info.conductor};
}

}  // namespace testsupport::msg
