#include "platform/Application.h"

#include <string>

#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"

namespace platform {

struct Application::Native {};

// The name and command line come from the system, as Unicode; argv is not used.
Application::Application(int& /*argc*/, char** /*argv*/) : native_(std::make_unique<Native>()) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    SetApplicationName(win32::Narrow(path));
    SetCommandLine(win32::Narrow(GetCommandLineW()));
}

Application::~Application() = default;

int Application::Run() {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (win32::TranslateDialogMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace platform
