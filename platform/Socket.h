// Stream sockets with asynchronous notifications delivered to a window's
// event loop: read while data is waiting, write once after a send was refused
// for lack of room and room has come back, close when the peer has closed or
// reset the connection (after the data before it has been read). Errors are
// reported with the Windows Sockets numbers that the client's messages use.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class Dialog;

// Wide enough for a Windows socket handle; a POSIX descriptor fits as well.
using SOCKET = std::uintptr_t;
inline constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
inline constexpr int SOCKET_ERROR = -1;

inline constexpr long FD_READ = 0x01;
inline constexpr long FD_WRITE = 0x02;
inline constexpr long FD_CLOSE = 0x20;

inline constexpr int WSA_INVALID_HANDLE = 6;
inline constexpr int WSAEWOULDBLOCK = 10035;
inline constexpr int WSAENOTSOCK = 10038;
inline constexpr int WSAECONNABORTED = 10053;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAETIMEDOUT = 10060;
inline constexpr int WSAECONNREFUSED = 10061;

// The error of the calling thread's last failed socket call.
int WSAGetLastError();

// An address that a lookup found.
struct HostAddress {
    enum class Family { IPv4, IPv6 };
    Family family = Family::IPv4;
    std::array<std::uint8_t, 16> bytes{};  // network byte order; an IPv4 address in the first four
    std::uint32_t scope = 0;               // an IPv6 address's zone (fe80::1%eth0); 0 without one

    bool IsUnspecified() const { return bytes == std::array<std::uint8_t, 16>{}; }  // 0.0.0.0 or ::
};

// The first IPv4 address of a name or a dotted address; for a name that has
// none, and for an IPv6 address, the first IPv6 address. False when there is
// neither.
bool LookUpHost(const std::string& host, HostAddress& address);
// A stream socket for addresses of the family.
SOCKET OpenStreamSocket(HostAddress::Family family);
// A blocking connect; 0, or SOCKET_ERROR with the error in WSAGetLastError.
int ConnectSocket(SOCKET socket, const HostAddress& address, std::uint16_t port);
int SetNoDelay(SOCKET socket, bool on);
int SetKeepAlive(SOCKET socket, bool on);

// The window's handler of a notification: the socket, the event (FD_READ,
// FD_WRITE or FD_CLOSE) and an error number (0 when none).
using SocketNotify = std::function<void(SOCKET socket, int event, int error)>;
// Makes the socket non-blocking and posts its notifications to `window` as
// the private window message `message` until the socket is closed or the
// window goes; 0, or SOCKET_ERROR.
int AsyncSelect(SOCKET socket, Dialog& window, unsigned message, SocketNotify notify, long events);

// Bytes accepted, or SOCKET_ERROR (WSAEWOULDBLOCK when there is no room).
int Send(SOCKET socket, const char* data, int length);
// Bytes read, 0 when the peer has closed, or SOCKET_ERROR.
int Recv(SOCKET socket, char* buffer, int length);
int CloseSocket(SOCKET socket);

}  // namespace platform
