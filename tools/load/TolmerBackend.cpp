#include "tools/load/TolmerBackend.h"

#include "net/Framing.h"
#include "net/Messages.h"

namespace load {

namespace {

void AppendMessage(const MessageBuffer& message, ByteQueue& out) { out.Append(message.Bytes()); }

void AppendRingerInfo(int bellCount, const std::string& name, std::string_view bells, bool conductor, ByteQueue& out) {
    AppendMessage(wire::Build(wire::RingerInfo{static_cast<std::uint16_t>(bellCount), name, bells, conductor}), out);
}

std::string_view BellSymbol(int ringer) { return wire::kBellSymbols.substr(static_cast<std::size_t>(ringer), 1); }

}  // namespace

std::string TolmerBackend::TowerName(int tower) { return "load-" + std::to_string(tower); }
std::string TolmerBackend::RingerName(int ringer) { return "ringer-" + std::to_string(ringer + 1); }

void TolmerBackend::Enter(const Client& client, ByteQueue& out) const {
    AppendMessage(wire::Build(wire::Hello{}), out);
    if (client.ringer == 0) {
        AppendMessage(wire::Build(wire::StartTower{TowerName(client.tower), "tolmer-load", RingerName(client.ringer)}),
                      out);
    } else {
        AppendMessage(wire::Build(wire::JoinTower{TowerName(client.tower), RingerName(client.ringer)}), out);
    }
}

void TolmerBackend::Allocate(const Client& leader, int ringers, ByteQueue& out) const {
    // The conductor appoints itself first (the tower has no bells yet), then
    // sends the whole allocation, keeping the conductor's flag on itself.
    AppendRingerInfo(0, RingerName(leader.ringer), "", true, out);
    for (int ringer = 0; ringer < ringers; ++ringer)
        AppendRingerInfo(ringers, RingerName(ringer), BellSymbol(ringer), ringer == leader.ringer, out);
}

void TolmerBackend::Strike(const Client& /*client*/, const wire::Strike& strike, ByteQueue& out) const {
    AppendStrike(strike, out);
}

std::size_t TolmerBackend::Consume(Client& client, std::string_view bytes, ClientEvents& events) const {
    // Any message that the run does not expect ends it: the relay has gone wrong.
    const auto handle = [&](std::string_view message) {
        const std::uint16_t number = wire::TypeOf(message);
        const auto type = wire::ToMessageType(number);
        if (!type) {
            events.OnFailure(client, "unexpected message type " + std::to_string(number));
            return false;
        }
        switch (*type) {
        case wire::MessageType::Strike:
            if (!wire::ReadStrike(message)) {
                events.OnFailure(client, "strike of " + std::to_string(message.size()) + " bytes");
                return false;
            }
            events.OnStrike(client, message);
            return true;
        case wire::MessageType::RingerInfo:
            if (const auto info = wire::ReadRingerInfo(message);
                info && info->name == RingerName(client.ringer) &&
                info->bells.find(BellSymbol(client.ringer)) != std::string_view::npos)
                events.OnBellAllocated(client);
            return true;
        case wire::MessageType::TowerEntered: events.OnEntered(client); return true;
        case wire::MessageType::TowerListEntry:
        case wire::MessageType::Chat:
        case wire::MessageType::Call: return true;
        case wire::MessageType::ServerNotice: {
            const auto notice = wire::ReadServerNotice(message);
            events.OnFailure(client, "server notice: " + std::string(notice ? notice->text : ""));
            return false;
        }
        case wire::MessageType::RingerLeft: {
            const auto left = wire::ReadRingerLeft(message);
            events.OnFailure(client, "ringer left: " + std::string(left ? left->name : ""));
            return false;
        }
        case wire::MessageType::Hello:
        case wire::MessageType::StartTower:
            events.OnFailure(client, "unexpected message type " + std::to_string(number));
            return false;
        }
        return false;
    };
    const wire::FrameRun run = wire::ForEachFrame(bytes, kReplyFrames, handle);
    if (run.invalid) events.OnFailure(client, "message with an impossible length");
    return run.consumed;
}

}  // namespace load
