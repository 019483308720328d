// What every socket backend does with a server's address: a lookup gives the
// first IPv4 address, or an IPv6 address when there is no IPv4 one; a socket
// of the address's family connects to it; a failed call gives its Windows
// Sockets error number to its own thread alone. Built into the Linux platform
// tests and the Windows backend tests.
#include <gtest/gtest.h>

#include <thread>

#include "platform/Socket.h"
#include "tests/platform/LoopbackListener.h"

namespace {

using namespace platform;
// Ours, not the system's that Windows declares as well.
using platform::SOCKET;
using platform::WSAGetLastError;

TEST(Connect, ALookupGivesAnIPv4AddressFirstAndAnIPv6AddressWhenThereIsNoOther) {
    HostAddress address;
    ASSERT_TRUE(LookUpHost("localhost", address));
    EXPECT_EQ(address.family, HostAddress::Family::IPv4);
    EXPECT_EQ(address.bytes, (HostAddress{HostAddress::Family::IPv4, {127, 0, 0, 1}}.bytes));
    ASSERT_TRUE(LookUpHost("192.0.2.7", address));
    EXPECT_EQ(address.bytes, (HostAddress{HostAddress::Family::IPv4, {192, 0, 2, 7}}.bytes));
    ASSERT_TRUE(LookUpHost("2001:db8::7", address));
    EXPECT_EQ(address.family, HostAddress::Family::IPv6);
    EXPECT_EQ(address.bytes,
              (std::array<std::uint8_t, 16>{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7}));
}

TEST(Connect, ASocketOfTheAddressesFamilyConnectsOverIPv4AndIPv6) {
    bool withoutIPv6 = false;
    for (const auto& [family, host] : {std::pair{AF_INET, "localhost"}, std::pair{AF_INET6, "::1"}}) {
        sockettest::LoopbackListener server(family);
        if (server.Port() == 0) {
            withoutIPv6 = family == AF_INET6;
            EXPECT_TRUE(withoutIPv6) << "no loopback address for " << host;
            continue;
        }
        HostAddress address;
        ASSERT_TRUE(LookUpHost(host, address)) << host;
        const SOCKET socket = OpenStreamSocket(address.family);
        EXPECT_EQ(ConnectSocket(socket, address, server.Port()), 0) << host << ": " << WSAGetLastError();
        EXPECT_EQ(Send(socket, "rung", 4), 4);
        EXPECT_EQ(server.AcceptAndRead(4), "rung") << host;
        CloseSocket(socket);
    }
    if (withoutIPv6) GTEST_SKIP() << "this system has no IPv6 loopback address";
}

TEST(Connect, EachThreadSeesTheErrorOfItsOwnLastCall) {
    EXPECT_EQ(Send(INVALID_SOCKET, "x", 1), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    const sockettest::LoopbackListener deaf(AF_INET, false);
    int before = -1, after = -1;
    std::thread([&] {
        before = WSAGetLastError();
        const SOCKET socket = OpenStreamSocket(HostAddress::Family::IPv4);
        ConnectSocket(socket, HostAddress{HostAddress::Family::IPv4, {127, 0, 0, 1}}, deaf.Port());
        after = WSAGetLastError();
        CloseSocket(socket);
    }).join();
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, WSAECONNREFUSED);
}

}  // namespace
