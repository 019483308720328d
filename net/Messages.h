// Typed messages: one struct per layout of the wire catalogue, with one reader
// and one builder each. Incoming bytes are decoded once, where they are
// dispatched; nothing above the wire library reads or writes a field offset.
//
// Texts in a struct that a reader made are views into the bytes it read, valid
// as long as those bytes are. A reader gives nothing when the message is
// shorter than the fields it holds (a text slot may end right after its
// terminating zero byte). A builder makes the message at its type's full size
// with the third header word 1, cutting each text to its slot.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "net/MessageBuffer.h"
#include "net/Wire.h"

namespace wire {

struct Hello {
    friend bool operator==(const Hello&, const Hello&) = default;
};

// Both ways: the server's record of a ringer, and a conductor's allocation.
struct RingerInfo {
    std::uint16_t bellCount = 0;
    std::string_view name;
    std::string_view bells;  // one symbol of kBellSymbols per bell rung
    bool conductor = false;
    friend bool operator==(const RingerInfo&, const RingerInfo&) = default;
};

struct Call {
    std::string_view text;
    friend bool operator==(const Call&, const Call&) = default;
};

// Read as far as the length allows: a relayed strike of 10 bytes has no
// sequence number, one of 12 no ping.
struct Strike {
    std::uint16_t bell = 0;
    std::uint16_t stroke = 0;
    std::optional<std::uint16_t> sequence;
    std::optional<std::uint16_t> ping;
    friend bool operator==(const Strike&, const Strike&) = default;
};

struct RingerLeft {
    std::string_view name;
    friend bool operator==(const RingerLeft&, const RingerLeft&) = default;
};

struct Chat {
    std::string_view name;
    std::string_view line;
    friend bool operator==(const Chat&, const Chat&) = default;
};

struct TowerListEntry {
    std::int16_t count = 0;  // towers in the whole list; signed on the wire
    std::string_view name;   // empty in the one entry of an empty list
    std::string_view description;
    friend bool operator==(const TowerListEntry&, const TowerListEntry&) = default;
};

struct StartTower {
    std::string_view tower;
    std::string_view description;
    std::string_view ringer;
    friend bool operator==(const StartTower&, const StartTower&) = default;
};

struct JoinTower {
    std::string_view tower;
    std::string_view ringer;
    friend bool operator==(const JoinTower&, const JoinTower&) = default;
};

struct TowerEntered {
    std::string_view tower;
    friend bool operator==(const TowerEntered&, const TowerEntered&) = default;
};

struct ServerNotice {
    std::string_view text;
    friend bool operator==(const ServerNotice&, const ServerNotice&) = default;
};

// The type word of a message whose header has arrived.
std::uint16_t TypeOf(std::string_view message);

std::optional<Hello> ReadHello(std::string_view message);
std::optional<RingerInfo> ReadRingerInfo(std::string_view message);
std::optional<Call> ReadCall(std::string_view message);
std::optional<Strike> ReadStrike(std::string_view message);
std::optional<RingerLeft> ReadRingerLeft(std::string_view message);
std::optional<Chat> ReadChat(std::string_view message);
std::optional<TowerListEntry> ReadTowerListEntry(std::string_view message);
std::optional<StartTower> ReadStartTower(std::string_view message);
std::optional<JoinTower> ReadJoinTower(std::string_view message);
std::optional<TowerEntered> ReadTowerEntered(std::string_view message);
std::optional<ServerNotice> ReadServerNotice(std::string_view message);

MessageBuffer Build(const Hello& message);
MessageBuffer Build(const RingerInfo& message);
MessageBuffer Build(const Call& message);
// A missing sequence number or ping goes out as 0.
MessageBuffer Build(const Strike& message);
MessageBuffer Build(const RingerLeft& message);
MessageBuffer Build(const Chat& message);
MessageBuffer Build(const TowerListEntry& message);
MessageBuffer Build(const StartTower& message);
MessageBuffer Build(const JoinTower& message);
MessageBuffer Build(const TowerEntered& message);
MessageBuffer Build(const ServerNotice& message);

}  // namespace wire
