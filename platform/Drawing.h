// A picture as a list of things to draw, in pixels from its top left, and an
// image to render one into. The client draws without knowing the backend; a
// Canvas control shows a drawing and RenderDrawing paints one into an image
// (Canvas.h), which EncodePng writes out the same way on every backend.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace platform {

struct Colour {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Colour&, const Colour&) = default;
};

enum class TextAlign { Left, Centre, Right };

struct Drawing {
    struct Fill {  // a filled rectangle
        int x, y, cx, cy;
        Colour colour;
    };
    struct Line {
        int x1, y1, x2, y2;
        Colour colour;
        int width = 1;
    };
    struct Dot {  // a filled circle, with a ring round it when outlineWidth > 0
        int x, y, radius;
        Colour fill;
        Colour outline = {};
        int outlineWidth = 0;
    };
    struct Text {  // one line in a sans-serif face; (x, y) is its top left, middle or right
        int x, y;
        std::string text;  // UTF-8
        Colour colour;
        int pixelSize = 12;
        bool bold = false;
        TextAlign align = TextAlign::Left;
    };
    using Item = std::variant<Fill, Line, Dot, Text>;

    int width = 0, height = 0;
    Colour background{255, 255, 255};
    std::vector<Item> items;  // drawn in order, later ones on top
};

// Rows of pixels from the top, four bytes each: red, green, blue, alpha.
struct RgbaImage {
    int width = 0, height = 0;
    std::vector<std::uint8_t> pixels;

    Colour At(int x, int y) const {
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2]};
    }
};

}  // namespace platform
