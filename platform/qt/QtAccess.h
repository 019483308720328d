// The Qt objects behind the platform's opaque handles, for the Qt backend's
// own files and for tests written against this backend.
#pragma once

#include <QFont>
#include <QString>
#include <QWidget>
#include <string>

#include "platform/Controls.h"
#include "platform/Dialog.h"
#include "platform/Font.h"

namespace platform::qt {

inline QWidget* ToWidget(WindowHandle handle) { return reinterpret_cast<QWidget*>(handle); }
inline WindowHandle FromWidget(QWidget* widget) { return reinterpret_cast<WindowHandle>(widget); }
inline QWidget* WidgetOf(const Control& control) { return ToWidget(control.Handle()); }
inline QWidget* WidgetOf(const Dialog& dialog) { return ToWidget(dialog.Handle()); }

// The font, or the application's default for a font never created.
const QFont& FontOf(const Font& font);
FontHandle MakeFontHandle(const QFont& font);
// The widget behind a Canvas control (platform/qt/Canvas.cpp).
QWidget* MakeCanvasWidget(QWidget* parent);

// Texts travel on the wire as bytes; widgets hold Unicode. The client's
// 8-bit encoding is UTF-8, and bytes that are not valid UTF-8 are shown
// with replacement characters rather than refused.
inline QString ToQt(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
inline std::string FromQt(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace platform::qt
