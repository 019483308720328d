// PNG files from images, written the same way on every backend.
#pragma once

#include <string>

#include "platform/Drawing.h"

namespace platform {

// The bytes of a PNG file of the image: 8-bit RGBA, each row filtered by the
// row above, deflated with the fixed codes and back-references into the
// last 32 KB. Charts, mostly flat colour, come out at a few percent of their
// raw size. Nothing for an image without pixels (one that could not be drawn).
std::string EncodePng(const RgbaImage& image);

}  // namespace platform
