// The canvas as a widget that paints its drawing with QPainter; rendering
// paints the same way into a QImage.
#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>
#include <QPen>
#include <type_traits>

#include "platform/qt/QtAccess.h"

namespace platform {

namespace {

QColor ToQColor(Colour c) { return QColor(c.r, c.g, c.b); }

void Paint(QPainter& painter, const Drawing& drawing) {
    painter.fillRect(0, 0, drawing.width, drawing.height, ToQColor(drawing.background));
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Drawing::Item& item : drawing.items) {
        std::visit(
            [&painter](const auto& d) {
                using T = std::decay_t<decltype(d)>;
                if constexpr (std::is_same_v<T, Drawing::Fill>) {
                    painter.fillRect(d.x, d.y, d.cx, d.cy, ToQColor(d.colour));
                } else if constexpr (std::is_same_v<T, Drawing::Line>) {
                    painter.setPen(QPen(ToQColor(d.colour), d.width));
                    painter.drawLine(d.x1, d.y1, d.x2, d.y2);
                } else if constexpr (std::is_same_v<T, Drawing::Dot>) {
                    painter.setBrush(ToQColor(d.fill));
                    if (d.outlineWidth > 0) painter.setPen(QPen(ToQColor(d.outline), d.outlineWidth));
                    else painter.setPen(Qt::NoPen);
                    painter.drawEllipse(QPointF(d.x, d.y), d.radius, d.radius);
                } else {
                    QFont font(QStringLiteral("Arial"));
                    font.setStyleHint(QFont::SansSerif);
                    font.setPixelSize(d.pixelSize);
                    font.setBold(d.bold);
                    painter.setFont(font);
                    painter.setPen(ToQColor(d.colour));
                    const QString text = qt::ToQt(d.text);
                    const QFontMetrics metrics(font);
                    const int width = metrics.horizontalAdvance(text);
                    const int left = d.align == TextAlign::Left     ? d.x
                                     : d.align == TextAlign::Centre ? d.x - width / 2
                                                                    : d.x - width;
                    painter.drawText(left, d.y + metrics.ascent(), text);
                }
            },
            item);
    }
}

class CanvasWidget : public QWidget {
public:
    using QWidget::QWidget;
    Drawing drawing;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        Paint(painter, drawing);
    }
};

CanvasWidget* CanvasOf(const Control& control) { return dynamic_cast<CanvasWidget*>(qt::WidgetOf(control)); }

}  // namespace

QWidget* qt::MakeCanvasWidget(QWidget* parent) { return new CanvasWidget(parent); }

void Canvas::SetDrawing(Drawing drawing) {
    if (CanvasWidget* canvas = CanvasOf(*this)) {
        canvas->drawing = std::move(drawing);
        canvas->update();
    }
}

const Drawing& Canvas::GetDrawing() const {
    static const Drawing none;
    const CanvasWidget* canvas = CanvasOf(*this);
    return canvas ? canvas->drawing : none;
}

int Canvas::Width() const { return CanvasOf(*this) ? CanvasOf(*this)->width() : 0; }

int Canvas::Height() const { return CanvasOf(*this) ? CanvasOf(*this)->height() : 0; }

RgbaImage RenderDrawing(const Drawing& drawing) {
    RgbaImage image{drawing.width, drawing.height, {}};
    if (drawing.width <= 0 || drawing.height <= 0) return image;
    QImage painted(drawing.width, drawing.height, QImage::Format_RGBA8888);
    if (painted.isNull()) return image;
    {
        QPainter painter(&painted);
        Paint(painter, drawing);
    }
    image.pixels.resize(static_cast<std::size_t>(drawing.width) * drawing.height * 4);
    for (int y = 0; y < drawing.height; ++y)
        std::copy_n(painted.constScanLine(y), drawing.width * 4, image.pixels.begin() + y * drawing.width * 4);
    return image;
}

}  // namespace platform
