// A loopback socket of either family on a free port, listening or not, made
// with the system's own calls (POSIX or Windows Sockets): what the platform's
// sockets are tested against.
#pragma once

#ifdef _WIN32
#include "platform/win32/WinApi.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <string>

namespace sockettest {

#ifdef _WIN32
using NativeSocket = ::SOCKET;
inline void CloseNative(NativeSocket socket) { ::closesocket(socket); }
#else
using NativeSocket = int;
inline void CloseNative(NativeSocket socket) { ::close(socket); }
#endif

class LoopbackListener {
public:
    explicit LoopbackListener(int family, bool listening = true) {
#ifdef _WIN32
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
#endif
        fd_ = ::socket(family, SOCK_STREAM, 0);
        sockaddr_in6 address{};  // as large as either family's, the port at the same place in both
        address.sin6_family = static_cast<decltype(address.sin6_family)>(family);
        if (family == AF_INET) reinterpret_cast<sockaddr_in&>(address).sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        else address.sin6_addr = in6addr_loopback;
        socklen_t size = family == AF_INET ? sizeof(sockaddr_in) : sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 && (!listening || ::listen(fd_, 1) == 0) &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            port_ = ntohs(address.sin6_port);
    }
    ~LoopbackListener() {
        CloseNative(fd_);
#ifdef _WIN32
        WSACleanup();
#endif
    }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // 0 when the system has no loopback address of the family.
    std::uint16_t Port() const { return port_; }
    NativeSocket Native() const { return fd_; }
    // Accepts one connection and reads `count` bytes from it (fewer if it ends).
    std::string AcceptAndRead(std::size_t count) {
        const NativeSocket peer = ::accept(fd_, nullptr, nullptr);
        std::string bytes(count, '\0');
        const auto n = ::recv(peer, bytes.data(), static_cast<int>(count), MSG_WAITALL);
        CloseNative(peer);
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }

private:
    NativeSocket fd_;
    std::uint16_t port_ = 0;
};

}  // namespace sockettest
