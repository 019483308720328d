// A DialogTemplate as the extended in-memory template (DLGTEMPLATEEX) that
// CreateDialogIndirectParamW and DialogBoxIndirectParamW build windows from.
#pragma once

#include <vector>

#include "platform/DialogTemplate.h"
#include "platform/win32/WinApi.h"

namespace platform::win32 {

// The window and control styles each kind of control gets.
struct NativeStyle {
    const wchar_t* className;  // a predefined class or a common control
    DWORD style;
    DWORD exStyle;
};
NativeStyle StyleOf(const ControlTemplate& control);

// WORD-aligned template bytes; the controls in template (tab) order.
std::vector<WORD> BuildTemplateBytes(const DialogTemplate& dialog);

}  // namespace platform::win32
