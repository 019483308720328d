#include "platform/win32/TemplateBytes.h"

#include <string>

#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"

namespace platform::win32 {

namespace {

class TemplateWriter {
public:
    void Word(WORD value) { words_.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    // Every control's entry starts on a DWORD boundary.
    void AlignToDword() {
        if (words_.size() % 2 != 0) Word(0);
    }
    std::vector<WORD> Take() { return std::move(words_); }

private:
    std::vector<WORD> words_;
};

}  // namespace

NativeStyle StyleOf(const ControlTemplate& c) {
    // Every control but a radio button that continues a group starts a group
    // of its own, so arrow keys move only between the radio buttons of one group.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
    switch (c.kind) {
    case ControlKind::PushButton:
        return {L"Button", style | ((c.style & kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
    case ControlKind::RadioButton:
        // The first of a group is the one Tab stops at.
        if (!(c.style & kGroupStart)) style &= ~(WS_GROUP | WS_TABSTOP);
        return {L"Button", style | BS_AUTORADIOBUTTON, 0};
    case ControlKind::GroupBox: return {L"Button", (style & ~WS_TABSTOP) | BS_GROUPBOX, 0};
    case ControlKind::Static: {
        // Texts from other ringers show "&" as it is, not as a mnemonic; a
        // left-aligned label wraps only when its template says so.
        DWORD s = (style & ~WS_TABSTOP) | SS_NOPREFIX;
        if (c.style & kCentreText) s |= SS_CENTER;
        else s |= (c.style & kWordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP;
        if (c.style & kVCentreText) s |= SS_CENTERIMAGE;
        return {L"Static", s, 0};
    }
    case ControlKind::Edit: return {L"Edit", style | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, 0};
    case ControlKind::ListView: {
        DWORD s = style | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS;
        if (c.style & kSingleSelection) s |= LVS_SINGLESEL;
        return {WC_LISTVIEWW, s, 0};
    }
    case ControlKind::Canvas: return {CanvasClassName(), WS_CHILD | WS_VISIBLE, 0};
    case ControlKind::ComboBox:
        return {L"ComboBox", style | WS_VSCROLL | CBS_DROPDOWNLIST | ((c.style & kSorted) ? CBS_SORT : 0), 0};
    }
    return {L"Static", style, 0};
}

std::vector<WORD> BuildTemplateBytes(const DialogTemplate& dialog) {
    TemplateWriter t;
    DWORD style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    if (dialog.minimizeBox) {
        // The main window: it can be minimised and has its button on the task bar.
        style |= WS_MINIMIZEBOX;
        exStyle |= WS_EX_APPWINDOW;
    }
    t.Word(1);       // dlgVer
    t.Word(0xFFFF);  // signature: an extended template
    t.Dword(0);      // helpID
    t.Dword(exStyle);
    t.Dword(style);
    t.Word(static_cast<WORD>(dialog.controls.size()));
    t.Word(0);  // x, y: DS_CENTER places the window
    t.Word(0);
    t.Word(static_cast<WORD>(dialog.cx));
    t.Word(static_cast<WORD>(dialog.cy));
    t.Word(0);  // no menu
    t.Word(0);  // the dialog class
    t.Text(Widen(dialog.caption));
    t.Word(static_cast<WORD>(dialog.fontPoints));
    t.Word(FW_NORMAL);
    t.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
    t.Text(Widen(dialog.fontFace));

    for (const ControlTemplate& c : dialog.controls) {
        const NativeStyle native = StyleOf(c);
        DWORD controlStyle = native.style;
        if (c.style & kNoTabStop) controlStyle &= ~WS_TABSTOP;
        t.AlignToDword();
        t.Dword(0);  // helpID
        t.Dword(native.exStyle);
        t.Dword(controlStyle);
        t.Word(static_cast<WORD>(c.x));
        t.Word(static_cast<WORD>(c.y));
        t.Word(static_cast<WORD>(c.cx));
        t.Word(static_cast<WORD>(c.cy));
        t.Dword(static_cast<DWORD>(c.id));
        t.Text(native.className);
        t.Text(Widen(c.text));
        t.Word(0);  // no creation data
    }
    return t.Take();
}

}  // namespace platform::win32
