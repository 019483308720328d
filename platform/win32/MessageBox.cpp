#include "platform/Backend.h"
#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"

namespace platform {

void ShowWarningBox(const std::string& caption, const std::string& text) {
    // Owned by the open dialog, which it keeps disabled until answered; the
    // box's own loop goes on dispatching that dialog's messages.
    MessageBoxW(win32::CurrentOwner(), win32::Widen(text).c_str(), win32::Widen(caption).c_str(),
                MB_OK | MB_ICONWARNING);
}

}  // namespace platform
