// A world folder as a Tiled map: the map file, one tileset file per sprite
// file and a picture per frame, in a folder beside the map. The editor draws
// the map as the program draws the world, and tmximport of it gives the world
// back byte for byte (docs/tiled-export.md).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct ExportSummary {
    int width = 0;
    int height = 0;
    size_t tilesets = 0;
    size_t pictures = 0;
    size_t floorLayers = 0;  // tile layers and object layers of floor tiles
    size_t objects = 0;
    std::vector<std::string> notes;
};

// The folder beside `mapPath` that holds its tilesets and pictures.
std::string TilesetFolderFor(const std::string& mapPath);

// Writes the map and its folder, replacing an earlier export of the same
// names (and nothing else: ExportTarget.h), only once all of it is written.
// False, with `error` naming the file and what is wrong, when the output is
// not an earlier export, the world cannot be read or a Tiled map could not
// carry it back (TiledLimits.h), or the files cannot be written; nothing is
// left behind then.
bool ExportWorld(const std::string& worldFolder, const std::string& mapPath, ExportSummary& summary,
                 std::string& error);
