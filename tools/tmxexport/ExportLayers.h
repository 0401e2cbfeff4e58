// The layers of a world's export, in the editor's drawing order: the floor in
// as few layers as keep the program's picture (FloorLayers.h), tile layers
// "floor 1", "floor 2", ... and object layers for tiles placed otherwise; the
// scene's objects in its order; the blocked cells on a hidden tile layer.
// Every floor tile carries its place in the floor's order, so that tmximport
// can rebuild the order after any edit.
#pragma once

#include "tools/tmxexport/ExportModel.h"
#include "tools/tmxexport/ExportTilesets.h"
#include "tools/tmxexport/WorldFolder.h"

#include <vector>

// Returns the layers of `world` drawn with `tiles`; `floorLayers` is set to
// how many hold the floor.
std::vector<ExportLayer> BuildLayers(const WorldFolder& world, const ExportTilesets& tiles, size_t& floorLayers);
