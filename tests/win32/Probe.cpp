// tolmer-probe: what the Windows client shows, for tests that drive it from
// outside its process (under Wine, tests/wine/).
//
// tolmer-probe             the visible top-level windows of the desktop: one
//                          line per window, control and list row; texts in
//                          UTF-8 with backslash, tab, CR and LF as \\ \t \r \n:
//   window <handle> <x> <y> <width> <height> <caption>
//   control <id> <class> <visible 0|1> <x> <y> <width> <height> <text>
//   row <list id> <index> <cell>\t<cell>...
//                          (positions on the screen: Wine's virtual desktop)
// tolmer-probe shortcut F  the shortcut file F: "target <path>", then
//                          "folder <working folder>"
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Escaped(const std::wstring& text) {
    std::string out;
    for (char c : Utf8(text)) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::wstring TextOf(HWND hwnd) {
    // WM_GETTEXT is copied between processes by the system.
    std::wstring text(static_cast<std::size_t>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const auto n = SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

// A list view's cell, read through memory lent in the list's own process:
// list-view messages carry pointers that the system does not copy across.
class RemoteCellReader {
public:
    explicit RemoteCellReader(HWND list) : list_(list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) memory_ = VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteCellReader() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool Ready() const { return memory_ != nullptr; }

    std::wstring Cell(int row, int column) {
        auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory_) + sizeof(LVITEMW));
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = remoteText;
        item.cchTextMax = kTextChars;
        SIZE_T done = 0;
        WriteProcessMemory(process_, memory_, &item, sizeof item, &done);
        const auto n =
            SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
        std::wstring text(static_cast<std::size_t>(n), L'\0');
        const auto bytes = static_cast<SIZE_T>(n) * sizeof(wchar_t);
        if (n > 0) ReadProcessMemory(process_, remoteText, text.data(), bytes, &done);
        return text;
    }

private:
    static constexpr int kTextChars = 2048;
    static constexpr SIZE_T kBytes = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
    HWND list_;
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
};

void PrintRows(HWND list, int id) {
    RemoteCellReader reader(list);
    if (!reader.Ready()) return;
    const auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        std::string line = "row " + std::to_string(id) + " " + std::to_string(row) + " ";
        for (int column = 0; column < columns; ++column) {
            if (column > 0) line += '\t';
            line += Escaped(reader.Cell(row, column));
        }
        std::printf("%s\n", line.c_str());
    }
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    RECT r;
    GetWindowRect(control, &r);
    const int id = GetDlgCtrlID(control);
    const std::wstring className = ClassOf(control);
    std::printf("control %d %s %d %ld %ld %ld %ld %s\n", id, Utf8(className).c_str(),
                (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) ? 1 : 0, r.left, r.top, r.right - r.left,
                r.bottom - r.top, Escaped(TextOf(control)).c_str());
    if (className == WC_LISTVIEWW) PrintRows(control, id);
    return TRUE;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    RECT r;
    GetWindowRect(window, &r);
    std::printf("window %llx %ld %ld %ld %ld %s\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                r.left, r.top, r.right - r.left, r.bottom - r.top, Escaped(TextOf(window)).c_str());
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
