// A font object that owns its font, as the windows create them.
#pragma once

#include <QFont>
#include <string>

namespace platform {

class Font {
public:
    // height: the character cell height in pixels; weight: 400 normal, 700 bold.
    void CreateFont(int height, int weight, const std::string& face);
    bool IsNull() const { return null_; }
    const QFont& Get() const { return font_; }
    void Set(const QFont& font) {
        font_ = font;
        null_ = false;
    }

private:
    QFont font_;
    bool null_ = true;
};

// Maps the face names the templates use (Arial, MS Sans Serif) onto fonts
// this machine has, metric-compatible where it can.
void InstallFontSubstitutes();

}  // namespace platform
