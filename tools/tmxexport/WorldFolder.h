// A world folder read whole for export, through the program's own loaders:
// "SpriteList.txt" as the registry reads it, "test.map" and every listed
// sprite file, each also as the bytes it holds, so that what its records do
// not carry can be kept beside them.
#pragma once

#include "tools/worldfiles/MapSource.h"
#include "tools/worldfiles/MapText.h"
#include "tools/worldfiles/SpriteWriter.h"

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
