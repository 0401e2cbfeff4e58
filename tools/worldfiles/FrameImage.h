// Sprite frames and pictures, both ways: a frame cut from a picture, its
// transparency made a colour key, an alpha mask or none; and the picture a
// frame shows when the program draws it.
#pragma once

#include "tools/worldfiles/PngImage.h"
#include "tools/worldfiles/SpriteSource.h"

#include <cstdint>
#include <string>
#include <vector>

enum class Transparency {
    Auto,    // alpha when the image has partly transparent pixels, key when it has
             // fully transparent ones or the key colour, opaque otherwise
    Alpha,   // the PNG's alpha channel becomes the frame's alpha mask (blended)
    Key,     // transparent pixels (alpha below 128) get the key colour (left out)
    Opaque,  // every pixel drawn, the key colour too (frame flag bit 0)
};

enum class AnchorMode { Point, Center, Bottom };

// What a frame takes from the manifest besides its picture.
struct FrameSettings {
    int32_t duration = 100;
    AnchorMode anchorMode = AnchorMode::Point;
    int32_t anchorX = 0;
    int32_t anchorY = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    uint32_t colorKey = 0xFF00FF;  // 0xRRGGBB
    Transparency transparency = Transparency::Auto;
};

// Returns the colour a pixel keeps in the stored format; 5-6-5 drops the low
// bits.
uint32_t StoredColour(uint32_t rgb, uint8_t pixelFormat);

// Returns the frame cut from the rectangle (x, y, width, height) of `image`.
// Warnings (the key colour on visible pixels, say) are appended to `warnings`.
FrameSource MakeFrame(const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height,
                      const FrameSettings& settings, uint8_t pixelFormat, std::vector<std::string>& warnings);

// Returns the picture `frame` shows when the program draws it: its pixels,
// with the alpha of its mask, or clear where its key leaves pixels out.
RgbaImage FramePicture(const FrameSource& frame);
