// Dialogs as native Windows dialogs: the template becomes an in-memory
// extended template, the dialog manager makes the controls and applies the
// keyboard rules (IsDialogMessage: Tab, Enter, Escape and the bare-key
// mnemonics), the dialog procedure is the message map.
#include "platform/Dialog.h"

#include <algorithm>

#include "platform/win32/Native.h"
#include "platform/win32/TemplateBytes.h"
#include "platform/win32/WinAccess.h"

namespace platform {

namespace {

// Posted as the modal run starts, for the test hook.
constexpr UINT kRunModalHook = WM_APP + 1;

// The windows of open dialogs, oldest first.
std::vector<HWND>& OpenDialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}

// Fills what the template cannot hold: combo entries and the list view's look.
void CompleteControls(Dialog& dialog, HWND hwnd) {
    for (const ControlTemplate& c : dialog.Template().controls) {
        if (c.kind == ControlKind::ComboBox) {
            ComboBox combo;
            combo.Attach(&dialog, c.id);
            for (const std::string& item : c.items) combo.AddString(item);
        } else if (c.kind == ControlKind::ListView) {
            const HWND list = ::GetDlgItem(hwnd, c.id);
            SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
        }
    }
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        DialogAccess::Native& native = DialogAccess::NativeOf(*dialog);
        native.hwnd = hwnd;
        OpenDialogs().push_back(hwnd);
        // The dialog manager made the template's font; it goes with the window.
        const auto font = reinterpret_cast<FontHandle>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
        DialogAccess::DialogFontOf(*dialog).Reset(font, false);
        CompleteControls(*dialog, hwnd);
        const bool defaultFocus = dialog->OnInitDialog();
        if (native.modal && DialogAccess::ModalHook()) PostMessageW(hwnd, kRunModalHook, 0, 0);
        return defaultFocus ? TRUE : FALSE;
    }
    Dialog* dialog = win32::DialogOf(hwnd);
    if (dialog == nullptr) return FALSE;
    DialogAccess::Native& native = DialogAccess::NativeOf(*dialog);

