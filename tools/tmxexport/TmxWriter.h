// The XML files of an export: the map (.tmx) and a tileset file (.tsx) per
// tileset, in the format of the Tiled editor 1.8.
#pragma once

#include "tools/tmxexport/ExportModel.h"

#include <cstddef>
#include <string>

// Writes `map` as the map file at `mapPath` and its tilesets into the folder
// `tilesetFolder`, named relative to the map's folder. Returns how many
// tileset files were written; throws std::runtime_error naming the file that
// cannot be written.
size_t WriteTmx(const ExportMap& map, const std::string& mapPath, const std::string& tilesetFolder);
