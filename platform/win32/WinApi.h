// The Windows headers as the Win32 backend includes them. They define as
// macros several names that the platform interface declares for itself
// (MessageBox, CreateFont, SetWindowText, GetCommandLine, IDOK, FD_READ,
// INVALID_SOCKET...): each is checked here against our own value and then
// undefined, so that the backend's files can use both. The W functions are
// called by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

// In this order, each in a block of its own so that it stays so: winsock2.h
// before windows.h, and commctrl.h after it.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <windows.h>

#include <commctrl.h>

namespace platform::win32 {
// The system's values, taken before their macros go.
inline constexpr int kIdOk = IDOK;
inline constexpr int kIdCancel = IDCANCEL;
inline constexpr long kFdRead = FD_READ;
inline constexpr long kFdWrite = FD_WRITE;
inline constexpr long kFdClose = FD_CLOSE;
inline constexpr int kSocketError = SOCKET_ERROR;
inline constexpr int kInvalidHandle = WSA_INVALID_HANDLE;
inline constexpr int kWouldBlock = WSAEWOULDBLOCK;
inline constexpr int kNotSocket = WSAENOTSOCK;
inline constexpr int kConnAborted = WSAECONNABORTED;
inline constexpr int kConnReset = WSAECONNRESET;
inline constexpr int kTimedOut = WSAETIMEDOUT;
inline constexpr int kConnRefused = WSAECONNREFUSED;
}  // namespace platform::win32

#undef MessageBox
#undef CreateFont
#undef SetWindowText
#undef GetWindowText
#undef GetCommandLine
#undef PlaySound
#undef IDOK
#undef IDCANCEL
#undef FD_READ
#undef FD_WRITE
#undef FD_CLOSE
#undef INVALID_SOCKET
#undef SOCKET_ERROR
#undef WSA_INVALID_HANDLE
#undef WSAEWOULDBLOCK
#undef WSAENOTSOCK
#undef WSAECONNABORTED
#undef WSAECONNRESET
#undef WSAETIMEDOUT
#undef WSAECONNREFUSED

#include "platform/DialogTemplate.h"
#include "platform/Socket.h"

namespace platform::win32 {
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL);
static_assert(kFdRead == FD_READ && kFdWrite == FD_WRITE && kFdClose == FD_CLOSE);
static_assert(kSocketError == SOCKET_ERROR && INVALID_SOCKET == static_cast<SOCKET>(~::SOCKET{0}));
static_assert(kInvalidHandle == WSA_INVALID_HANDLE && kWouldBlock == WSAEWOULDBLOCK && kNotSocket == WSAENOTSOCK);
static_assert(kConnAborted == WSAECONNABORTED && kConnReset == WSAECONNRESET);
static_assert(kTimedOut == WSAETIMEDOUT && kConnRefused == WSAECONNREFUSED);
static_assert(sizeof(platform::SOCKET) == sizeof(::SOCKET));
}  // namespace platform::win32
