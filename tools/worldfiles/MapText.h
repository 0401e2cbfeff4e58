// The map description that content authors write, and the listing the tool
// prints for a map file. The language is documented in docs/map-tool.md.
#pragma once

#include "sprite/SpriteListFile.h"
#include "tools/worldfiles/MapSource.h"

#include <cstdint>
#include <string>
#include <vector>

struct MapDescription {
    MapSource map;
    std::vector<SpriteListing> sprites;  // the lines of "SpriteList.txt", in order
    // The line each came from: a sprite line, a floor tile's legend or floor
    // line, an object line, a row of the grid (none without a grid).
    std::vector<int> spriteLines, floorLines, objectLines, rowLines;
};

// Parses a map description into `description`. Returns false at the first
// mistake, with `error` naming the description by `name` and the line:
// "meadow.txt:9: the letter ',' has no legend".
bool ParseMapText(const std::string& text, const std::string& name, MapDescription& description, std::string& error);

// Returns a description of `map` that ParseMapText reads back to the same map.
std::string FormatMapText(const MapSource& map);
