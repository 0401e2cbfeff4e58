// What one conversion has taken of each limit of tools/tiledworld/TiledLimits.h.
// Every reader and builder counts here before it takes the memory for what
// it counts, so that a few bytes of a file (a zlib stream, a tileset named a
// thousand times) cannot claim gigabytes: new readers count their layer
// cells, objects and frames the same way.
#pragma once

#include "tools/tmximport/ImportRefusal.h"

#include <cstddef>
#include <cstdint>

enum class ImportLimit {
    LayerCells,       // MaxLayerCells
    PlacedTiles,      // MaxPlacedTiles
    Objects,          // MaxObjects
    TilesetTiles,     // MaxTilesetTiles
    AnimationFrames,  // MaxAnimationFrames
    PicturePixels,    // MaxPicturePixelsRead
    TilesShown,       // MaxTilesShown
    Frames,           // MaxFrames
    FramePixels,      // MaxFramePixels
};

class ImportBudget {
public:
    // Counts `amount` more of `limit`. Refuses (ImportRefusal) at `place`,
    // naming the limit, when that would pass it.
    void Spend(ImportLimit limit, uint64_t amount, const SourcePlace& place);

private:
    uint64_t spent[size_t(ImportLimit::FramePixels) + 1] = {};
};
