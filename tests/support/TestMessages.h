// Builders of the messages a client sends, laid out exactly as the client
// lays them out, and readers for the fields of what the server sends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/MessageBuffer.h"

namespace testsupport::msg {

MessageBuffer Hello();
MessageBuffer StartTower(std::string_view tower, std::string_view description, std::string_view ringer);
MessageBuffer JoinTower(std::string_view tower, std::string_view ringer);
MessageBuffer RingerInfo(int bellCount, std::string_view ringer, std::string_view bells, bool conductor);
MessageBuffer Strike(int bell, int stroke, int sequence, int ping);
MessageBuffer Chat(std::string_view ringer, std::string_view line);
MessageBuffer Call(std::string_view text);

// A message of `length` bytes (6 or more) and the given type with a zero
// payload, for feeding the server what no client would send.
MessageBuffer Raw(int length, std::uint16_t type);
// A bare 6-byte header whose length field says `lengthField`, whatever follows.
std::string Header(std::uint16_t lengthField, std::uint16_t type);

std::uint16_t TypeOf(const MessageBuffer& message);

// A RingerInfo as read by the client.
struct RingerRecord {
    int bellCount;
    std::string name;
    std::string bells;
    bool conductor;
    friend bool operator==(const RingerRecord&, const RingerRecord&) = default;
};
RingerRecord ReadRingerInfo(const MessageBuffer& message);

}  // namespace testsupport::msg
