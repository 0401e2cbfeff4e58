// A map file as plain values, the way a content author thinks of it: sprite
// ids rather than registry indices, and every count implied by its list.
// Shared by the map tool and the tests, which build their map files with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CellSource {
    uint8_t blocked = 0;  // 0: a character may stand here
    int16_t value = 0;
    std::vector<uint8_t> data;
};

struct FloorSource {
    int16_t x = 0;
    int16_t y = 0;
    int16_t z = 0;
    int32_t spriteId = 0;
    std::string animationName;  // at most MaxAnimationNameLength characters
    int32_t direction = 0;
};

struct ObjectSource {
    int16_t x0 = 0;
    int16_t y0 = 0;
    int16_t x1 = 0;
    int16_t y1 = 0;
    int16_t z = 0;
    int32_t spriteId = 0;
    std::string animationName;  // at most MaxAnimationNameLength characters
    int32_t direction = 0;
};

struct MapSource {
    int32_t headerValue = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<CellSource> cells;  // width x height, row 0 first, x = 0 first
    std::vector<FloorSource> floorTiles;
    std::vector<ObjectSource> objects;

    bool Contains(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    CellSource& Cell(int x, int y) { return cells.at(static_cast<size_t>(y) * width + static_cast<size_t>(x)); }
    const CellSource& Cell(int x, int y) const
    {
        return cells.at(static_cast<size_t>(y) * width + static_cast<size_t>(x));
    }
};
