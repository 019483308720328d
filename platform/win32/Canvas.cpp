// The canvas as a window class of our own that paints its drawing with GDI,
// off screen first so that it does not flicker; rendering paints the same
// way into a DIB section.
#include "platform/Canvas.h"

#include <type_traits>

#include "platform/win32/Native.h"
#include "platform/win32/WinAccess.h"

namespace platform {

namespace {

constexpr wchar_t kCanvasClass[] = L"TolmerCanvas";

COLORREF ToColorRef(Colour c) { return RGB(c.r, c.g, c.b); }

void FillWith(HDC dc, const RECT& rect, Colour colour) {
    const HBRUSH brush = CreateSolidBrush(ToColorRef(colour));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void PaintText(HDC dc, const Drawing::Text& text) {
    const HFONT font =
        CreateFontW(-text.pixelSize, 0, 0, 0, text.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
    const HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, ToColorRef(text.colour));
    const UINT align = text.align == TextAlign::Left ? TA_LEFT : text.align == TextAlign::Centre ? TA_CENTER : TA_RIGHT;
    SetTextAlign(dc, TA_TOP | TA_NOUPDATECP | align);
    const std::wstring wide = win32::Widen(text.text);
    TextOutW(dc, text.x, text.y, wide.c_str(), static_cast<int>(wide.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

void Paint(HDC dc, const Drawing& drawing) {
    FillWith(dc, RECT{0, 0, drawing.width, drawing.height}, drawing.background);
    SetBkMode(dc, TRANSPARENT);
    for (const Drawing::Item& item : drawing.items) {
        std::visit(
            [dc](const auto& d) {
                using T = std::decay_t<decltype(d)>;
                if constexpr (std::is_same_v<T, Drawing::Fill>) {
                    FillWith(dc, RECT{d.x, d.y, d.x + d.cx, d.y + d.cy}, d.colour);
                } else if constexpr (std::is_same_v<T, Drawing::Line>) {
                    const HPEN pen = CreatePen(PS_SOLID, d.width, ToColorRef(d.colour));
                    const HGDIOBJ old = SelectObject(dc, pen);
                    MoveToEx(dc, d.x1, d.y1, nullptr);
                    LineTo(dc, d.x2, d.y2);
                    SelectObject(dc, old);
                    DeleteObject(pen);
                } else if constexpr (std::is_same_v<T, Drawing::Dot>) {
                    const HBRUSH brush = CreateSolidBrush(ToColorRef(d.fill));
                    const HPEN pen = d.outlineWidth > 0 ? CreatePen(PS_SOLID, d.outlineWidth, ToColorRef(d.outline))
                                                        : static_cast<HPEN>(GetStockObject(NULL_PEN));
                    const HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
                    Ellipse(dc, d.x - d.radius, d.y - d.radius, d.x + d.radius + 1, d.y + d.radius + 1);
                    SelectObject(dc, oldBrush);
                    SelectObject(dc, oldPen);
                    DeleteObject(brush);
                    if (d.outlineWidth > 0) DeleteObject(pen);
                } else {
                    PaintText(dc, d);
                }
            },
            item);
    }
}

// Each canvas window owns the drawing it shows.
Drawing* DrawingOf(HWND hwnd) { return reinterpret_cast<Drawing*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

LRESULT CALLBACK CanvasProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Drawing)); break;
    case WM_NCDESTROY:
        delete DrawingOf(hwnd);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND: return 1;  // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        const HDC memory = CreateCompatibleDC(dc);
        const HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        const HGDIOBJ old = SelectObject(memory, bitmap);
        if (const Drawing* drawing = DrawingOf(hwnd)) {
            FillWith(memory, client, drawing->background);
            Paint(memory, *drawing);
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(hwnd, &paint);
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

RECT ClientOf(const Control& control) {
    RECT client{};
    if (const HWND hwnd = win32::HwndOf(control)) GetClientRect(hwnd, &client);
    return client;
}

}  // namespace

const wchar_t* win32::CanvasClassName() {
    static const bool registered = [] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = CanvasProc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.lpszClassName = kCanvasClass;
        return RegisterClassExW(&type) != 0;
    }();
    (void)registered;
    return kCanvasClass;
}

void Canvas::SetDrawing(Drawing drawing) {
    const HWND hwnd = win32::HwndOf(*this);
    Drawing* shown = hwnd ? DrawingOf(hwnd) : nullptr;
    if (shown == nullptr) return;
    *shown = std::move(drawing);
    InvalidateRect(hwnd, nullptr, FALSE);
}

const Drawing& Canvas::GetDrawing() const {
    static const Drawing none;
    const HWND hwnd = win32::HwndOf(*this);
    const Drawing* shown = hwnd ? DrawingOf(hwnd) : nullptr;
    return shown ? *shown : none;
}

int Canvas::Width() const { return ClientOf(*this).right; }

int Canvas::Height() const { return ClientOf(*this).bottom; }

RgbaImage RenderDrawing(const Drawing& drawing) {
    RgbaImage image{drawing.width, drawing.height, {}};
    if (drawing.width <= 0 || drawing.height <= 0) return image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = drawing.width;
    info.bmiHeader.biHeight = -drawing.height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC memory = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap != nullptr) {
        const HGDIOBJ old = SelectObject(memory, bitmap);
        Paint(memory, drawing);
        GdiFlush();
        const auto* bgrx = static_cast<const std::uint8_t*>(bits);
        image.pixels.resize(static_cast<std::size_t>(drawing.width) * drawing.height * 4);
        for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
            image.pixels[i] = bgrx[i + 2];
            image.pixels[i + 1] = bgrx[i + 1];
            image.pixels[i + 2] = bgrx[i];
            image.pixels[i + 3] = 255;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    return image;
}

}  // namespace platform
