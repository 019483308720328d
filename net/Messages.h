// One builder per message layout of the wire catalogue, and the readers more
// than one place needs, so that nobody lays out a message field by field twice.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/MessageBuffer.h"

namespace wire {

namespace build {

// Each message at the full size of its type, third header word 1.
MessageBuffer Hello();
MessageBuffer RingerInfo(int bellCount, std::string_view ringer, std::string_view bells, bool conductor);
MessageBuffer Call(std::string_view text);
MessageBuffer Strike(int bell, int stroke, int sequence, int ping);
MessageBuffer RingerLeft(std::string_view ringer);
MessageBuffer Chat(std::string_view ringer, std::string_view line);
MessageBuffer TowerListEntry(int towerCount, std::string_view tower, std::string_view description);
MessageBuffer StartTower(std::string_view tower, std::string_view description, std::string_view ringer);
MessageBuffer JoinTower(std::string_view tower, std::string_view ringer);
MessageBuffer TowerEntered(std::string_view tower);
MessageBuffer ServerNotice(std::string_view text);

}  // namespace build

struct RingerInfoFields {
    int bellCount;
    std::string name;
    std::string bells;
    bool conductor;
    friend bool operator==(const RingerInfoFields&, const RingerInfoFields&) = default;
};

struct StrikeFields {
    int bell, stroke, sequence, ping;
    friend bool operator==(const StrikeFields&, const StrikeFields&) = default;
};

std::uint16_t TypeOf(const MessageBuffer& message);
RingerInfoFields ReadRingerInfo(const MessageBuffer& message);
// The sequence number and the ping read 0 when the strike is too short to
// hold them.
StrikeFields ReadStrike(const MessageBuffer& message);

}  // namespace wire
