// A world folder read whole for export: "SpriteList.txt" as the program's
// registry reads it, "test.map" and every listed sprite file as plain values,
// each file read once and kept as the difference between its bytes and what
// its values would write, so that what its records do not carry comes back.
#pragma once

#include "sprite/SpriteListFile.h"
#include "tools/worldfiles/MapSource.h"
#include "tools/worldfiles/SpriteSource.h"

#include <cstdint>
#include <string>
#include <vector>

struct WorldSprite {
    std::string fileName;  // as listed
    bool missing = false;  // listed, but not in the folder: the program draws nothing of it
    SpriteSource source;
    std::string difference;  // DescribeDifference of the file from `source`
};

struct WorldFolder {
    std::string listText;             // "SpriteList.txt" byte for byte
    std::vector<SpriteListing> list;  // as the registry reads it
    MapSource map;
    std::string mapDifference;
    std::vector<WorldSprite> sprites;  // one per listed file name, in the list's order
    std::vector<std::string> notes;

    // The sprite a map's sprite id draws, as the program finds it; null when
    // the id is not listed or its file is missing.
    const WorldSprite* SpriteFor(int32_t spriteId) const;
    // Index into `sprites` of the file the id's first listing names; -1 for none.
    int SpriteIndexFor(int32_t spriteId) const;
};

// False, with `error` naming the file and what is wrong with it, when the
// folder is not a world the program could show: the list or the map missing
// or damaged, a listed sprite file damaged, a listed name leaving the folder.
bool ReadWorldFolder(const std::string& folder, WorldFolder& world, std::string& error);
