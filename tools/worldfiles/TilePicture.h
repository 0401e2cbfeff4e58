// Operations on tile pictures (read by LoadPng, within its size limits): cut
// from sheets, resampled to the program's tile size, turned and faded.
#pragma once

#include "tools/worldfiles/PngImage.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// Returns the rectangle (x, y, width, height) of `image`, inside which it
// must lie.
RgbaImage CutPicture(const RgbaImage& image, uint32_t x, uint32_t y, uint32_t width, uint32_t height);

// Makes the pixels of colour `rgb` (0xRRGGBB) fully transparent.
void ClearColour(RgbaImage& image, uint32_t rgb);

// Returns `image` resampled to width x height (both at least 1): every new
// pixel is the area-weighted mean of the pixels it covers. A picture whose
// pixels are all either fully transparent or fully opaque stays so, so that
// edges stay hard and neighbouring tiles meet without a seam.
RgbaImage ResamplePicture(const RgbaImage& image, uint32_t width, uint32_t height);

// Mirrors `image` left to right, top to bottom, or both.
void FlipPicture(RgbaImage& image, bool horizontally, bool vertically);

// Turns `image` as the editor turns a tile: swaps it across its diagonal
// first (x for y), then flips it. With the diagonal, a w x h picture becomes
// h x w.
void TurnPicture(RgbaImage& image, bool diagonally, bool horizontally, bool vertically);

// Rotates `image` by `degrees` clockwise on the screen about its point
// (pivotX, pivotY), in pixels from its top-left corner. Returns the rotated
// picture, and in (left, top) where its top-left corner lies from the
// original's. A pixel is drawn when its centre turns back inside the
// picture, its colour sampled bilinearly there; quarter turns about a
// pixel's corner or centre move pixels whole. A picture whose pixels are all
// fully transparent or fully opaque stays so.
RgbaImage RotatePicture(const RgbaImage& image, double degrees, double pivotX, double pivotY, int64_t& left,
                        int64_t& top);

// Multiplies every pixel's colour by 0xRRGGBB, channel by channel, as the
// editor tints a layer; a partly transparent pixel is first lightened by
// its share of clear, as the editor's multiplication over it lightens it.
void TintPicture(RgbaImage& image, uint32_t rgb);

// Finds the colour of the opaque pixel of `image` nearest to the point
// (x, y), in its pixels, a few pixels out at most. Returns false when there
// is none that near.
bool NearestOpaqueColour(const RgbaImage& image, double x, double y, uint32_t& rgb);

// Makes the pixels `indices` (y x width + x) of `frame`, which is `source`
// resampled, opaque: each takes the colour of the nearest opaque pixel of the
// source under it, where there is one.
void FillPixels(RgbaImage& frame, const RgbaImage& source, const std::vector<uint32_t>& indices);

// Where a tile layer's cell lies on a picture: the diamond of the map's tile
// size standing on the picture's bottom-left corner.
struct CellDiamond {
    double width = 0;
    double height = 0;

    // Whether the centre of pixel (x, y) of a picture `pictureHeight` rows
    // high lies strictly inside the diamond.
    bool HoldsPixel(uint32_t x, uint32_t y, uint32_t pictureHeight) const
    {
        const double dx = std::fabs(x + 0.5 - width / 2) / (width / 2);
        const double dy = std::fabs(y + 0.5 - (pictureHeight - height / 2)) / (height / 2);
        return dx + dy < 1;
    }
};

// Makes the cell's diamond of `frame`, which is `source` resampled (both
// turned alike), as opaque as it is in `source`: when every pixel of `source`
// whose centre lies inside `sourceCell` is opaque, every pixel of `frame`
// whose centre lies inside `frameCell` becomes opaque too, since the mean of
// covered pixels would leave pinholes where two neighbouring tiles each cover
// a little less than half of an edge pixel. A filled pixel takes the colour
// of the source pixels under it, or of the nearest opaque one. Nothing
// changes when the source leaves part of its cell uncovered.
void CoverCellDiamond(RgbaImage& frame, const RgbaImage& source, CellDiamond frameCell, CellDiamond sourceCell);

// Scales every pixel's alpha by `opacity` (0 to 1).
void FadePicture(RgbaImage& image, double opacity);
