#include "tools/load/FloorBackend.h"

#include "net/Wire.h"
#include "tools/load/FloorRelay.h"

namespace load {

void FloorBackend::Enter(const Client& client, ByteQueue& out) const {
    char join[floorJoin::kSize];
    WriteU16(join + wire::kLengthOffset, floorJoin::kSize);
    WriteU16(join + wire::kTypeOffset, wire::hello::kType);
    WriteU16(join + floorJoin::kTower, static_cast<std::uint16_t>(client.tower));
    WriteU16(join + floorJoin::kRinger, static_cast<std::uint16_t>(client.ringer));
    out.Append({join, sizeof join});
}

void FloorBackend::Strike(const Client& /*client*/, const StrikeFields& strike, ByteQueue& out) const {
    AppendStrike(strike, out);
}

std::size_t FloorBackend::Consume(Client& client, std::string_view bytes, ClientEvents& events) const {
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
        used += length;
        if (type == wire::hello::kType && length == floorJoin::kSize) {
            if (ReadU16(at + floorJoin::kRinger) == client.ringer) events.OnEntered(client);
        } else if (type == wire::strike::kType && length >= wire::strike::kMinSize) {
            events.OnStrike(client, {at, length});
        } else {
            events.OnFailure(client, "unexpected message type " + std::to_string(type) + " of " +
                                         std::to_string(length) + " bytes");
            return used;
        }
    }
    return used;
}

}  // namespace load
