// A drawing of each kind of item, and what any backend's rendering of it must
// show: the platform tests (Qt) and the Win32 backend tests share it.
#pragma once

#include <gtest/gtest.h>

#include "platform/Canvas.h"
#include "platform/Dialog.h"

namespace testsupport {

inline platform::Drawing SampleDrawing() {
    using platform::Drawing;
    Drawing drawing;
    drawing.width = 60;
    drawing.height = 40;
    drawing.background = {250, 250, 250};
    drawing.items = {
        Drawing::Fill{0, 0, 20, 20, {200, 0, 0}},
        Drawing::Line{0, 30, 59, 30, {0, 0, 200}, 3},
        Drawing::Dot{40, 12, 8, {0, 150, 0}, {0, 0, 0}, 2},
        Drawing::Text{30, 22, "Hi", {0, 0, 0}, 12, true, platform::TextAlign::Centre},
    };
    return drawing;
}

inline bool Dark(platform::Colour c) { return c.r + c.g + c.b < 200; }

// Each item where it was put, and the background elsewhere.
inline void ExpectSampleRendered(const platform::RgbaImage& image) {
    using platform::Colour;
    ASSERT_EQ(image.width, 60);
    ASSERT_EQ(image.height, 40);
    ASSERT_EQ(image.pixels.size(), 60u * 40 * 4);
    EXPECT_EQ(image.pixels[3], 255);  // opaque
    EXPECT_EQ(image.At(10, 10), (Colour{200, 0, 0}));
    EXPECT_EQ(image.At(25, 5), (Colour{250, 250, 250}));
    EXPECT_EQ(image.At(50, 30), (Colour{0, 0, 200}));
    EXPECT_EQ(image.At(40, 12), (Colour{0, 150, 0}));
    EXPECT_TRUE(Dark(image.At(32, 12)) || Dark(image.At(33, 12))) << "no ring round the dot";
    int inked = 0;
    for (int y = 22; y < 29; ++y)
        for (int x = 20; x < 40; ++x) inked += Dark(image.At(x, y));
    EXPECT_GT(inked, 10) << "no text";
}

// A dialog whose one canvas shows the sample drawing, checked for its size in
// pixels and for what it holds; the backend's test reads what it shows.
struct SampleCanvas {
    platform::Dialog dialog{platform::DialogTemplate{
        500, "Canvas", 100, 60, "MS Sans Serif", 8, false, {{10, platform::ControlKind::Canvas, "", 5, 5, 80, 40}}}};
    platform::Canvas canvas;

    SampleCanvas() {
        dialog.Create();
        canvas.Attach(&dialog, 10);
        EXPECT_EQ(canvas.Width(), dialog.DialogUnitsToPixels(5, 5, 80, 40).cx);
        EXPECT_EQ(canvas.Height(), dialog.DialogUnitsToPixels(5, 5, 80, 40).cy);
        canvas.SetDrawing(SampleDrawing());
        EXPECT_EQ(canvas.GetDrawing().items.size(), 4u);
    }
};

}  // namespace testsupport
