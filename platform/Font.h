// A font object that owns its font, as the windows create them.
#pragma once

#include <string>

#include "platform/NativeHandle.h"

namespace platform {

class Font {
public:
    Font() = default;
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // height: the character cell height in pixels; weight: 400 normal, 700 bold.
    void CreateFont(int height, int weight, const std::string& face);
    bool IsNull() const { return handle_ == nullptr; }
    FontHandle Handle() const { return handle_; }
    // For the backend: takes a font it made (owned: deleted with this object)
    // or one that another object owns, such as a dialog's own font.
    void Reset(FontHandle handle, bool owned);

private:
    FontHandle handle_ = nullptr;
    bool owned_ = false;
};

}  // namespace platform
