#include "platform/Process.h"

#include "platform/win32/WinApi.h"

namespace platform {

void RaiseProcessPriority() {
    // The real-time class; without the privilege for it Windows gives the
    // highest class it allows (high) and reports success all the same.
    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
}

}  // namespace platform
