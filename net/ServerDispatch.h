// What a client does with each message the server sends, and the one switch
// that decodes a message and calls the handler of its type. A program
// without a window (the robot ringer) dispatches through it; the compiler
// checks that the switch names every type.
#pragma once

#include <cstdint>
#include <string_view>

#include "net/Messages.h"

namespace wire {

class ServerMessageHandler {
public:
    virtual void OnRingerInfo(const RingerInfo& message) = 0;
    virtual void OnCall(const Call& message) = 0;
    virtual void OnStrike(const Strike& message) = 0;
    virtual void OnRingerLeft(const RingerLeft& message) = 0;
    virtual void OnChat(const Chat& message) = 0;
    virtual void OnTowerListEntry(const TowerListEntry& message) = 0;
    virtual void OnTowerEntered(const TowerEntered& message) = 0;
    virtual void OnServerNotice(const ServerNotice& message) = 0;

protected:
    ~ServerMessageHandler() = default;
};

enum class Dispatched {
    Handled,
    TooShort,       // shorter than its type's fields: the server cannot be trusted further
    NotFromServer,  // a type the server never sends; dropped
};

// Decodes one whole message and calls its handler. Texts handed to the
// handler are views into `message`.
Dispatched DispatchFromServer(std::string_view message, ServerMessageHandler& handler);

}  // namespace wire
