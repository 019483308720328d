#include "platform/Font.h"

#include <QFontDatabase>
#include <QStringList>

namespace platform {

void InstallFontSubstitutes() {
    const QStringList sans{"Liberation Sans", "Arimo", "DejaVu Sans", "FreeSans"};
    QFont::insertSubstitutions("Arial", sans);
    QFont::insertSubstitutions("MS Sans Serif", sans);
    QFont::insertSubstitutions("MS Shell Dlg", sans);
}

void Font::CreateFont(int height, int weight, const std::string& face) {
    QFont font(QString::fromStdString(face));
    font.setStyleHint(QFont::SansSerif);
    // A positive height asks for the whole character cell; the em square,
    // which Qt sizes, is that cell less the internal leading (about 1/8).
    font.setPixelSize(height > 0 ? height * 7 / 8 : -height);
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    Set(font);
}

}  // namespace platform
