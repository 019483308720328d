#include "tools/load/FloorRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "net/ByteOrder.h"
#include "net/Messages.h"

namespace load {

namespace {
constexpr std::size_t kJoinSize = wire::kHeaderSize + 2;
constexpr std::size_t kJoinRinger = wire::kHeaderSize;
}  // namespace

void AppendFloorJoin(const FloorJoin& join, ByteQueue& out) {
    char bytes[kJoinSize];
    wire::StoreU16(bytes + wire::kLengthOffset, kJoinSize);
    wire::StoreU16(bytes + wire::kTypeOffset, wire::hello::kType);
    wire::StoreU16(bytes + wire::kWordOffset, join.tower);
    wire::StoreU16(bytes + kJoinRinger, join.ringer);
    out.Append({bytes, sizeof bytes});
}

std::optional<FloorJoin> ReadFloorJoin(std::string_view message) {
    if (message.size() != kJoinSize || wire::TypeOf(message) != wire::hello::kType) return std::nullopt;
    return FloorJoin{wire::LoadU16(message.data() + wire::kWordOffset), wire::LoadU16(message.data() + kJoinRinger)};
}

namespace {
constexpr std::size_t kReadBlock = 64 * 1024;
constexpr int kBacklog = 4096;
}  // namespace

int ListenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, kBacklog) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

FloorRelay::FloorRelay(int listenFd)
    : listenFd_(listenFd), epollFd_(epoll_create1(EPOLL_CLOEXEC)), stopFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (epollFd_ < 0 || stopFd_ < 0) throw std::runtime_error("floor relay: no epoll or eventfd");
    epoll_event listen{EPOLLIN, {.fd = listenFd_}};
    epoll_event stop{EPOLLIN, {.fd = stopFd_}};
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, listenFd_, &listen);
    epoll_ctl(epollFd_, EPOLL_CTL_ADD, stopFd_, &stop);
}

FloorRelay::~FloorRelay() {
    for (int fd = 0; fd < static_cast<int>(connections_.size()); ++fd)
        if (connections_[static_cast<std::size_t>(fd)].open) close(fd);
    close(stopFd_);
    close(epollFd_);
    close(listenFd_);
}

void FloorRelay::Stop() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(stopFd_, &one, sizeof one);
}

bool FloorRelay::Run() {
    epoll_event events[256];
    for (;;) {
        const int n = epoll_wait(epollFd_, events, 256, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == stopFd_) return true;
            if (fd == listenFd_) {
                Accept();
                continue;
            }
            if (events[i].events & EPOLLOUT) Flush(fd);
            if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR)) Read(fd);
        }
        CloseBroken();
    }
}

void FloorRelay::Accept() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;  // EAGAIN, or out of descriptors: the client sees it
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (static_cast<std::size_t>(fd) >= connections_.size()) connections_.resize(static_cast<std::size_t>(fd) + 1);
        connections_[static_cast<std::size_t>(fd)] = Connection{};
        connections_[static_cast<std::size_t>(fd)].open = true;
        epoll_event event{EPOLLIN, {.fd = fd}};
        epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &event);
    }
}

void FloorRelay::Read(int fd) {
    auto& connection = connections_[static_cast<std::size_t>(fd)];
    if (!connection.open || connection.broken) return;
    char block[kReadBlock];
    const ssize_t n = recv(fd, block, sizeof block, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        Close(fd);
        return;
    }
    if (n < 0) return;
    const std::string_view fresh(block, static_cast<std::size_t>(n));
    if (connection.in.Empty()) {
        connection.in.Append(fresh.substr(Forward(fd, fresh)));
    } else {
        connection.in.Append(fresh);
        connection.in.Consume(Forward(fd, connection.in.View()));
    }
}

// Relays the complete messages at the front of `bytes`; returns how many bytes they took.
std::size_t FloorRelay::Forward(int fd, std::string_view bytes) {
    auto& connection = connections_[static_cast<std::size_t>(fd)];
    const wire::FrameRun run = wire::ForEachFrame(bytes, kRelayFrames, [&](std::string_view message) {
        if (connection.tower < 0) {
            const auto join = ReadFloorJoin(message);
            connection.tower = join ? join->tower : 0;
            towers_[connection.tower].push_back(fd);
        }
        Relay(towers_[connection.tower], message);
    });
    if (run.invalid) {
        broken_.push_back(fd);
        connection.broken = true;
    }
    return run.consumed;
}

void FloorRelay::Relay(const std::vector<int>& members, std::string_view message) {
    for (const int member : members) SendTo(member, message);
}

void FloorRelay::SendTo(int fd, std::string_view bytes) {
    auto& connection = connections_[static_cast<std::size_t>(fd)];
    if (connection.broken) return;
    if (!connection.out.Empty()) {
        connection.out.Append(bytes);
        return;
    }
    const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN) {
        connection.broken = true;
        broken_.push_back(fd);
        return;
    }
    const auto sent = static_cast<std::size_t>(std::max<ssize_t>(n, 0));
    if (sent < bytes.size()) {
        connection.out.Append(bytes.substr(sent));
        WatchWrite(fd, true);
    }
}

void FloorRelay::Flush(int fd) {
    auto& connection = connections_[static_cast<std::size_t>(fd)];
    if (!connection.open || connection.broken) return;
    while (!connection.out.Empty()) {
        const ssize_t n = send(fd, connection.out.Data(), connection.out.Size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN) return;
            connection.broken = true;
            broken_.push_back(fd);
            return;
        }
        connection.out.Consume(static_cast<std::size_t>(n));
    }
    WatchWrite(fd, false);
}

void FloorRelay::WatchWrite(int fd, bool on) {
    auto& connection = connections_[static_cast<std::size_t>(fd)];
    if (connection.wantWrite == on) return;
    connection.wantWrite = on;
    epoll_event event{on ? EPOLLIN | EPOLLOUT : EPOLLIN, {.fd = fd}};
    epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd, &event);
}

void FloorRelay::Close(int fd) {
    auto& connection = connections_[static_cast<std::size_t>(fd)];
    if (!connection.open) return;
    if (connection.tower >= 0) {
        auto& members = towers_[connection.tower];
        members.erase(std::remove(members.begin(), members.end(), fd), members.end());
    }
    epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
    close(fd);
    connection = Connection{};
}

void FloorRelay::CloseBroken() {
    for (const int fd : broken_) Close(fd);
    broken_.clear();
}

}  // namespace load
