#include "tools/load/FloorBackend.h"

#include "tools/load/FloorRelay.h"

namespace load {

void FloorBackend::Enter(const Client& client, ByteQueue& out) const {
    AppendFloorJoin({static_cast<std::uint16_t>(client.tower), static_cast<std::uint16_t>(client.ringer)}, out);
}

void FloorBackend::Strike(const Client& /*client*/, const wire::Strike& strike, ByteQueue& out) const {
    AppendStrike(strike, out);
}

std::size_t FloorBackend::Consume(Client& client, std::string_view bytes, ClientEvents& events) const {
    const wire::FrameRun run = wire::ForEachFrame(bytes, kReplyFrames, [&](std::string_view message) {
        if (const auto join = ReadFloorJoin(message)) {
            if (join->ringer == client.ringer) events.OnEntered(client);
            return true;
        }
        if (wire::TypeOf(message) == wire::strike::kType && wire::ReadStrike(message)) {
            events.OnStrike(client, message);
            return true;
        }
        events.OnFailure(client, "unexpected message type " + std::to_string(wire::TypeOf(message)) + " of " +
                                     std::to_string(message.size()) + " bytes");
        return false;
    });
    if (run.invalid) events.OnFailure(client, "message with an impossible length");
    return run.consumed;
}

}  // namespace load
