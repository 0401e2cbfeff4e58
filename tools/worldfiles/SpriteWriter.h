// Writes sprite files from plain descriptions. Shared by the sprite tool and
// the tests, which build their sprite files with it.
#pragma once

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
    std::string name;  // at most 32 characters
    int32_t direction = 0;
    std::vector<FrameSource> frames;
};

struct SpriteSource {
    int32_t id = 0;
    uint8_t pixelFormat = 1;  // stored format: 0 = 5-6-5 high byte first, 1 = blue, green, red
    uint8_t reserved = 0;
    std::vector<AnimationSource> animations;
};

// Appends the stored bytes of one 0xRRGGBB colour; format 0 drops the low bits.
void AppendStoredPixel(std::vector<uint8_t>& bytes, uint32_t rgb, uint8_t pixelFormat);

// Returns the bytes of the whole sprite file. Names longer than 32 characters
// are cut.
std::vector<uint8_t> EncodeSpriteFile(const SpriteSource& sprite);

// Writes `bytes` to the file at `path`, replacing it. Returns false when the
// file cannot be written whole.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
