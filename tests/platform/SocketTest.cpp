// The socket layer on POSIX: a connect interrupted by a signal goes on.
#include <fcntl.h>
#include <sys/syscall.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/Socket.h"
#include "tests/platform/LoopbackListener.h"

namespace {

// This kernel restarts an interrupted connect by itself, which POSIX does
// not promise: there the connection goes on alone and connecting again only
// fails with EALREADY (or EISCONN). The connect below plays such a system
// for the socket it is told to interrupt.
int interruptSocket = -1;
int interrupted = -1;

int RealConnect(int fd, const sockaddr* address, socklen_t size) {
    return static_cast<int>(::syscall(SYS_connect, fd, address, size));
}

}  // namespace

extern "C" int connect(int fd, const sockaddr* address, socklen_t size) {
    if (fd == interrupted) {
        errno = EALREADY;
        return -1;
    }
    if (fd != interruptSocket) return RealConnect(fd, address, size);
    // Starts the connection, then reports the signal that cut the wait short.
    interrupted = fd;
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    const int result = RealConnect(fd, address, size);
    const int error = errno;
    ::fcntl(fd, F_SETFL, flags);
    errno = result == 0 || error == EINPROGRESS ? EINTR : error;
    return -1;
}

namespace {

using namespace platform;

int InterruptedConnect(std::uint16_t port) {
    const SOCKET socket = OpenStreamSocket(HostAddress::Family::IPv4);
    interruptSocket = socket;
    const int result = ConnectSocket(socket, HostAddress{HostAddress::Family::IPv4, {127, 0, 0, 1}}, port);
    EXPECT_EQ(interrupted, socket) << "the connect was not interrupted";
    interruptSocket = interrupted = -1;
    CloseSocket(socket);
    return result == 0 ? 0 : WSAGetLastError();
}

TEST(Socket, AnInterruptedConnectGoesOnToItsOwnEnd) {
    const sockettest::LoopbackListener server(AF_INET);
    EXPECT_EQ(InterruptedConnect(server.Port()), 0);
    const sockettest::LoopbackListener deaf(AF_INET, false);
    EXPECT_EQ(InterruptedConnect(deaf.Port()), WSAECONNREFUSED);
}

}  // namespace
