#include "platform/Font.h"

#include <QFontDatabase>
#include <QStringList>

#include "platform/qt/QtAccess.h"

namespace platform {

namespace qt {

const QFont& FontOf(const Font& font) {
    static const QFont none;
    return font.IsNull() ? none : *reinterpret_cast<const QFont*>(font.Handle());
}

FontHandle MakeFontHandle(const QFont& font) { return reinterpret_cast<FontHandle>(new QFont(font)); }

}  // namespace qt

Font::~Font() { Reset(nullptr, false); }

void Font::Reset(FontHandle handle, bool owned) {
    if (owned_) delete reinterpret_cast<QFont*>(handle_);
    handle_ = handle;
    owned_ = owned;
}

void Font::CreateFont(int height, int weight, const std::string& face) {
    QFont font(qt::ToQt(face));
    font.setStyleHint(QFont::SansSerif);
    // A positive height asks for the whole character cell; the em square,
    // which Qt sizes, is that cell less the internal leading (about 1/8).
    font.setPixelSize(height > 0 ? height * 7 / 8 : -height);
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    Reset(qt::MakeFontHandle(font), true);
}

}  // namespace platform
