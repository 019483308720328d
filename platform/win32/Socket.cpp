// Windows Sockets 2: the connection's notifications come from WSAAsyncSelect
// as a private message to the window, which its dialog procedure hands to
// the handler registered here.
#include "platform/Socket.h"

#include <map>

#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"
// After the system's socket headers, which Native.h brings.
#include "platform/SocketAddresses.h"

namespace platform {

namespace {

::SOCKET Native(SOCKET socket) { return static_cast<::SOCKET>(socket); }

int SetFlag(SOCKET socket, int level, int option, bool on) {
    const BOOL value = on ? TRUE : FALSE;
    const int set = ::setsockopt(Native(socket), level, option, reinterpret_cast<const char*>(&value), sizeof value);
    return set == 0 ? 0 : SOCKET_ERROR;
}

// The handlers of sockets with notifications. A notification that was
// already queued when its socket closed finds no handler and is dropped.
std::map<SOCKET, SocketNotify>& Handlers() {
    static std::map<SOCKET, SocketNotify> handlers;
    return handlers;
}

// Version 2.2 of the socket library, asked for once before the first lookup
// or socket; its result is not checked (the calls report a missing library).
void StartSockets() {
    static const bool started = [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        return true;
    }();
    (void)started;
}

void Deliver(WPARAM wParam, LPARAM lParam) {
    const auto socket = static_cast<SOCKET>(wParam);
    auto it = Handlers().find(socket);
    if (it == Handlers().end()) return;
    // The handler may close the socket, which removes it from the map.
    const SocketNotify notify = it->second;
    notify(socket, WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
}

}  // namespace

int WSAGetLastError() { return ::WSAGetLastError(); }

SOCKET OpenStreamSocket(HostAddress::Family family) {
    StartSockets();
    return static_cast<SOCKET>(::socket(addresses::SystemFamily(family), SOCK_STREAM, 0));
}

bool LookUpHost(const std::string& host, HostAddress& address) {
    StartSockets();
    const std::wstring name = win32::Widen(host);
    const auto lookup = [&name](int family, HostAddress& found) {
        addrinfoW hints{};
        hints.ai_family = family;
        hints.ai_socktype = SOCK_STREAM;
        addrinfoW* list = nullptr;
        if (const int error = GetAddrInfoW(name.c_str(), nullptr, &hints, &list); error != 0) return error;
        if (list == nullptr) return static_cast<int>(EAI_NONAME);
        found = addresses::FromSystem(list->ai_addr);
        FreeAddrInfoW(list);
        return 0;
    };
    return addresses::LookUpIPv4ThenIPv6(lookup, address);
}

int ConnectSocket(SOCKET socket, const HostAddress& address, std::uint16_t port) {
    sockaddr_storage to;
    const int size = addresses::ToSystem(address, port, to);
    return ::connect(Native(socket), reinterpret_cast<const sockaddr*>(&to), size) == 0 ? 0 : SOCKET_ERROR;
}

int SetNoDelay(SOCKET socket, bool on) { return SetFlag(socket, IPPROTO_TCP, TCP_NODELAY, on); }

int SetKeepAlive(SOCKET socket, bool on) { return SetFlag(socket, SOL_SOCKET, SO_KEEPALIVE, on); }

int AsyncSelect(SOCKET socket, Dialog& window, unsigned message, SocketNotify notify, long events) {
    DialogAccess::Native& native = DialogAccess::NativeOf(window);
    if (native.hwnd == nullptr) {
        WSASetLastError(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    native.messages[message] = Deliver;
    if (::WSAAsyncSelect(Native(socket), native.hwnd, message, events) != 0) return SOCKET_ERROR;
    Handlers()[socket] = std::move(notify);
    return 0;
}

int Send(SOCKET socket, const char* data, int length) { return ::send(Native(socket), data, length, 0); }

int Recv(SOCKET socket, char* buffer, int length) { return ::recv(Native(socket), buffer, length, 0); }

int CloseSocket(SOCKET socket) {
    Handlers().erase(socket);
    return ::closesocket(Native(socket)) == 0 ? 0 : SOCKET_ERROR;
}

}  // namespace platform
