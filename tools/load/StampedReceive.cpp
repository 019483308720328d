#include "tools/load/StampedReceive.h"

#include <sys/socket.h>
#include <time.h>

#include <cstring>

namespace load {

namespace {

std::int64_t ClockNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace

bool EnableReceiveStamps(int fd) {
    const int on = 1;
    return setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on) == 0;
}

ssize_t ReceiveStamped(int fd, char* buffer, std::size_t size, std::uint64_t& receivedNs) {
    iovec data{buffer, size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = recvmsg(fd, &message, 0);
    // The stamp is on the real-time clock: its age now, taken off the monotonic now.
    const std::int64_t monotonic = ClockNs(CLOCK_MONOTONIC);
    const std::int64_t real = ClockNs(CLOCK_REALTIME);
    receivedNs = static_cast<std::uint64_t>(monotonic);
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); n > 0 && c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_TIMESTAMPNS) continue;
        timespec stamp{};
        std::memcpy(&stamp, CMSG_DATA(c), sizeof stamp);
        const std::int64_t age = real - (static_cast<std::int64_t>(stamp.tv_sec) * 1'000'000'000 + stamp.tv_nsec);
        if (age > 0 && age < monotonic) receivedNs = static_cast<std::uint64_t>(monotonic - age);
    }
    return n;
}

}  // namespace load
