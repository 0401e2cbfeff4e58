// The map file's name, its records' sizes and where each field lies in them,
// shared by the reader (map/MapFileReader.h, where the layout is drawn) and
// the tools that write map files.
#pragma once

#include "sprite/AnimationName.h"

#include <cstddef>

constexpr const char* MapFileName = "test.map";

constexpr char MapMagic[] = "MAP";
constexpr size_t MapMagicSize = 3;

// The fields' sizes.
constexpr size_t MapCoordinateSize = 2;  // x, y, z: i16
constexpr size_t MapNumberSize = 4;      // sprite ids, directions, counts, lengths: i32

// A cell: blocked u8 | value i16 | dataLength i32, then its data.
constexpr size_t MapCellBlocked = 0;
constexpr size_t MapCellValue = MapCellBlocked + 1;
constexpr size_t MapCellDataLength = MapCellValue + 2;
constexpr size_t MapCellFixedSize = MapCellDataLength + MapNumberSize;

// A floor tile: x y z i16 | sprite id i32 | animationName char[33] | direction i32.
constexpr size_t MapFloorSpriteId = 3 * MapCoordinateSize;
constexpr size_t MapFloorName = MapFloorSpriteId + MapNumberSize;
constexpr size_t MapFloorDirection = MapFloorName + AnimationNameSize;
constexpr size_t MapFloorTileSize = MapFloorDirection + MapNumberSize;

// An object: x0 y0 x1 y1 z i16 | sprite id i32 | animationName char[33] | direction i32.
constexpr size_t MapObjectSpriteId = 5 * MapCoordinateSize;
constexpr size_t MapObjectName = MapObjectSpriteId + MapNumberSize;
constexpr size_t MapObjectDirection = MapObjectName + AnimationNameSize;
constexpr size_t MapObjectSize = MapObjectDirection + MapNumberSize;

static_assert(MapCellFixedSize == 7 && MapFloorTileSize == 47 && MapObjectSize == 51, "the map file's records");
