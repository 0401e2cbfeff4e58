// Reads an isometric map saved by the Tiled editor (.tmx, XML) and the
// tileset files it names (.tsx). What cannot be converted is refused with an
// ImportRefusal naming the file, the element and the reason; what is left out
// on purpose is noted in the map's `warnings`.
#pragma once

#include "tools/tiledworld/TiledLimits.h"
#include "tools/tmximport/TmxMap.h"

#include <string>

// Returns the map at `path`, with the tileset files it names. Refuses
// (ImportRefusal) what cannot be converted, and what passes the limits of
// TiledLimits.h (through ImportBudget) or is not a regular file.
TmxMap ReadTmxFile(const std::string& path);

// The same for a map already in memory; `path` names it in messages and
// locates the files it refers to.
TmxMap ReadTmxText(const std::string& text, const std::string& path);
