// The isometric grid: a tile is a 40 x 20 diamond, so one cell step in x moves
// the drawing position by (+20, +10) pixels and one step in y by (+20, -10);
// screen y grows downwards. Whole pixels throughout: the halves are exact.
#pragma once

#include <cstdint>

struct ScreenPoint {
    int32_t x;
    int32_t y;
};

constexpr int32_t TileWidth = 40;
constexpr int32_t TileHeight = 20;

// Returns the drawing position of tile (x, y), given that of tile (0, 0).
inline ScreenPoint TileToScreen(ScreenPoint origin, int16_t x, int16_t y)
{
    return {origin.x + ((x + y) * TileWidth) / 2, origin.y + ((x - y) * TileHeight) / 2};
}

// Returns the drawing position of tile (0, 0) when the camera tile is drawn
// at the centre point (cx, cy) plus the camera offset.
inline ScreenPoint MapOrigin(int32_t cameraX, int32_t cameraY, int32_t cameraOffsetX, int32_t cameraOffsetY, int32_t cx,
                             int32_t cy)
{
    return {cx + cameraOffsetX - ((cameraX + cameraY) * TileWidth) / 2,
            cy + cameraOffsetY + ((cameraY - cameraX) * TileHeight) / 2};
}
