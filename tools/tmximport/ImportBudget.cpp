#include "tools/tmximport/ImportBudget.h"

#include "tools/tiledworld/TiledLimits.h"

namespace {

struct LimitText {
    uint64_t most;
    const char* what;
};

// clang-format off
const LimitText Limits[] = {
    {MaxLayerCells,        "cells in all its tile layers together"},
    {MaxPlacedTiles,       "floor tiles and objects"},
    {MaxObjects,           "objects in all its object layers together"},
    {MaxTilesetTiles,      "tiles described by its tilesets (counted each time a tileset is named)"},
    {MaxAnimationFrames,   "animation frames described by its tilesets (counted each time a tileset is named)"},
    {MaxPicturePixelsRead, "pixels in the pictures it reads and the tiles cut from them"},
    {MaxTilesShown,        "different tiles shown by its tile layers"},
    {MaxFrames,            "frames in its sprites"},
    {MaxFramePixels,       "pixels in its sprites' frames"},
};
// clang-format on

}  // namespace

void ImportBudget::Spend(ImportLimit limit, uint64_t amount, const SourcePlace& place)
{
    uint64_t& total = spent[size_t(limit)];
    const LimitText& text = Limits[size_t(limit)];
    if (amount > text.most - total) {
        throw ImportRefusal(place, "the map takes more than " + std::to_string(text.most) + " " + text.what +
                                       ", the most that tmximport converts");
    }
    total += amount;
}
