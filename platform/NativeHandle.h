// The backend's own objects behind the platform's windows and fonts (a
// QWidget and a QFont with Qt, an HWND and an HFONT on Windows), opaque to
// everything above the backend. Only the backend, and tests written against
// one backend, look inside (platform/qt/QtAccess.h, platform/win32/WinAccess.h).
#pragma once

namespace platform {

struct NativeWindow;
using WindowHandle = NativeWindow*;

struct NativeFont;
using FontHandle = NativeFont*;

// A rectangle in pixels, relative to the window's client area.
struct Rect {
    int x = 0, y = 0, cx = 0, cy = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace platform
