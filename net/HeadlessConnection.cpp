#include "net/HeadlessConnection.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/Framing.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadBlock = 4096;

std::string ErrorText(int code) { return std::strerror(code); }

// One attempt on one address; the socket, connected, or -1 with `error` set.
int ConnectTo(const addrinfo& address, Clock::time_point deadline, std::string& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        error = ErrorText(errno);
        return -1;
    }
    int code = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (code == EINPROGRESS) {
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd waiting{fd, POLLOUT, 0};
            const int ready = left > 0 ? ::poll(&waiting, 1, static_cast<int>(left)) : 0;
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) {
                code = ready == 0 ? ETIMEDOUT : errno;
                break;
            }
            socklen_t length = sizeof code;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &length) != 0) code = errno;
            break;
        }
    }
    if (code != 0) {
        error = ErrorText(code);
        ::close(fd);
        return -1;
    }
    // Strikes are small and must go out at once.
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

std::unique_ptr<HeadlessConnection> HeadlessConnection::Open(const std::string& host, std::uint16_t port,
                                                             std::chrono::milliseconds timeout, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (const int code = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); code != 0) {
        error = ::gai_strerror(code);
        return nullptr;
    }
    const auto deadline = Clock::now() + timeout;
    int fd = -1;
    for (const addrinfo* address = found; address != nullptr && fd < 0; address = address->ai_next) {
        fd = ConnectTo(*address, deadline, error);
    }
    ::freeaddrinfo(found);
    if (fd < 0) return nullptr;
    return std::unique_ptr<HeadlessConnection>(new HeadlessConnection(fd));
}

HeadlessConnection::HeadlessConnection(int fd) : fd_(fd) { received_.reserve(2 * kReadBlock); }

HeadlessConnection::~HeadlessConnection() {
    if (fd_ >= 0) ::close(fd_);
}

void HeadlessConnection::Close(std::string reason) {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    closeReason_ = std::move(reason);
    unsent_.clear();
}

void HeadlessConnection::Send(std::string_view bytes) {
    if (fd_ < 0) return;
    if (!unsent_.empty()) {
        // Bytes already waiting go first.
        unsent_.append(bytes);
        return;
    }
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // The end shows when the next read finds it; nothing more goes out.
            return Close("sending failed: " + ErrorText(errno));
        }
        if (sent < 0) break;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    unsent_.assign(bytes);
}

void HeadlessConnection::Flush() {
    if (unsent_.empty()) return;
    std::string waiting;
    waiting.swap(unsent_);
    Send(waiting);
}

bool HeadlessConnection::Receive(wire::ServerMessageHandler& handler) {
    char block[kReadBlock];
    while (fd_ >= 0) {
        const ssize_t n = ::recv(fd_, block, sizeof block, MSG_DONTWAIT);
        if (n > 0) {
            received_.append(block, static_cast<std::size_t>(n));
            DispatchWhole(handler);
            continue;
        }
        if (n == 0) {
            Close("the server closed the connection");
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return true;
        } else {
            Close(ErrorText(errno));
        }
    }
    return false;
}

void HeadlessConnection::DispatchWhole(wire::ServerMessageHandler& handler) {
    wire::Dispatched outcome = wire::Dispatched::Handled;
    std::uint16_t type = 0;
    const wire::FrameRun run = wire::ForEachFrame(received_, wire::kFromServer, [&](std::string_view message) {
        type = wire::TypeOf(message);
        outcome = wire::DispatchFromServer(message, handler);
        if (outcome == wire::Dispatched::NotFromServer) ++dropped_;
        return outcome != wire::Dispatched::TooShort;
    });
    if (run.invalid) {
        const auto length = wire::ScanFrame(std::string_view(received_).substr(run.consumed), wire::kFromServer).length;
        return Close("the server sent a message of length " + std::to_string(length));
    }
    if (outcome == wire::Dispatched::TooShort) {
        return Close("the server sent a message of type " + std::to_string(type) + " shorter than its fields");
    }
    received_.erase(0, run.consumed);
}
