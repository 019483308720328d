#include "tests/client/support/ScriptedPeer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace testsupport {

ScriptedPeer::ScriptedPeer() {
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || ::listen(listen_, 8) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("ScriptedPeer: cannot listen");
    port_ = ntohs(addr.sin_port);
    ::fcntl(listen_, F_SETFL, O_NONBLOCK);
}

ScriptedPeer::~ScriptedPeer() {
    if (conn_ >= 0) ::close(conn_);
    ::close(listen_);
}

bool ScriptedPeer::Accept() {
    if (conn_ >= 0) return true;
    conn_ = ::accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK);
    return conn_ >= 0;
}

void ScriptedPeer::SendBytes(std::string_view bytes) {
    if (!Accept()) throw std::runtime_error("ScriptedPeer: no client connected");
    while (!bytes.empty()) {
        const ssize_t n = ::send(conn_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            ::usleep(1000);
        } else {
            throw std::runtime_error("ScriptedPeer: send failed");
        }
    }
}

const std::string& ScriptedPeer::ReadAvailable() {
    char block[4096];
    ssize_t n = 0;
    while (Accept() && (n = ::recv(conn_, block, sizeof block, 0)) > 0)
        buffered_.append(block, static_cast<std::size_t>(n));
    return buffered_;
}

std::string ScriptedPeer::Take(std::size_t n) {
    ReadAvailable();
    const std::string head = buffered_.substr(0, n);
    buffered_.erase(0, head.size());
    return head;
}

void ScriptedPeer::SetReceiveBuffer(int bytes) {
    for (const int fd : {listen_, conn_})
        if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

}  // namespace testsupport
