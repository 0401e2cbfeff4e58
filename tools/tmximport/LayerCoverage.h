// Holes that scaling makes in a tile layer, and the pixels that close them.
//
// Tiles meant to meet seamlessly (a floor of pixel-art diamonds, whose top
// row is empty and whose tips are a few pixels wide) cover the plane at the
// map's own scale only together: at a tile's corners each neighbour holds a
// sliver. Scaled to the program's 40 x 20, each sliver may fall below half a
// pixel, and the pixel between them stays black, a hole the editor does not
// have. Coverage is decided from the tiling, not from one picture: a pixel of
// a tile's diamond is a hole when no frame of the layer draws it at the
// program's scale, while at the map's scale the tile or one of its
// neighbours, as the editor lays them, covers its centre with an opaque
// pixel. The tile's frame then draws it, in the colour of its own nearest
// opaque pixel (so only where it has one near: edges soft in the art have no
// opaque pixel there, and stay soft).
#pragma once

#include "tools/tiledworld/IsoGrid.h"
#include "tools/worldfiles/PngImage.h"

#include <cstdint>
#include <vector>

// One way a layer's tile is drawn, at both scales, as seen from its cell's
// centre.
struct CoverageLook {
    const RgbaImage* source = nullptr;  // its picture, turned as drawn
    EditorPoint topLeft;                // where the editor draws it, in its pixels
    EditorPoint size;                   // the size the editor draws it at
    const RgbaImage* frame = nullptr;   // the program's picture of it
    int64_t frameLeft = 0;              // where the program draws that, in its pixels
    int64_t frameTop = 0;
    bool gaps = true;  // whether the frame leaves pixels of its diamond undrawn
};

// A cell of the layer near the tile: its place on the lattice from the
// tile's, and how its tile is drawn.
struct CoverageNeighbour {
    int64_t column = 0;
    int64_t row = 0;
    const CoverageLook* look = nullptr;
};

class LayerCoverage {
public:
    // The map's tile size, in the editor's pixels.
    LayerCoverage(double tileWidth, double tileHeight);

    // Returns the cells, from a tile's, whose pictures may reach into its
    // diamond.
    const std::vector<EditorCell>& Offsets() const { return offsets; }

    // Returns whether the frame of `tile` leaves a pixel of its cell's
    // diamond undrawn: only then can it have holes.
    static bool HasGaps(const CoverageLook& tile);

    // Returns the pixels (y x width + x) of `tile`'s frame that are holes
    // among `neighbours`, rising; none where the frame covers its diamond.
    std::vector<uint32_t> Holes(const CoverageLook& tile, const std::vector<CoverageNeighbour>& neighbours) const;

    // Returns whether `tile` and copies of it on every cell around it cover
    // the centre of every pixel of its diamond at the map's scale: a tile
    // meant to make a floor on its own.
    bool TilesThePlane(const CoverageLook& tile) const;

private:
    bool SourceCovers(const CoverageLook& look, double x, double y) const;
    static bool FrameDraws(const CoverageLook& look, int64_t x, int64_t y);

    double tileWidth;
    double tileHeight;
    std::vector<EditorCell> offsets;
};
