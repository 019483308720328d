// A scripted server for client tests: listens on a free loopback port,
// accepts the client's one connection and exchanges raw bytes with it.
#pragma once

#include <cstdint>
#include <string>

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
    bool Connected() const { return conn_ >= 0; }
    // Number of connections accepted so far.
    int Accepted() const { return accepted_; }

    void Send(const MessageBuffer& message) { SendBytes(message.Bytes()); }
    void SendBytes(std::string_view bytes);
    // Reads what has arrived, without waiting.
    std::string ReadAvailable();
    // Takes up to n bytes of what has arrived (see WaitForBytes to wait).
    std::string Take(std::size_t n);
    // Bytes received and not yet taken.
    std::string& Buffered() { return buffered_; }
    // Whether the client has closed the connection (reads EOF).
    bool PeerClosed();
    void Close();  // closes the connection, as a server going away
    void Reset();  // closes with a reset
    void StopListening();
    // Shrinks the receive buffer of the listener (so of the connection it
    // accepts next) and of the current connection: a peer that stops
    // reading then fills up after a few kilobytes.
    void SetReceiveBuffer(int bytes);

private:
    int listen_ = -1;
    int conn_ = -1;
    int accepted_ = 0;
    std::uint16_t port_ = 0;
    bool closedByPeer_ = false;
    std::string buffered_;
};

}  // namespace testsupport
