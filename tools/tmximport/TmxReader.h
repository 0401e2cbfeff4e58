// Reads an isometric map saved by the Tiled editor (.tmx, XML) and the
// tileset files it names (.tsx). What cannot be converted is refused with an
// ImportRefusal naming the file, the element and the reason; what is left out
// on purpose is noted in the map's `warnings`.
#pragma once

#include "tools/tmximport/TmxMap.h"

#include <string>

// The largest map and tileset file read, and the largest map.
constexpr size_t MaxTmxFileBytes = 64u << 20;
constexpr int MaxMapSide = 32767;
constexpr int64_t MaxMapCells = int64_t(1) << 24;
constexpr int MaxTileSide = 4096;

// Returns the map at `path`, with the tileset files it names. Refuses
// (ImportRefusal) what cannot be converted.
TmxMap ReadTmxFile(const std::string& path);

// The same for a map already in memory; `path` names it in messages and
// locates the files it refers to.
TmxMap ReadTmxText(const std::string& text, const std::string& path);
