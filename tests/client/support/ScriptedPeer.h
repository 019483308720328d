// A scripted server for client tests: listens on a free loopback port,
// accepts the client's one connection and exchanges raw bytes with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "net/MessageBuffer.h"

namespace testsupport {

class ScriptedPeer {
public:
    ScriptedPeer();  // listens on 127.0.0.1, a free port
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    std::uint16_t Port() const { return port_; }
    // Whether the client has connected; accepts it when it is waiting.
    bool Accept();

    void Send(const MessageBuffer& message) { SendBytes(message.Bytes()); }
    void SendBytes(std::string_view bytes);
    // Reads what has arrived, without waiting; returns all not yet taken.
    const std::string& ReadAvailable();
    // Takes up to n bytes of what has arrived.
    std::string Take(std::size_t n);
    // The receive buffer of the listener (so of the connection it accepts
    // next) and of the connection: a peer that stops reading then fills up
    // after a few kilobytes.
    void SetReceiveBuffer(int bytes);

private:
    int listen_ = -1;
    int conn_ = -1;
    std::uint16_t port_ = 0;
    std::string buffered_;
};

}  // namespace testsupport
