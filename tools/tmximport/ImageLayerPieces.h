// An image layer's picture, already at the program's scale, cut into pieces
// that the program draws as floor tiles or scene objects.
//
// The pieces are the cells' own 40 x 20 rectangles of a brick pattern: the
// piece of cell (i + j, i - j) is the rectangle of 40 x 20 pixels centred on
// that cell's drawing position, (40 i, 20 j) from cell (0, 0)'s. Every other
// cell of every other row of the lattice carries one, and they tile the
// screen without gaps or overlaps, so the picture comes out whole, pixel for
// pixel, in any order. Pieces where the picture shows nothing are left out,
// and pieces with the same pixels (a repeated picture) share one frame.
#pragma once

#include "tools/tmximport/ImportRefusal.h"
#include "tools/worldfiles/PngImage.h"

#include <cstdint>
#include <vector>

// Where the picture lies and what it fills, in the program's pixels from
// cell (0, 0)'s drawing position.
struct ImageLayout {
    int64_t left = 0;  // the picture's top-left corner
    int64_t top = 0;
    bool repeatX = false;  // repeated along x across the area (y alike)
    bool repeatY = false;
    int64_t areaLeft = 0;  // what a repeated picture fills
    int64_t areaTop = 0;
    int64_t areaRight = 0;
    int64_t areaBottom = 0;
};

struct ImagePiece {
    int16_t x = 0;  // the program's cell it is drawn at
    int16_t y = 0;
    size_t frame = 0;  // an index into the pieces' frames
};

struct ImagePieceFrame {
    RgbaImage picture;
    int16_t anchorX = 0;  // the cell's drawing position on the picture
    int16_t anchorY = 0;
};

struct ImagePieces {
    std::vector<ImagePieceFrame> frames;
    std::vector<ImagePiece> pieces;  // screen rows from the top, each from the left
};

// The most pieces one image layer may make, so that a repeated picture over
// a huge map cannot exhaust memory.
constexpr uint64_t MaxImagePieces = uint64_t(1) << 18;

// Returns `picture` laid out by `layout`, in pieces. Refuses (ImportRefusal,
// at `place`) a layer that would need more than MaxImagePieces pieces or lie
// beyond the program's cell range.
ImagePieces CutImageLayer(const RgbaImage& picture, const ImageLayout& layout, const SourcePlace& place);
