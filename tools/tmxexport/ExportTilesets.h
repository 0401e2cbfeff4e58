// The tilesets of a world's export and the tile each of the map's floor tiles
// and objects shows: a tileset per listed sprite file (its frames, then the
// references of floor tiles and objects that no frame shows), one for
// unlisted sprite ids, and the blocked marker. Each tile says where its
// picture's top-left lies from the cell's drawing position ("place"), and
// each tileset's tile offset is the one most of its floor tiles need.
#pragma once

#include "tools/tmxexport/ExportModel.h"
#include "tools/tmxexport/WorldFolder.h"

#include <vector>

struct ExportTilesets {
    std::vector<ExportTileset> tilesets;  // in the map's order, their first gids given
    std::vector<PlacedTile> floorTiles;   // per floor tile of the map
    std::vector<PlacedTile> objectTiles;  // per object of the map
    PlacedTile blockedMarker;
};

// Returns the tilesets of `world`, their pictures made.
ExportTilesets BuildTilesets(const WorldFolder& world);

// Returns whether a tile layer draws `tile` of `tileset` where the program
// draws its frame: a tile layer places every tile by its tileset's offset.
bool FitsTileLayer(const ExportTileset& tileset, const ExportTile& tile);
