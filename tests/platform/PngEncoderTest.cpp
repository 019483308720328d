// PNG files that Qt's own decoder reads back pixel for pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>

#include "platform/PngEncoder.h"

using namespace platform;

namespace {

RgbaImage Image(int width, int height, std::uint32_t seed, bool noisy) {
    RgbaImage image{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const bool flat = !noisy && (i / 4 % width) % 97 > 0;  // one colour but a few stripes
        image.pixels[i] = static_cast<std::uint8_t>(flat ? 240 : seed >> 24);
    }
    return image;
}

TEST(Png, FilesReadBackPixelForPixelAndFlatPicturesShrink) {
    for (const RgbaImage& image : {Image(37, 23, 1, true), Image(400, 300, 2, false), Image(1, 1, 3, true)}) {
        const std::string png = EncodePng(image);
        QImage decoded;
        ASSERT_TRUE(
            decoded.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"));
        decoded = decoded.convertToFormat(QImage::Format_RGBA8888);
        ASSERT_EQ(decoded.width(), image.width);
        ASSERT_EQ(decoded.height(), image.height);
        int wrong = 0;
        for (int y = 0; y < image.height; ++y)
            wrong += std::memcmp(decoded.constScanLine(y), &image.pixels[y * image.width * 4], image.width * 4) != 0;
        EXPECT_EQ(wrong, 0) << image.width << " x " << image.height;
        EXPECT_TRUE(image.width != 400 || png.size() < image.pixels.size() / 20) << png.size() << " bytes";
    }
}

}  // namespace
