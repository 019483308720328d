#include "net/ServerDispatch.h"

namespace wire {

namespace {

template <typename Message, typename Handler>
Dispatched Handle(const std::optional<Message>& decoded, ServerMessageHandler& handler, Handler method) {
    if (!decoded) return Dispatched::TooShort;
    (handler.*method)(*decoded);
    return Dispatched::Handled;
}

}  // namespace

Dispatched DispatchFromServer(std::string_view message, ServerMessageHandler& handler) {
    using H = ServerMessageHandler;
    const std::optional<MessageType> type = ToMessageType(TypeOf(message));
    if (!type) return Dispatched::NotFromServer;
    switch (*type) {
    case MessageType::RingerInfo: return Handle(ReadRingerInfo(message), handler, &H::OnRingerInfo);
    case MessageType::Call: return Handle(ReadCall(message), handler, &H::OnCall);
    case MessageType::Strike: return Handle(ReadStrike(message), handler, &H::OnStrike);
    case MessageType::RingerLeft: return Handle(ReadRingerLeft(message), handler, &H::OnRingerLeft);
    case MessageType::Chat: return Handle(ReadChat(message), handler, &H::OnChat);
    case MessageType::TowerListEntry: return Handle(ReadTowerListEntry(message), handler, &H::OnTowerListEntry);
    case MessageType::TowerEntered: return Handle(ReadTowerEntered(message), handler, &H::OnTowerEntered);
    case MessageType::ServerNotice: return Handle(ReadServerNotice(message), handler, &H::OnServerNotice);
    case MessageType::Hello:
    case MessageType::StartTower: return Dispatched::NotFromServer;
    }
    return Dispatched::NotFromServer;
}

}  // namespace wire
