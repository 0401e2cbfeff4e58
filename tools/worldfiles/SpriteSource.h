// A sprite file as plain values, the way a content author thinks of it: each
// frame's pixels as 0xRRGGBB colours, whatever the stored format. The sprite
// writer makes files from it; a file read through the program's loader comes
// back as it. Shared by the tools and the tests, which build their sprite
// files with it.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <string>
#include <vector>

struct FrameSource {
    int32_t duration = 100;        // milliseconds
    uint32_t colorKey = 0xFF00FF;  // 0xRRGGBB, stored as the bytes red, green, blue, 0
    int32_t flags = 0;             // bit 0: drawn without colour key
    int16_t anchorX = 0;
    int16_t anchorY = 0;
    int16_t offsetX = 0;
    int16_t offsetY = 0;
    int16_t reserved1 = 0;
    int16_t reserved2 = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    bool pixelsPresent = true;
    std::vector<uint32_t> pixels;       // width x height colours 0xRRGGBB, top row first
    std::vector<uint8_t> storedPixels;  // when not empty: written as is instead of `pixels`
    std::vector<uint8_t> alphaMask;     // empty: no mask
    std::vector<uint8_t> extra;
};

struct AnimationSource {
    std::string name;  // at most MaxAnimationNameLength characters
    int32_t direction = 0;
    std::vector<FrameSource> frames;
};

struct SpriteSource {
    int32_t id = 0;
    uint8_t pixelFormat = 1;  // stored format: 0 = 5-6-5 high byte first, 1 = blue, green, red
    uint8_t reserved = 0;
    std::vector<AnimationSource> animations;
};

// Reads the sprite file `bytes` through the program's loader, at 32 bits per
// pixel so that every pixel comes back as its whole 0xRRGGBB. Returns false,
// with `error` naming the file by `name`, for a wrong magic or a file that
// breaks the layout.
bool ReadSpriteBytes(const std::vector<uint8_t>& bytes, const std::string& name, Sprite& sprite, std::string& error);

// Returns a frame or a sprite loaded at 32 bits per pixel as plain values,
// which the writer turns back into the file but for the bytes its records do
// not carry (a negative mask size, say).
FrameSource SourceOf(const SpriteFrame& frame);
SpriteSource SourceOf(const Sprite& sprite);
