// The socket layer: the addresses a lookup gives, IPv4 and IPv6 connections,
// a connect interrupted by a signal, and the last error of each thread.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "platform/Socket.h"

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

// A loopback socket bound to a free port; listening or not. Port 0 when the
// system has no loopback address of the family.
struct LoopbackPort {
    explicit LoopbackPort(bool listening, int family = AF_INET) : fd(::socket(family, SOCK_STREAM, 0)) {
        sockaddr_in6 address{};  // as large as either family's
        address.sin6_family = static_cast<sa_family_t>(family);
        if (family == AF_INET) reinterpret_cast<sockaddr_in&>(address).sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        else address.sin6_addr = in6addr_loopback;
        socklen_t size = family == AF_INET ? sizeof(sockaddr_in) : sizeof address;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0) return;
        if (listening) ::listen(fd, 1);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin6_port);  // at the same place in both families
    }
    ~LoopbackPort() { ::close(fd); }
    int fd;
    std::uint16_t port = 0;
};

HostAddress Loopback() {
    HostAddress address;
    address.bytes = {127, 0, 0, 1};
    return address;
}

int InterruptedConnect(std::uint16_t port) {
    const SOCKET socket = OpenStreamSocket(HostAddress::Family::IPv4);
    interruptSocket = socket;
    const int result = ConnectSocket(socket, Loopback(), port);
    EXPECT_EQ(interrupted, socket) << "the connect was not interrupted";
    interruptSocket = interrupted = -1;
    CloseSocket(socket);
    return result == 0 ? 0 : WSAGetLastError();
}

TEST(Socket, ALookupGivesAnIPv4AddressFirstAndAnIPv6AddressWhenThereIsNoOther) {
    HostAddress address;
    ASSERT_TRUE(LookUpHost("localhost", address));
    EXPECT_EQ(address.family, HostAddress::Family::IPv4);
    EXPECT_EQ(address.bytes, Loopback().bytes);
    ASSERT_TRUE(LookUpHost("192.0.2.7", address));
    EXPECT_EQ(address.bytes, (HostAddress{HostAddress::Family::IPv4, {192, 0, 2, 7}}.bytes));
    ASSERT_TRUE(LookUpHost("2001:db8::7", address));
    EXPECT_EQ(address.family, HostAddress::Family::IPv6);
    EXPECT_EQ(address.bytes,
              (std::array<std::uint8_t, 16>{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}));
}

TEST(Socket, ConnectsToIPv4AndIPv6Addresses) {
    bool withoutIPv6 = false;
    for (const auto& [family, host] : {std::pair{AF_INET, "127.0.0.1"}, std::pair{AF_INET6, "::1"}}) {
        const LoopbackPort server(true, family);
        if (server.port == 0) {
            withoutIPv6 = family == AF_INET6;
            EXPECT_TRUE(withoutIPv6) << "no loopback address for " << host;
            continue;
        }
        HostAddress address;
        ASSERT_TRUE(LookUpHost(host, address)) << host;
        const SOCKET socket = OpenStreamSocket(address.family);
        ASSERT_NE(socket, INVALID_SOCKET) << host;
        EXPECT_EQ(ConnectSocket(socket, address, server.port), 0) << host << ": " << WSAGetLastError();
        EXPECT_EQ(Send(socket, "rung", 4), 4);
        const int accepted = ::accept(server.fd, nullptr, nullptr);
        char received[4] = {};
        EXPECT_EQ(::recv(accepted, received, 4, MSG_WAITALL), 4);
        EXPECT_EQ(std::string(received, 4), "rung") << host;
        ::close(accepted);
        CloseSocket(socket);
    }
    if (withoutIPv6) GTEST_SKIP() << "this system has no IPv6 loopback address";
}

TEST(Socket, AnInterruptedConnectGoesOnToItsOwnEnd) {
    const LoopbackPort server(true);
    EXPECT_EQ(InterruptedConnect(server.port), 0);
    const LoopbackPort deaf(false);
    EXPECT_EQ(InterruptedConnect(deaf.port), WSAECONNREFUSED);
}

TEST(Socket, EachThreadSeesTheErrorOfItsOwnLastCall) {
    EXPECT_EQ(Send(INVALID_SOCKET, "x", 1), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    const LoopbackPort deaf(false);
    int before = -1;
    int after = -1;
    std::thread([&] {
        before = WSAGetLastError();
        const SOCKET socket = OpenStreamSocket(HostAddress::Family::IPv4);
        ConnectSocket(socket, Loopback(), deaf.port);
        after = WSAGetLastError();
        CloseSocket(socket);
    }).join();
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, WSAECONNREFUSED);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

}  // namespace
