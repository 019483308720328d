// A scripted server for the client's tests: listens on a free loopback port,
// accepts the client's one connection and exchanges raw bytes with it.
#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "net/MessageBuffer.h"
#include "tests/platform/LoopbackListener.h"

namespace testsupport {

class ScriptedPeer {
public:
    ScriptedPeer() {  // listens on 127.0.0.1, a free port
        if (listener_.Port() == 0) throw std::runtime_error("ScriptedPeer: cannot listen");
        ::fcntl(listener_.Native(), F_SETFL, O_NONBLOCK);
    }
    ~ScriptedPeer() {
        if (conn_ >= 0) ::close(conn_);
    }

    std::uint16_t Port() const { return listener_.Port(); }
    // Whether the client has connected; accepts it when it is waiting.
    bool Accept() {
        return conn_ >= 0 || (conn_ = ::accept4(listener_.Native(), nullptr, nullptr, SOCK_NONBLOCK)) >= 0;
    }

    void Send(const MessageBuffer& message) { SendBytes(message.Bytes()); }
    void SendBytes(std::string_view bytes) {
        if (!Accept()) throw std::runtime_error("ScriptedPeer: no client connected");
        while (!bytes.empty()) {
            const ssize_t n = ::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n > 0) bytes.remove_prefix(static_cast<std::size_t>(n));
            else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) ::usleep(1000);
            else throw std::runtime_error("ScriptedPeer: send failed");
        }
    }
    // Reads what has arrived, without waiting; returns all not yet taken.
    const std::string& ReadAvailable() {
        char block[4096];
        ssize_t n = 0;
        while (Accept() && (n = ::recv(conn_, block, sizeof block, 0)) > 0)
            buffered_.append(block, static_cast<std::size_t>(n));
        return buffered_;
    }
    // Takes up to n bytes of what has arrived.
    std::string Take(std::size_t n) {
        ReadAvailable();
        const std::string head = buffered_.substr(0, n);
        buffered_.erase(0, head.size());
        return head;
    }
    // The receive buffer of the listener (so of the connection it accepts
    // next) and of the connection: a peer that stops reading then fills up
    // after a few kilobytes.
    void SetReceiveBuffer(int bytes) {
        for (const int fd : {listener_.Native(), conn_})
            if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }

private:
    sockettest::LoopbackListener listener_{AF_INET};
    int conn_ = -1;
    std::string buffered_;
};

}  // namespace testsupport
