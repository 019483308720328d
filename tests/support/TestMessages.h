// The messages a client sends, as the wire library builds them, readers for
// what the server sends, and raw messages no client would send.
#pragma once

#include <cstdint>
#include <string>

#include "net/Messages.h"

namespace testsupport::msg {

using wire::build::Call;
using wire::build::Chat;
using wire::build::Hello;
using wire::build::JoinTower;
using wire::build::RingerInfo;
using wire::build::StartTower;
using wire::build::Strike;

// A message of `length` bytes (6 or more) and the given type with a zero
// payload, for feeding the server what no client would send.
MessageBuffer Raw(int length, std::uint16_t type);
// A bare 6-byte header whose length field says `lengthField`, whatever follows.
std::string Header(std::uint16_t lengthField, std::uint16_t type);

using wire::TypeOf;
// A RingerInfo as read by the client.
using RingerRecord = wire::RingerInfoFields;
using wire::ReadRingerInfo;

}  // namespace testsupport::msg
