#include "tools/load/TolmerBackend.h"

#include "net/Messages.h"
#include "net/Wire.h"

namespace load {

namespace {

void AppendMessage(const MessageBuffer& message, ByteQueue& out) { out.Append(message.Bytes()); }

void AppendRingerInfo(int bellCount, const std::string& name, std::string_view bells, bool conductor,
                      ByteQueue& out) {
    AppendMessage(wire::build::RingerInfo(bellCount, name, bells, conductor), out);
}

// A string slot's text, read only as far as the message goes.
std::string_view SlotText(std::string_view message, wire::Slot slot) {
    if (message.size() <= static_cast<std::size_t>(slot.start)) return {};
    const auto text = message.substr(static_cast<std::size_t>(slot.start), static_cast<std::size_t>(slot.Width()));
    return text.substr(0, text.find('\0'));
}

std::string_view BellSymbol(int ringer) { return wire::kBellSymbols.substr(static_cast<std::size_t>(ringer), 1); }

}  // namespace

std::string TolmerBackend::TowerName(int tower) { return "load-" + std::to_string(tower); }
std::string TolmerBackend::RingerName(int ringer) { return "ringer-" + std::to_string(ringer + 1); }

void TolmerBackend::Enter(const Client& client, ByteQueue& out) const {
    AppendMessage(wire::build::Hello(), out);
    if (client.ringer == 0) {
        AppendMessage(wire::build::StartTower(TowerName(client.tower), "tolmer-load", RingerName(client.ringer)), out);
    } else {
        AppendMessage(wire::build::JoinTower(TowerName(client.tower), RingerName(client.ringer)), out);
    }
}

void TolmerBackend::Allocate(const Client& leader, int ringers, ByteQueue& out) const {
    // The conductor appoints itself first (the tower has no bells yet), then
    // sends the whole allocation, keeping the conductor's flag on itself.
    AppendRingerInfo(0, RingerName(leader.ringer), "", true, out);
    for (int ringer = 0; ringer < ringers; ++ringer)
        AppendRingerInfo(ringers, RingerName(ringer), BellSymbol(ringer), ringer == leader.ringer, out);
}

void TolmerBackend::Strike(const Client& /*client*/, const StrikeFields& strike, ByteQueue& out) const {
    AppendStrike(strike, out);
}

std::size_t TolmerBackend::Consume(Client& client, std::string_view bytes, ClientEvents& events) const {
    std::size_t used = 0;
    while (bytes.size() - used >= static_cast<std::size_t>(wire::kHeaderSize)) {
        const char* at = bytes.data() + used;
        const std::uint16_t length = ReadU16(at + wire::kLengthOffset);
        const std::uint16_t type = ReadU16(at + wire::kTypeOffset);
        if (length < wire::kHeaderSize) {
            events.OnFailure(client, "message with length " + std::to_string(length));
            return used;
        }
        if (bytes.size() - used < length) break;
        const std::string_view message(at, length);
        used += length;

        switch (type) {
        case wire::strike::kType:
            if (length < wire::strike::kMinSize) {
                events.OnFailure(client, "strike of " + std::to_string(length) + " bytes");
                return used;
            }
            events.OnStrike(client, message);
            break;
        case wire::ringerInfo::kType: {
            if (SlotText(message, wire::ringerInfo::kName) == RingerName(client.ringer) &&
                SlotText(message, wire::ringerInfo::kBells).find(BellSymbol(client.ringer)) != std::string_view::npos)
                events.OnBellAllocated(client);
            break;
        }
        case wire::towerEntered::kType:
            events.OnEntered(client);
            break;
        case wire::towerListEntry::kType:
        case wire::chat::kType:
        case wire::call::kType:
            break;
        case wire::serverNotice::kType:
            events.OnFailure(client, "server notice: " + std::string(SlotText(message, wire::serverNotice::kText)));
            return used;
        case wire::ringerLeft::kType:
            events.OnFailure(client, "ringer left: " + std::string(SlotText(message, wire::ringerLeft::kName)));
            return used;
        default:
            events.OnFailure(client, "unexpected message type " + std::to_string(type));
            return used;
        }
    }
    return used;
}

}  // namespace load
