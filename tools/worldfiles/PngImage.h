// Pictures as 8-bit RGBA pixels, and PNG files through libpng.
#pragma once

#include "base/PixelFormats.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Returns the colour 0xRRGGBB of an RGBA pixel, its alpha left out.
inline uint32_t RgbOf(const uint8_t* pixel)
{
    return uint32_t(pixel[0]) << 16 | uint32_t(pixel[1]) << 8 | pixel[2];
}

// Sets the red, green and blue bytes of an RGBA pixel from 0xRRGGBB.
inline void SetRgb(uint8_t* pixel, uint32_t rgb)
{
    StoreRgbBytes(pixel, rgb);
}

struct RgbaImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4 bytes: red, green, blue, alpha; top row first

    const uint8_t* Pixel(uint32_t x, uint32_t y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    uint32_t Rgb(uint32_t x, uint32_t y) const { return RgbOf(Pixel(x, y)); }
};

// Returns the opaque picture of `pixels` (width x height colours 0x00RRGGBB,
// top row first, as a 32-bit surface holds them).
RgbaImage OpaqueImage(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels);

// The largest picture read, per side and in all: a PNG header may claim any
// size, and the pixels are allocated before they are read. The file itself
// is read as it is decoded; its size is bounded so that the decoding's time
// is too.
constexpr uint32_t MaxPictureSide = 16384;
constexpr uint64_t MaxPicturePixels = uint64_t(1) << 26;
constexpr uint64_t MaxPictureFileBytes = uint64_t(256) << 20;

// Reads the PNG at `path` into `image`; any PNG (palette, grey, 16-bit) comes
// out as RGBA. `beforePixels`, when given, is told the picture's size once
// its header is read and before its pixels are allocated, and may throw to
// refuse it. Returns false, with `error` set, when the file is not a regular
// file (ReadFileWithin), cannot be read or is larger than the limits.
bool LoadPng(const std::string& path, RgbaImage& image, std::string& error,
             const std::function<void(uint32_t width, uint32_t height)>& beforePixels = nullptr);

// What a PNG file keeps of a picture: red, green, blue and alpha, marked as
// sRGB; or, for pictures of the screen, which the tests compare with
// screenshots, red, green and blue alone.
enum class PngChannels { Rgba, Rgb };

// Writes `image` as an 8-bit PNG at `path`, replacing it (through
// StagedFiles). Returns false, with `error` naming the file and what went
// wrong, when it cannot be written; the old file stays then.
bool SavePng(const std::string& path, const RgbaImage& image, std::string& error,
             PngChannels channels = PngChannels::Rgba);
