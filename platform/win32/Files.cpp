// Paths as UTF-16, as Windows keeps them.
#include "platform/Files.h"

#include <cstdlib>

#include "platform/win32/WinAccess.h"

namespace platform {

std::filesystem::path DocumentsFolder() { return EnvironmentPath("USERPROFILE") / L"Documents"; }

std::filesystem::path EnvironmentPath(const char* name) {
    const wchar_t* value = _wgetenv(win32::Widen(name).c_str());
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace platform
