#include "map/MapCells.h"

void ReleaseRows(MapCell** rows, uint16_t height)
{
    if (!rows) return;
    for (uint16_t y = 0; y < height; ++y) delete[] rows[y];
    delete[] rows;
}

TileMap::~TileMap()
{
    // The registry, then the list's sentinel, are released with the members.
    ClearMap();
}

void TileMap::ClearMap()
{
    ReleaseRows(rows, height);
    rows = nullptr;
    cellData.Release();
    // No cells are left that these could describe.
    width = height = 0;
    delete[] floorTiles;
    floorTiles = nullptr;
    floorTileCount = 0;
    objects.RemoveAll();
}
