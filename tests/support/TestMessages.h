// The messages a client sends, as the wire library builds them, readers for
// what the server sends, and raw messages no client would send.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/Messages.h"

namespace testsupport::msg {

inline MessageBuffer Hello() { return wire::Build(wire::Hello{}); }
inline MessageBuffer Call(std::string_view text) { return wire::Build(wire::Call{text}); }
inline MessageBuffer Chat(std::string_view ringer, std::string_view line) {
    return wire::Build(wire::Chat{ringer, line});
}
inline MessageBuffer JoinTower(std::string_view tower, std::string_view ringer) {
    return wire::Build(wire::JoinTower{tower, ringer});
}
inline MessageBuffer StartTower(std::string_view tower, std::string_view description, std::string_view ringer) {
    return wire::Build(wire::StartTower{tower, description, ringer});
}
inline MessageBuffer RingerInfo(int bellCount, std::string_view ringer, std::string_view bells, bool conductor) {
    return wire::Build(wire::RingerInfo{static_cast<std::uint16_t>(bellCount), ringer, bells, conductor});
}
inline MessageBuffer Strike(int bell, int stroke, int sequence, int ping) {
    return wire::Build(wire::Strike{static_cast<std::uint16_t>(bell), static_cast<std::uint16_t>(stroke),
                                    static_cast<std::uint16_t>(sequence), static_cast<std::uint16_t>(ping)});
}

// A message of `length` bytes (6 or more) and the given type with a zero
// payload, for feeding the server what no client would send.
inline MessageBuffer Raw(int length, std::uint16_t type) {
    MessageBuffer message;
    message.Create(length, type, wire::kThirdWord);
    return message;
}
// A bare 6-byte header whose length field says `lengthField`, whatever follows.
inline std::string Header(std::uint16_t lengthField, std::uint16_t type) {
    MessageBuffer message = Raw(wire::kHeaderSize, type);
    message.PutU16(wire::kLengthOffset, lengthField);
    return std::string(message.Bytes());
}

inline std::uint16_t TypeOf(const MessageBuffer& message) { return wire::TypeOf(message.Bytes()); }

// A RingerInfo as read by the client, owning its texts.
struct RingerRecord {
    int bellCount;
    std::string name;
    std::string bells;
    bool conductor;
    friend bool operator==(const RingerRecord&, const RingerRecord&) = default;
};
inline RingerRecord ReadRingerInfo(const MessageBuffer& message) {
    const auto info = wire::ReadRingerInfo(message.Bytes()).value();
    return {info.bellCount, std::string(info.name), std::string(info.bells), info.conductor};
}

}  // namespace testsupport::msg
