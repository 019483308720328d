// Controls as the dialog's child windows, found by id on every call and
// driven by their own messages.
#include "platform/Controls.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"

namespace platform {

using win32::HwndOf;
using win32::Narrow;
using win32::Widen;

namespace {

std::wstring WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsStatic(HWND hwnd) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    return lstrcmpiW(name, L"Static") == 0;
}

using Ranks = std::map<std::intptr_t, int>;

// Orders two rows by the ranks the sort worked out beforehand.
int CALLBACK CompareByRank(LPARAM data1, LPARAM data2, LPARAM ranks) {
    const auto& rank = *reinterpret_cast<const Ranks*>(ranks);
    const auto a = rank.find(data1), b = rank.find(data2);
    return (a == rank.end() ? 0 : a->second) - (b == rank.end() ? 0 : b->second);
}

LRESULT Send(const Control& control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    const HWND hwnd = HwndOf(control);
    return hwnd ? SendMessageW(hwnd, message, wParam, lParam) : 0;
}

}  // namespace

void Control::SetWindowText(const std::string& text) {
    const HWND hwnd = HwndOf(*this);
    if (hwnd == nullptr) return;
    std::wstring shown = Widen(text);
    SetWindowTextW(hwnd, shown.c_str());
    if (IsStatic(hwnd)) DialogAccess::NativeOf(*dialog_).staticTexts[id_] = {text, std::move(shown)};
}

std::string Control::GetWindowText() const {
    const HWND hwnd = HwndOf(*this);
    if (hwnd == nullptr) return {};
    const std::wstring shown = WindowTextOf(hwnd);
    const auto& kept = DialogAccess::NativeOf(*dialog_).staticTexts;
    if (auto it = kept.find(id_); it != kept.end() && it->second.second == shown) return it->second.first;
    return Narrow(shown);
}

void Control::ShowWindow(bool show) {
    if (const HWND hwnd = HwndOf(*this)) ::ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
}

bool Control::IsWindowVisible() const {
    const HWND hwnd = HwndOf(*this);
    return hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::EnableWindow(bool enable) {
    if (const HWND hwnd = HwndOf(*this)) ::EnableWindow(hwnd, enable);
}

void Control::SetFocus() {
    // Through the dialog manager, which also moves the default-button look.
    const HWND hwnd = HwndOf(*this);
    if (hwnd) SendMessageW(GetParent(hwnd), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd), TRUE);
}

bool Control::HasFocus() const {
    const HWND hwnd = HwndOf(*this);
    return hwnd && GetFocus() == hwnd;
}

void Control::SetFont(const Font& font) {
    Send(*this, WM_SETFONT, reinterpret_cast<WPARAM>(win32::HfontOf(font)), TRUE);
}

void Button::Click() { Send(*this, BM_CLICK); }

void Button::SetState(bool pushed) { Send(*this, BM_SETSTATE, pushed ? TRUE : FALSE); }

bool Button::GetState() const { return (Send(*this, BM_GETSTATE) & BST_PUSHED) != 0; }

void Button::SetCheck(bool checked) { Send(*this, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }

bool Button::GetCheck() const { return Send(*this, BM_GETCHECK) == BST_CHECKED; }

void ListView::InsertColumn(int index, const std::string& title, int widthPixels) {
    std::wstring text = Widen(title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = widthPixels;
    column.pszText = text.data();
    column.iSubItem = index;
    Send(*this, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int ListView::GetColumnCount() const {
    const auto header = reinterpret_cast<HWND>(Send(*this, LVM_GETHEADER));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string ListView::GetColumnTitle(int index) const {
    wchar_t text[256] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 256;
    if (!Send(*this, LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column))) return {};
    return Narrow(text);
}

int ListView::GetItemCount() const { return static_cast<int>(Send(*this, LVM_GETITEMCOUNT)); }

int ListView::InsertItem(int index, const std::string& text) {
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = std::clamp(index, 0, GetItemCount());
    item.pszText = wide.data();
    item.lParam = 0;
    return static_cast<int>(Send(*this, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetItemText(int row, int column, const std::string& text) {
    std::wstring wide = Widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    Send(*this, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string ListView::GetItemText(int row, int column) const {
    if (row < 0 || row >= GetItemCount()) return {};
    // The control copies at most the buffer's size less one; a text that
    // fills it may have been cut, so ask again with more room.
    for (std::size_t size = 256;; size *= 2) {
        std::wstring text(size, L'\0');
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(size);
        const auto length = static_cast<std::size_t>(
            Send(*this, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < size) {
            text.resize(length);
            return Narrow(text);
        }
    }
}

void ListView::SetItemData(int row, std::intptr_t data) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data;
    Send(*this, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::intptr_t ListView::GetItemData(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!Send(*this, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

void ListView::DeleteItem(int row) { Send(*this, LVM_DELETEITEM, static_cast<WPARAM>(row)); }

void ListView::DeleteAllItems() { Send(*this, LVM_DELETEALLITEMS); }

void ListView::SortItems(CompareFunction compare, std::intptr_t param) {
    // The order is worked out first, with the rows in place for the compare
    // function to read; the control then only applies it.
    const int count = GetItemCount();
    std::vector<std::intptr_t> data(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) data[static_cast<std::size_t>(row)] = GetItemData(row);
    std::vector<std::intptr_t> order = data;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::intptr_t a, std::intptr_t b) { return compare(a, b, param) < 0; });
    Ranks rank;
    for (std::size_t i = 0; i < order.size(); ++i) rank.emplace(order[i], static_cast<int>(i));
    Send(*this, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rank), reinterpret_cast<LPARAM>(&CompareByRank));
}

int ListView::GetSelectionMark() const {
    if (HwndOf(*this) == nullptr) return -1;
    return static_cast<int>(Send(*this, LVM_GETSELECTIONMARK));
}

void ListView::SetSelectionMark(int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (row < 0 || row >= GetItemCount()) {
        Send(*this, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
        Send(*this, LVM_SETSELECTIONMARK, 0, -1);
        return;
    }
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(*this, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    Send(*this, LVM_SETSELECTIONMARK, 0, row);
}

bool ComboBox::IsSorted() const {
    const HWND hwnd = HwndOf(*this);
    return hwnd && (GetWindowLongW(hwnd, GWL_STYLE) & CBS_SORT) != 0;
}

int ComboBox::AddString(const std::string& text) {
    const std::wstring wide = Widen(text);
    if (HwndOf(*this) == nullptr) return -1;
    return static_cast<int>(Send(*this, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int ComboBox::GetCount() const { return HwndOf(*this) ? static_cast<int>(Send(*this, CB_GETCOUNT)) : 0; }

void ComboBox::SetCurSel(int index) { Send(*this, CB_SETCURSEL, static_cast<WPARAM>(index < GetCount() ? index : -1)); }

int ComboBox::GetCurSel() const { return HwndOf(*this) ? static_cast<int>(Send(*this, CB_GETCURSEL)) : -1; }

std::string ComboBox::GetLBText(int index) const {
    if (index < 0 || index >= GetCount()) return {};
    const auto length = Send(*this, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    Send(*this, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Narrow(text);
}

}  // namespace platform
