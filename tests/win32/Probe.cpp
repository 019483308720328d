// tolmer-probe: what the Windows client shows, for the test that drives it
// from outside its process (under Wine, tests/wine/).
//
// tolmer-probe             the visible top-level windows of the desktop: one
//                          line per window, control and list row, positions
//                          on the screen (Wine's virtual desktop), texts in
//                          UTF-8 with tabs and line breaks as blanks:
//   window <x> <y> <width> <height> <caption>
//   control <id> <visible 0|1> <x> <y> <width> <height> <text>
//   row <list id> <cell>\t<cell>...
// tolmer-probe shortcut F  the shortcut file F: "target <path>", then
//                          "folder <working folder>"
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
    std::string out(text.size() * 3, '\0');
    out.resize(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                                     static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

std::string TextOf(HWND hwnd) {
    // WM_GETTEXT is copied between processes by the system.
    std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return Utf8(text);
}

// A list view's rows, read through memory lent in the list's own process:
// list-view messages carry pointers that the system does not copy across.
void PrintRows(HWND list, int id) {
    constexpr int kChars = 2048;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    auto* item = static_cast<LVITEMW*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    if (!item) return;
    auto* remoteText = reinterpret_cast<wchar_t*>(item + 1);
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        std::string line = "row " + std::to_string(id);
        for (int column = 0; column < columns; ++column) {
            LVITEMW local{};
            local.iSubItem = column;
            local.pszText = remoteText;
            local.cchTextMax = kChars;
            WriteProcessMemory(process, item, &local, sizeof local, nullptr);
            std::wstring text(static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                                    reinterpret_cast<LPARAM>(item))),
                              L'\0');
            ReadProcessMemory(process, remoteText, text.data(), text.size() * sizeof(wchar_t), nullptr);
            line += (column == 0 ? " " : "\t") + Utf8(text);
        }
        std::printf("%s\n", line.c_str());
    }
    VirtualFreeEx(process, item, 0, MEM_RELEASE);
    CloseHandle(process);
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    RECT r;
    GetWindowRect(control, &r);
    const int id = GetDlgCtrlID(control);
    std::printf("control %d %d %ld %ld %ld %ld %s\n", id, IsWindowVisible(control) ? 1 : 0, r.left, r.top,
                r.right - r.left, r.bottom - r.top, TextOf(control).c_str());
    wchar_t className[64] = {};
    GetClassNameW(control, className, 64);
    if (std::wstring(className) == WC_LISTVIEWW) PrintRows(control, id);
    return TRUE;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    RECT r;
    GetWindowRect(window, &r);
    std::printf("window %ld %ld %ld %ld %s\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                TextOf(window).c_str());
    EnumChildWindows(window, PrintControl, 0);
    return TRUE;
}

int PrintShortcut(const wchar_t* file) {
    if (FAILED(CoInitialize(nullptr))) return 1;
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = {}, folder[MAX_PATH] = {};
    const bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                                 reinterpret_cast<void**>(&link))) &&
                      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
                      SUCCEEDED(persist->Load(file, STGM_READ)) &&
                      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
                      SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (read) std::printf("target %s\nfolder %s\n", Utf8(target).c_str(), Utf8(folder).c_str());
    if (persist) persist->Release();
    if (link) link->Release();
    CoUninitialize();
    return read ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"shortcut") return PrintShortcut(argv[2]);
    EnumWindows(PrintWindow, 0);
    return 0;
}
