// A control that shows a Drawing, and the backend's rendering of a drawing
// into an image.
#pragma once

#include "platform/Controls.h"
#include "platform/Drawing.h"

namespace platform {

class Canvas : public Control {
public:
    // Shows the drawing from the control's top left, over the drawing's
    // background; the control keeps its own copy.
    void SetDrawing(Drawing drawing);
    // What the control shows; an empty drawing before the first.
    const Drawing& GetDrawing() const;
    // The control's size in pixels.
    int Width() const;
    int Height() const;
};

// The drawing painted as a canvas paints it, drawing.width by drawing.height
// pixels, opaque; without pixels when there was no memory for them.
RgbaImage RenderDrawing(const Drawing& drawing);

}  // namespace platform