    switch (message) {
    case WM_COMMAND:
        // Clicks, Enter and Escape (IDOK, IDCANCEL) and mnemonics all come as BN_CLICKED.
        if (HIWORD(wParam) == BN_CLICKED) DialogAccess::Command(*dialog, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code != NM_DBLCLK) return FALSE;
        DialogAccess::DoubleClick(*dialog, static_cast<int>(header->idFrom));
        return TRUE;
    }
    case WM_CLOSE: DialogAccess::Command(*dialog, IDCANCEL); return TRUE;
    case WM_TIMER: {
        const int id = static_cast<int>(wParam);
        auto it = native.timers.find(id);
        if (it == native.timers.end()) return TRUE;  // killed while its message waited
        it->second.due = GetTickCount64() + it->second.period;
        dialog->OnTimer(id);
        return TRUE;
    }
    case WM_ACTIVATE:
        dialog->OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return FALSE;  // the dialog manager still saves and restores the focus
    case WM_QUERYDRAGICON:
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(native.bigIcon));
        return TRUE;
    case kRunModalHook:
        if (const auto& hook = DialogAccess::ModalHook(); hook && dialog->IsRunning()) hook(*dialog);
        return TRUE;
    case WM_NCDESTROY:
        std::erase(OpenDialogs(), hwnd);
        native.hwnd = nullptr;
        native.timers.clear();
        return FALSE;
    default: break;
    }
    if (auto it = native.messages.find(message); it != native.messages.end()) {
        // The handler may run a dialog in which this map changes: call a copy.
        const auto handler = it->second;
        handler(wParam, lParam);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

namespace win32 {

Dialog* DialogOf(HWND hwnd) {
    if (std::find(OpenDialogs().begin(), OpenDialogs().end(), hwnd) == OpenDialogs().end()) return nullptr;
    return reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
}

HWND CurrentOwner() {
    for (auto it = OpenDialogs().rbegin(); it != OpenDialogs().rend(); ++it)
        if (IsWindowVisible(*it) && IsWindowEnabled(*it)) return *it;
    return OpenDialogs().empty() ? nullptr : OpenDialogs().back();
}

bool TranslateDialogMessage(MSG& message) {
    if (message.hwnd == nullptr) return false;
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (DialogOf(root) == nullptr) return false;
    return IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace win32

Dialog::Dialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate), native_(std::make_unique<Native>()) {}

Dialog::~Dialog() {
    if (native_->hwnd != nullptr && !native_->modal) DestroyWindow(native_->hwnd);
}

WindowHandle Dialog::Handle() const { return win32::FromHwnd(native_->hwnd); }

WindowHandle Dialog::ControlHandle(int id) const {
    return native_->hwnd ? win32::FromHwnd(::GetDlgItem(native_->hwnd, id)) : nullptr;
}

Rect Dialog::DialogUnitsToPixels(int x, int y, int cx, int cy) const {
    RECT r{x, y, x + cx, y + cy};
    if (native_->hwnd == nullptr || !MapDialogRect(native_->hwnd, &r)) return {};
    return Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool Dialog::Create() {
    if (created_) return true;
    created_ = true;
    ended_ = false;
    const std::vector<WORD> bytes = win32::BuildTemplateBytes(template_);
    const HWND hwnd =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                   win32::CurrentOwner(), DialogProc, reinterpret_cast<LPARAM>(this));
    if (hwnd == nullptr || ended_) return true;
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    return true;
}

int Dialog::DoModal() {
    created_ = true;
    ended_ = false;
    native_->modal = true;
    const std::vector<WORD> bytes = win32::BuildTemplateBytes(template_);
    // The owner is disabled while this dialog runs and active again after it.
    const INT_PTR run =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                win32::CurrentOwner(), DialogProc, reinterpret_cast<LPARAM>(this));
    native_->modal = false;
    if (run == -1 && !ended_) {
        // The window could not be made: as if the user had cancelled it.
        result_ = IDCANCEL;
        ended_ = true;
    }
    return result_;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    const HWND hwnd = native_->hwnd;
    if (hwnd == nullptr) return;
    if (native_->modal) {
        ::EndDialog(hwnd, result);
    } else {
        ShowWindow(hwnd, SW_HIDE);
    }
}

void Dialog::SetTimer(int id, int milliseconds) {
    Native& native = *native_;
    if (native.hwnd == nullptr) return;
    const UINT period = static_cast<UINT>(std::max(milliseconds, 0));
    if (::SetTimer(native.hwnd, static_cast<UINT_PTR>(id), period, nullptr) == 0) return;
    native.timers[id] = {period, GetTickCount64() + period};
}

void Dialog::KillTimer(int id) {
    Native& native = *native_;
    if (native.hwnd != nullptr) ::KillTimer(native.hwnd, static_cast<UINT_PTR>(id));
    native.timers.erase(id);
}

bool Dialog::IsTimerRunning(int id) const { return native_->timers.count(id) != 0; }

int Dialog::TimerRemainingMs(int id) const {
    auto it = native_->timers.find(id);
    if (it == native_->timers.end()) return -1;
    const ULONGLONG now = GetTickCount64();
    return it->second.due > now ? static_cast<int>(it->second.due - now) : 0;
}

void Dialog::SetIcons(const IconResource& icon) {
    Native& native = *native_;
    if (native.hwnd == nullptr) return;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    auto load = [&](int sizeX, int sizeY) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(icon.id), IMAGE_ICON, GetSystemMetrics(sizeX),
                                             GetSystemMetrics(sizeY), LR_SHARED));
    };
    native.bigIcon = load(SM_CXICON, SM_CYICON);
    SendMessageW(native.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(native.bigIcon));
    SendMessageW(native.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
}

}  // namespace platform
