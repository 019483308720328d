// The Win32 objects behind the platform's opaque handles, and the text
// conversions at the interface (UTF-8 outside, UTF-16 inside), for the Win32
// backend's own files and for tests written against this backend.
#pragma once

#include <string>
#include <string_view>

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Font.h"
#include "platform/win32/WinApi.h"

namespace platform::win32 {

inline HWND ToHwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }
inline WindowHandle FromHwnd(HWND hwnd) { return reinterpret_cast<WindowHandle>(hwnd); }
inline HWND HwndOf(const Control& control) { return ToHwnd(control.Handle()); }
inline HWND HwndOf(const Dialog& dialog) { return ToHwnd(dialog.Handle()); }
inline HFONT HfontOf(const Font& font) { return reinterpret_cast<HFONT>(font.Handle()); }

// Bytes that are not valid UTF-8 become replacement characters, as do
// unpaired surrogates going the other way.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace platform::win32
