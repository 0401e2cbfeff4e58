#include "map/MapCells.h"

void ReleaseCells(MapCell** rows, uint16_t height, uint16_t width)
{
    if (!rows) return;
    for (uint16_t y = 0; y < height; ++y) {
        if (!rows[y]) continue;
        for (uint16_t x = 0; x < width; ++x) delete[] rows[y][x].data;
        delete[] rows[y];
    }
    delete[] rows;
}

TileMap::~TileMap()
{
    // The registry, then the list's sentinel, go with the members.
    ClearMap();
}

void TileMap::ClearMap()
{
    ReleaseCells(rows, height, width);
    rows = nullptr;
    // No cells are left to answer for these.
    width = height = 0;
    delete[] floorTiles;
    floorTiles = nullptr;
    floorTileCount = 0;
    objects.RemoveAll();
}
