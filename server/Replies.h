// The messages the server builds for its clients, each at the full size of
// its type, with the third header word 1 as the client writes it.
#pragma once

#include <cstdint>
#include <string_view>

#include "net/MessageBuffer.h"

namespace server::reply {

MessageBuffer TowerListEntry(int towerCount, std::string_view tower, std::string_view description);
MessageBuffer TowerEntered(std::string_view tower);
MessageBuffer RingerInfo(std::uint16_t bellCount, std::string_view ringer, std::string_view bells, bool conductor);
MessageBuffer RingerLeft(std::string_view ringer);
MessageBuffer Chat(std::string_view ringer, std::string_view line);
MessageBuffer Call(std::string_view text);
MessageBuffer ServerNotice(std::string_view text);

}  // namespace server::reply
