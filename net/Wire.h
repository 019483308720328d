// The wire catalogue: every message of the tower protocol, its type number,
// its size and the offset of each field. The client, the server and the tools
// all read the protocol from here and nowhere else.
//
// Every message starts with a 6-byte header; all integers are little-endian
// 16-bit words. String slots [start,end) hold the text's bytes, followed by one
// zero byte when the text is shorter than the slot (no terminator when it fills
// the slot exactly; a longer text is cut to the slot).
//
//   Header (every message)
//   +--------+-------+-----------------------------------------------+
//   | offset | width | field                                         |
//   +--------+-------+-----------------------------------------------+
//   | 0      | 2     | length: whole message in bytes, header too    |
//   | 2      | 2     | type                                          |
//   | 4      | 2     | third word: 1 from the client, never read     |
//   +--------+-------+-----------------------------------------------+
//
//   type name            dir   size  payload
//   ---- --------------- ----- ----  ------------------------------------------
//   1    Hello           C->S     6  (none): first message of a connection
//   2    RingerInfo      both   170  6 bell count | [8,88) ringer name |
//                                    [88,168) bell string | 168 conductor (!=0)
//   3    Call            both    86  [6,86) call text
//   4    Strike          C->S    14  6 bell | 8 stroke | 10 sequence | 12 ping
//   4    Strike          S->C 10-14  as sent; read as far as the length allows
//   5    RingerLeft      S->C    86  [6,86) ringer name
//   6    Chat            both   326  [6,86) ringer name | [86,326) chat line
//   7    TowerListEntry  S->C   168  6 tower count (signed) | [8,88) tower name |
//                                    [88,168) description
//   8    StartTower      C->S   246  [6,86) tower name | [86,166) description |
//                                    [166,246) ringer name
//   9    JoinTower       C->S   166  [6,86) tower name | [86,166) ringer name
//   9    TowerEntered    S->C    86  [6,86) tower name
//   10   ServerNotice    S->C    86  [6,86) text for the user
//
// Bell strings hold one symbol per bell from "1234567890ET" (bell 10 is "0",
// 11 "E", 12 "T"). The server relays RingerInfo, Strike, Chat and Call to every
// client of the tower, the sender included; a Strike goes out byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace wire {

// The message types, numbered as on the wire. Append, never renumber. Type 9
// has two names: JoinTower from a client, TowerEntered from the server.
enum class MessageType : std::uint16_t {
    Hello = 1,
    RingerInfo = 2,
    Call = 3,
    Strike = 4,
    RingerLeft = 5,
    Chat = 6,
    TowerListEntry = 7,
    StartTower = 8,
    JoinTower = 9,
    TowerEntered = 9,
    ServerNotice = 10,
};

inline constexpr std::uint16_t kFirstType = 1;
inline constexpr std::uint16_t kLastType = 10;

// The type's number in a header's type word.
constexpr std::uint16_t Number(MessageType type) { return static_cast<std::uint16_t>(type); }

// The type of a header's type word, or nothing for a number no message has.
constexpr std::optional<MessageType> ToMessageType(std::uint16_t number) {
    if (number < kFirstType || number > kLastType) return std::nullopt;
    return static_cast<MessageType>(number);
}

struct Slot {
    int start;
    int end;
    constexpr int Width() const { return end - start; }
};

inline constexpr std::uint16_t kServerPort = 17481;
inline constexpr int kHeaderSize = 6;
inline constexpr int kLengthOffset = 0;
inline constexpr int kTypeOffset = 2;
inline constexpr int kWordOffset = 4;
inline constexpr std::uint16_t kThirdWord = 1;

// The client takes a message out of its receive buffer only once 8 bytes are
// there, so a lone 6-byte message waits for the next one.
inline constexpr int kTakeOutThreshold = 8;
inline constexpr int kNameWidth = 80;
inline constexpr int kMaxBells = 12;
inline constexpr std::string_view kBellSymbols = "1234567890ET";

namespace hello {
inline constexpr std::uint16_t kType = Number(MessageType::Hello);
inline constexpr int kSize = 6;
}  // namespace hello

