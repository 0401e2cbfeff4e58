// The reference rows: the blend table's look-ups, one pixel at a time. They
// are the reference kernels' rows and the vector kernels' heads and tails.
#pragma once

#include "base/PixelFormats.h"
#include "base/PixelLoads.h"
#include "blitter/BlendTable.h"

#include <cstdint>

inline uint32_t BlendChannel(uint32_t destination, uint32_t source, uint32_t alpha)
{
    return ScaleChannel(destination, 255 - alpha) + ScaleChannel(source, alpha);
}

// A blended pixel's top byte is 0, whatever the two pixels carried.
inline uint32_t Blend32(uint32_t destination, uint32_t source, uint32_t alpha)
{
    const uint32_t blue = BlendChannel(destination & 0xFF, source & 0xFF, alpha);
    const uint32_t green = BlendChannel((destination >> 8) & 0xFF, (source >> 8) & 0xFF, alpha);
    const uint32_t red = BlendChannel((destination >> 16) & 0xFF, (source >> 16) & 0xFF, alpha);
    return red << 16 | green << 8 | blue;
}

// Channels are widened with zero low bits (not replicated) and packed back by
// truncation, so white over white at a partial weight darkens to 0xF7DE.
inline uint16_t Blend565(uint16_t destination, uint16_t source, uint32_t alpha)
{
    const uint32_t red = BlendChannel(Red8Of565(destination), Red8Of565(source), alpha);
    const uint32_t green = BlendChannel(Green8Of565(destination), Green8Of565(source), alpha);
    const uint32_t blue = BlendChannel(Blue8Of565(destination), Blue8Of565(source), alpha);
    return Pack565(red, green, blue);
}

namespace scalar {

inline void BlendRow_x888_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width)
{
    for (uint32_t i = 0; i < width; ++i) {
        const uint32_t a = mask[i];
        if (a == 0) continue;
        uint8_t* d = destination + i * 4;
        const uint32_t s = Load32(source + i * 4);
        Store32(d, a == 255 ? s : Blend32(Load32(d), s, a));
    }
}

inline void KeyRow_x888(uint8_t* destination, const uint8_t* source, uint32_t width, uint32_t colorKey)
{
    for (uint32_t i = 0; i < width; ++i) {
        const uint32_t s = Load32(source + i * 4);
        if (s != colorKey) Store32(destination + i * 4, s);
    }
}

inline void BlendRow_565_a8(uint8_t* destination, const uint8_t* source, const uint8_t* mask, uint32_t width)
{
    for (uint32_t i = 0; i < width; ++i) {
        const uint32_t a = mask[i];
        uint8_t* d = destination + i * 2;
        const uint16_t s = Load16(source + i * 2);
        Store16(d, a == 255 ? s : Blend565(Load16(d), s, a));
    }
}

// The key of a 5-6-5 blit is a widened pixel (Widened565).
inline void KeyRow_565(uint8_t* destination, const uint8_t* source, uint32_t width, uint32_t colorKey)
{
    for (uint32_t i = 0; i < width; ++i) {
        const uint16_t s = Load16(source + i * 2);
        if (Widened565(s) != colorKey) Store16(destination + i * 2, s);
    }
}

}  // namespace scalar
