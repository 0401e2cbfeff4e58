// Tile pictures: read from PNG files within size limits, cut from sheets, and
// resampled to the program's tile size.
#pragma once

#include "tools/spritetool/PngImage.h"

#include <cstdint>
#include <string>

// The largest picture read, per side and in all.
constexpr uint32_t MaxPictureSide = 16384;
constexpr uint64_t MaxPicturePixels = uint64_t(1) << 26;

// Any PNG as RGBA. False with `error` when it cannot be read or is too large.
bool LoadPicture(const std::string& path, RgbaImage& image, std::string& error);

// The rectangle (x, y, width, height), which must lie inside `image`.
RgbaImage CutPicture(const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height);

// Pixels of colour 0xRRGGBB become fully transparent.
void ClearColour(RgbaImage& image, uint32_t rgb);

// `image` resampled to width x height (both at least 1): every new pixel is
// the area-weighted mean of the pixels it covers. A picture whose pixels are
// all either fully transparent or fully opaque stays so, so that edges stay
// hard and neighbouring tiles meet without a seam.
RgbaImage ResamplePicture(const RgbaImage& image, uint32_t width, uint32_t height);

void FlipPicture(RgbaImage& image, bool horizontally, bool vertically);

// Scales every pixel's alpha by `opacity` (0 to 1).
void FadePicture(RgbaImage& image, double opacity);
