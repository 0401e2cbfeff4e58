// The whole conversion: an isometric map file in, a world folder out
// ("test.map", "SpriteList.txt" and the sprite files).
#pragma once

#include "tools/tmximport/WorldBuilder.h"

#include <string>
#include <vector>

// The program's walkers draw the sprite with this id.
constexpr int32_t WalkerSpriteId = 2;

struct ImportOptions {
    std::string mapPath;
    std::string folder;      // made when missing; files of the same names are replaced
    std::string walkerPath;  // empty: the world lists no walker sprite
};

struct ImportSummary {
    int width = 0;
    int height = 0;
    size_t floorTiles = 0;
    size_t objects = 0;
    size_t blockedCells = 0;
    size_t sprites = 0;
    std::vector<std::string> warnings;
};

// Converts the map in memory and writes the world only once all of it
// converted. Returns false otherwise, with `error` saying
// "file:line: element: reason".
bool ImportTmx(const ImportOptions& options, ImportSummary& summary, std::string& error);

// Converts a map already in memory into `world` and writes nothing: the fuzz
// target's way in. Returns false, with `error` set, for the same refusals.
bool ConvertTmxText(const std::string& text, const std::string& path, ConvertedWorld& world, std::string& error);
