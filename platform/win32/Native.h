// The Win32 backend's own state of a dialog, and its way into the dialog's
// private handlers. Only platform/win32/ includes this.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Dialog.h"
#include "platform/win32/WinApi.h"

namespace platform {

struct Dialog::Native {
    HWND hwnd = nullptr;
    bool modal = false;
    struct Timer {
        UINT period;
        ULONGLONG due;  // GetTickCount64 time of the next expiry
    };
    std::map<int, Timer> timers;
    // Private window messages (the socket's notifications) and their handlers.
    std::map<UINT, std::function<void(WPARAM, LPARAM)>> messages;
    // Each static text's bytes as given and the UTF-16 it was shown as: while
    // it still shows that, reading it back returns the bytes unchanged (even
    // a cut UTF-8 sequence).
    std::map<int, std::pair<std::string, std::wstring>> staticTexts;
    HICON bigIcon = nullptr;
};

struct DialogAccess {
    using Native = Dialog::Native;
    static Native& NativeOf(Dialog& dialog) { return *dialog.native_; }
    static void Command(Dialog& dialog, int id) { dialog.HandleCommand(id); }
    static void DoubleClick(Dialog& dialog, int id) { dialog.HandleDoubleClick(id); }
    static Font& DialogFontOf(Dialog& dialog) { return dialog.dialogFont_; }
    static const std::function<void(Dialog&)>& ModalHook() { return Dialog::ModalHook(); }
};

namespace win32 {

// The dialog whose window this is, or null.
Dialog* DialogOf(HWND hwnd);
// The owner of a new dialog or message box: the latest dialog whose window
// is open (the main window, or a dialog run from it), or none.
HWND CurrentOwner();
// Lets the dialog that the message is for apply the dialog keyboard rules
// (IsDialogMessage); true when it took the message.
bool TranslateDialogMessage(MSG& message);
// The window class of Canvas controls, registered on first use.
const wchar_t* CanvasClassName();

}  // namespace win32
}  // namespace platform
