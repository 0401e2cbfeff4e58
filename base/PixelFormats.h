// The pixel layouts that the program, the page and the tools share, and the
// formulas between them, each written once:
//   0x00RRGGBB  a 32-bit display pixel, and a colour as the tools hold it
//   0x00BBGGRR  a COLORREF, and a sprite frame's colour key as stored (the
//               bytes red, green, blue, unused, read as one little-endian value)
//   5-6-5       a 16-bit display pixel: red in bits 11-15, green 5-10, blue 0-4
// Channels narrowed to 5-6-5 are truncated; widened back to 8 bits they keep
// their low bits zero, never replicated, so white becomes F8 FC F8.
#pragma once

#include <cstdint>

// Returns the 5-6-5 pixel of three 8-bit channels, each truncated.
constexpr uint16_t Pack565(uint32_t red, uint32_t green, uint32_t blue)
{
    return static_cast<uint16_t>((red >> 3) << 11 | (green >> 2) << 5 | (blue >> 3));
}

// Returns the 5-6-5 pixel of 0x00RRGGBB.
constexpr uint16_t Pack565(uint32_t rgb)
{
    return Pack565((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The channels of a 5-6-5 pixel, widened to 8 bits with zero low bits.
constexpr uint32_t Red8Of565(uint32_t pixel)
{
    return (pixel >> 8) & 0xF8;
}
constexpr uint32_t Green8Of565(uint32_t pixel)
{
    return ((pixel >> 5) & 0x3F) << 2;
}
constexpr uint32_t Blue8Of565(uint32_t pixel)
{
    return (pixel & 0x1F) << 3;
}

// Returns a 5-6-5 pixel as 0x00RRGGBB, its channels widened.
constexpr uint32_t RgbOf565(uint32_t pixel)
{
    return Red8Of565(pixel) << 16 | Green8Of565(pixel) << 8 | Blue8Of565(pixel);
}

// Returns the 5-6-5 pixel as a signed 16-bit value widened to 32 bits: the
// colour key of a 5-6-5 blit, so that 0xF81F matches a key of 0xFFFFF81F,
// never one of 0x0000F81F.
constexpr uint32_t Widened565(uint16_t pixel)
{
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(pixel)));
}

// Returns 0x00BBGGRR as 0x00RRGGBB, and the other way round: red and blue swap
// places, green stays, and the top byte becomes 0.
constexpr uint32_t SwapRedAndBlue(uint32_t color)
{
    return (color & 0xFFu) << 16 | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

// Writes 0x00RRGGBB as the three bytes red, green, blue: the order of a PNG's
// and a canvas's pixels.
inline void StoreRgbBytes(uint8_t* bytes, uint32_t rgb)
{
    bytes[0] = static_cast<uint8_t>(rgb >> 16);
    bytes[1] = static_cast<uint8_t>(rgb >> 8);
    bytes[2] = static_cast<uint8_t>(rgb);
}
