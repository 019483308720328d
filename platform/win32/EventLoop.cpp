#include "platform/EventLoop.h"

#include <algorithm>

#include "platform/win32/Native.h"

namespace platform {

namespace {

// Handles what is waiting; false once the program has been asked to quit.
bool HandleWaitingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
            return false;
        }
        if (win32::TranslateDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (!condition()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || !HandleWaitingMessages()) return condition();
        if (condition()) return true;
        const auto wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 5));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

}  // namespace platform
