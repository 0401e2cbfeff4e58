// The floor of a world shared out among as few of the editor's layers as keep
// its picture. The program draws the floor in its array's order; the editor
// draws layer after layer, a tile layer's cells by rising column + row, then
// column, and an object layer in its stored order. Only pictures that cover a
// common pixel need their order kept, so a floor tile joins the lowest layer
// that no earlier tile it covers lies above, and splits off a new layer only
// where that layer would draw it before a tile the program draws first.
#pragma once

#include "tools/worldfiles/PngImage.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

// The pixels a frame changes when it is drawn: those not keyed out, or whose
// mask is above 0.
struct PictureCover {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<std::pair<uint32_t, uint32_t>> rows;  // per row: first drawn column, one past the last
    std::vector<uint8_t> drawn;                       // width x height, 1 where drawn
};

// The cover of a picture from its alpha; null when no pixel is drawn.
std::shared_ptr<const PictureCover> CoverOf(const RgbaImage& picture);

struct FloorPiece {
    int64_t left = 0;  // the picture's top-left on the screen
    int64_t top = 0;
    const PictureCover* cover = nullptr;  // null: draws nothing
    bool tileLayer = false;               // false: only an object layer can hold it
    size_t cell = 0;                      // tile layers: row x width + column
    int64_t editorOrder = 0;              // tile layers: where the editor draws the cell in a layer
    int16_t z = 0;                        // tile layers: a layer's z is its tiles'
};

struct FloorLayer {
    bool tiles = false;  // a tile layer; else an object layer
    int16_t z = 0;
};

struct FloorLayout {
    std::vector<FloorLayer> layers;  // in the editor's drawing order
    std::vector<uint32_t> layerOf;   // per piece
};

// Whether two placed pictures draw a common pixel.
bool PiecesOverlap(const FloorPiece& a, const FloorPiece& b);

// Shares out the pieces, given in the program's drawing order, among layers
// that the editor draws to the same picture. `cellCount` bounds the pieces'
// cells. Never fails: at worst every piece gets a layer of its own.
FloorLayout LayOutFloor(const std::vector<FloorPiece>& pieces, size_t cellCount);
