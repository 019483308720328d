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
    if (listen_ < 0) throw std::runtime_error("ScriptedPeer: socket failed");
    int one = 1;
    ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 8) != 0)
        throw std::runtime_error("ScriptedPeer: bind/listen failed");
    socklen_t len = sizeof addr;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    ::fcntl(listen_, F_SETFL, O_NONBLOCK);
}

ScriptedPeer::~ScriptedPeer() {
    Close();
    StopListening();
}

bool ScriptedPeer::Accept() {
    if (conn_ >= 0) return true;
    if (listen_ < 0) return false;
    const int fd = ::accept(listen_, nullptr, nullptr);
    if (fd < 0) return false;
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    conn_ = fd;
    ++accepted_;
    closedByPeer_ = false;
    return true;
}

void ScriptedPeer::SendBytes(std::string_view bytes) {
    if (!Accept()) throw std::runtime_error("ScriptedPeer: no client connected");
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(conn_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            ::usleep(1000);
        } else {
            throw std::runtime_error("ScriptedPeer: send failed");
        }
    }
}

std::string ScriptedPeer::ReadAvailable() {
    if (!Accept()) return {};
    char block[4096];
    for (;;) {
        const ssize_t n = ::recv(conn_, block, sizeof block, 0);
        if (n > 0) {
            buffered_.append(block, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) closedByPeer_ = true;
        break;
    }
    return buffered_;
}

std::string ScriptedPeer::Take(std::size_t n) {
    ReadAvailable();
    const std::string head = buffered_.substr(0, n);
    buffered_.erase(0, head.size());
    return head;
}

bool ScriptedPeer::PeerClosed() {
    ReadAvailable();
    return closedByPeer_;
}

void ScriptedPeer::Close() {
    if (conn_ >= 0) ::close(conn_);
    conn_ = -1;
}

void ScriptedPeer::Reset() {
    if (conn_ < 0) return;
    linger hard{1, 0};
    ::setsockopt(conn_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    Close();
}

void ScriptedPeer::StopListening() {
    if (listen_ >= 0) ::close(listen_);
    listen_ = -1;
}

void ScriptedPeer::SetReceiveBuffer(int bytes) {
    for (const int fd : {listen_, conn_}) {
        if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
}

}  // namespace testsupport
