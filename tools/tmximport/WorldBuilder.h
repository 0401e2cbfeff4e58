// An isometric map turned into the program's world: the map file's cells,
// floor tiles and objects, the sprite list, and one sprite file per tileset
// with one animation per way its tiles are drawn.
#pragma once

#include "sprite/SpriteListFile.h"
#include "tools/tmximport/TmxMap.h"
#include "tools/worldfiles/MapSource.h"
#include "tools/worldfiles/SpriteSource.h"

#include <optional>
#include <string>
#include <vector>

// Tileset i of the map (by rising firstgid) becomes the sprite with this id
// plus i; the program's walkers use id 2, which stays free.
constexpr int32_t FirstTilesetSpriteId = 100;

struct SpriteFile {
    std::string fileName;
    SpriteSource sprite;
    std::optional<std::vector<uint8_t>> bytes;  // the file as it was exported, when it differs from `sprite`
};

struct ConvertedWorld {
    MapSource map;
    std::vector<SpriteListing> spriteList;
    std::vector<SpriteFile> sprites;
    std::vector<std::string> warnings;
    // A world exported from the program's files comes back as they were.
    std::optional<std::string> spriteListText;
    std::optional<std::vector<uint8_t>> mapBytes;
};

// Refuses (ImportRefusal) what cannot be drawn: unknown tile ids, unreadable
// or too large pictures, tiles turned diagonally, things placed beyond the
// program's coordinate range.
ConvertedWorld BuildWorld(const TmxMap& map);
