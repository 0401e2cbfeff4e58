// Stored sprite pixels to display pixels, done once per frame at load time so
// that drawing copies without conversion. Widened channels keep their low bits
// zero, never replicated: a stored 5-6-5 white becomes F8 FC F8 at 32 bits, and
// the colour key the drawer builds from a frame's RGB key matches exactly that.
//
//   stored 0: 5-6-5, high byte first     stored 1: 3 bytes blue, green, red
//   depth 32: bytes blue, green, red, 0  depth 16: little-endian 5-6-5
#pragma once

#include <cstddef>
#include <cstdint>

using PixelConversion = void (*)(uint8_t* display, const uint8_t* stored, size_t count);

namespace conversion {

inline void rgb565be_to_x888(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 2, display += 4) {
        const uint8_t hi = stored[0];
        const uint8_t lo = stored[1];
        display[0] = static_cast<uint8_t>((lo & 0x1F) << 3);
        display[1] = static_cast<uint8_t>(((lo >> 5) << 2) | ((hi & 0x07) << 5));
        display[2] = static_cast<uint8_t>(hi & 0xF8);
        display[3] = 0;
    }
}

inline void bgr888_to_x888(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 3, display += 4) {
        display[0] = stored[0];
        display[1] = stored[1];
        display[2] = stored[2];
        display[3] = 0;
    }
}

inline void rgb565be_to_565(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 2, display += 2) {
        display[0] = stored[1];
        display[1] = stored[0];
    }
}

inline void bgr888_to_565(uint8_t* display, const uint8_t* stored, size_t count)
{
    for (size_t i = 0; i < count; ++i, stored += 3, display += 2) {
        const uint8_t b = stored[0];
        const uint8_t g = stored[1];
        const uint8_t r = stored[2];
        display[0] = static_cast<uint8_t>((((g >> 2) & 0x07) << 5) | (b >> 3));
        display[1] = static_cast<uint8_t>((r & 0xF8) | (g >> 5));
    }
}

}  // namespace conversion

struct PixelConversionPath {
    uint8_t storedFormat;  // the sprite file's pixelFormat
    uint8_t depth;         // DisplayDepth
    uint8_t storedBytes;   // per pixel in the file
    uint8_t displayBytes;  // per pixel in memory
    PixelConversion convert;
};

// (stored format, display depth) -> conversion; null for any other pair.
inline const PixelConversionPath* FindPixelConversion(uint8_t storedFormat, uint8_t depth)
{
    static const PixelConversionPath paths[] = {
        {0, 32, 2, 4, conversion::rgb565be_to_x888},
        {1, 32, 3, 4, conversion::bgr888_to_x888},
        {0, 16, 2, 2, conversion::rgb565be_to_565},
        {1, 16, 3, 2, conversion::bgr888_to_565},
    };
    for (const PixelConversionPath& path : paths) {
        if (path.storedFormat == storedFormat && path.depth == depth) return &path;
    }
    return nullptr;
}
