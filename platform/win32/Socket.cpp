// Windows Sockets 2: the connection's notifications come from WSAAsyncSelect
// as a private message to the window, which its dialog procedure hands to
// the handler registered here.
#include "platform/Socket.h"

#include <map>

#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"

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

SOCKET OpenStreamSocket() {
    // Version 2.2 of the socket library, asked for before the first socket;
    // its result is not checked (socket() reports a missing library itself).
    static const bool started = [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        return true;
    }();
    (void)started;
    return static_cast<SOCKET>(::socket(AF_INET, SOCK_STREAM, 0));
}

bool LookUpHost(const std::string& host, std::uint32_t& address) {
    addrinfoW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfoW* found = nullptr;
    if (GetAddrInfoW(win32::Widen(host).c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    FreeAddrInfoW(found);
    return true;
}

int ConnectSocket(SOCKET socket, std::uint32_t address, std::uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    return ::connect(Native(socket), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 ? 0 : SOCKET_ERROR;
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
