// A scripted server for the client's tests: listens on a free loopback port, accepts the client's one connection and
// exchanges raw bytes with it.
#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "net/MessageBuffer.h"
#include "tests/platform/LoopbackListener.h"

namespace testsupport {

class ScriptedPeer {
public:
    ScriptedPeer() { ::fcntl(listener_.Native(), F_SETFL, O_NONBLOCK); }
    ~ScriptedPeer() { ::close(conn_); }
    std::uint16_t Port() const { return listener_.Port(); }
    // Whether the client has connected; accepts it when it is waiting.
    bool Accept() { return conn_ >= 0 || (conn_ = ::accept(listener_.Native(), nullptr, nullptr)) >= 0; }
    void Send(const MessageBuffer& message) { SendBytes(message.Bytes()); }
    void SendBytes(std::string_view bytes) {  // the connection blocks on sending only
        if (!Accept() || ::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL) != ssize_t(bytes.size()))
            throw std::runtime_error("ScriptedPeer: send failed");
    }
    // What has arrived since the last call, read without waiting.
    std::string Take() {
        std::string bytes;
        char block[4096];
        for (ssize_t n; Accept() && (n = ::recv(conn_, block, sizeof block, MSG_DONTWAIT)) > 0;)
            bytes.append(block, static_cast<std::size_t>(n));
        return bytes;
    }
    // The receive buffer of the listener (so of the connection it accepts next) and of the connection: a peer that
    // stops reading fills up soon.
    void SetReceiveBuffer(int bytes) {
        for (const int fd : {listener_.Native(), conn_})
            if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }

private:
    sockettest::LoopbackListener listener_{AF_INET};
    int conn_ = -1;
};

}  // namespace testsupport
