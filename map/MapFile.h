// The map file's name and fixed sizes, shared by the loader and by the tools
// that read and write map files. The layout itself is drawn at the top of
// MapFile.cpp.
#pragma once

#include "sprite/AnimationName.h"

#include <cstddef>

constexpr const char* MapFileName = "test.map";

constexpr char MapMagic[] = "MAP";
constexpr size_t MapMagicSize = 3;
constexpr size_t MapHeaderSize = MapMagicSize + 4 + 2 + 2;  // magic, headerValue, width, height
constexpr size_t MapCellFixedSize = 1 + 2 + 4;              // blocked, value, dataLength; the data follows
constexpr size_t MapFloorTileSize = 3 * 2 + 4 + AnimationNameSize + 4;
constexpr size_t MapObjectSize = 5 * 2 + 4 + AnimationNameSize + 4;

static_assert(MapHeaderSize == 11 && MapCellFixedSize == 7, "the map file's header and cells");
static_assert(MapFloorTileSize == 47 && MapObjectSize == 51, "the map file's floor tiles and objects");
