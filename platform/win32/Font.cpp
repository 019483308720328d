#include "platform/Font.h"

#include "platform/win32/WinAccess.h"

namespace platform {

Font::~Font() { Reset(nullptr, false); }

void Font::Reset(FontHandle handle, bool owned) {
    if (owned_ && handle_ != nullptr) DeleteObject(reinterpret_cast<HFONT>(handle_));
    handle_ = handle;
    owned_ = owned;
}

void Font::CreateFont(int height, int weight, const std::string& face) {
    const HFONT font =
        CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, win32::Widen(face).c_str());
    Reset(reinterpret_cast<FontHandle>(font), true);
}

}  // namespace platform