namespace ringerInfo {
inline constexpr std::uint16_t kType = Number(MessageType::RingerInfo);
inline constexpr int kSize = 170;
inline constexpr int kBellCount = 6;
inline constexpr Slot kName{8, 88};
inline constexpr Slot kBells{88, 168};
inline constexpr int kConductor = 168;
}  // namespace ringerInfo

namespace call {
inline constexpr std::uint16_t kType = Number(MessageType::Call);
inline constexpr int kSize = 86;
inline constexpr Slot kText{6, 86};
}  // namespace call

namespace strike {
inline constexpr std::uint16_t kType = Number(MessageType::Strike);
inline constexpr int kSize = 14;
inline constexpr int kMinSize = 10;  // bell and stroke
inline constexpr int kBell = 6;
inline constexpr int kStroke = 8;
inline constexpr int kSequence = 10;  // present from 12 bytes on
inline constexpr int kPing = 12;      // present from 14 bytes on
}  // namespace strike

namespace ringerLeft {
inline constexpr std::uint16_t kType = Number(MessageType::RingerLeft);
inline constexpr int kSize = 86;
inline constexpr Slot kName{6, 86};
}  // namespace ringerLeft

namespace chat {
inline constexpr std::uint16_t kType = Number(MessageType::Chat);
inline constexpr int kSize = 326;
inline constexpr Slot kName{6, 86};
inline constexpr Slot kText{86, 326};
}  // namespace chat

namespace towerListEntry {
inline constexpr std::uint16_t kType = Number(MessageType::TowerListEntry);
inline constexpr int kSize = 168;
inline constexpr int kCount = 6;
inline constexpr Slot kName{8, 88};
inline constexpr Slot kDescription{88, 168};
}  // namespace towerListEntry

namespace startTower {
inline constexpr std::uint16_t kType = Number(MessageType::StartTower);
inline constexpr int kSize = 246;
inline constexpr Slot kTower{6, 86};
inline constexpr Slot kDescription{86, 166};
inline constexpr Slot kRinger{166, 246};
}  // namespace startTower

namespace joinTower {
inline constexpr std::uint16_t kType = Number(MessageType::JoinTower);
inline constexpr int kSize = 166;
inline constexpr Slot kTower{6, 86};
inline constexpr Slot kRinger{86, 166};
}  // namespace joinTower

namespace towerEntered {
inline constexpr std::uint16_t kType = Number(MessageType::TowerEntered);
inline constexpr int kSize = 86;
inline constexpr Slot kTower{6, 86};
}  // namespace towerEntered

namespace serverNotice {
inline constexpr std::uint16_t kType = Number(MessageType::ServerNotice);
inline constexpr int kSize = 86;
inline constexpr Slot kText{6, 86};
}  // namespace serverNotice

// The largest message a client sends (Chat); the server refuses longer ones.
inline constexpr int kMaxClientMessage = chat::kSize;

// The size of each message a client sends, or 0 for a type no client sends.
constexpr int SizeFromClient(MessageType type) {
    switch (type) {
    case MessageType::Hello: return hello::kSize;
    case MessageType::RingerInfo: return ringerInfo::kSize;
    case MessageType::Call: return call::kSize;
    case MessageType::Strike: return strike::kSize;
    case MessageType::Chat: return chat::kSize;
    case MessageType::StartTower: return startTower::kSize;
    case MessageType::JoinTower: return joinTower::kSize;
    case MessageType::RingerLeft:
    case MessageType::TowerListEntry:
    case MessageType::ServerNotice: return 0;
    }
    return 0;
}

// The size at which the server sends each type, or 0 for a type it never sends.
constexpr int SizeFromServer(MessageType type) {
    switch (type) {
    case MessageType::RingerInfo: return ringerInfo::kSize;
    case MessageType::Call: return call::kSize;
    case MessageType::Strike: return strike::kSize;
    case MessageType::RingerLeft: return ringerLeft::kSize;
    case MessageType::Chat: return chat::kSize;
    case MessageType::TowerListEntry: return towerListEntry::kSize;
    case MessageType::TowerEntered: return towerEntered::kSize;
    case MessageType::ServerNotice: return serverNotice::kSize;
    case MessageType::Hello:
    case MessageType::StartTower: return 0;
    }
    return 0;
}

}  // namespace wire
