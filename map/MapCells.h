// Release of a row table, shared by the loader (a load that fails half-way)
// and ClearMap. The cells' data blocks belong to the map's CellDataStore and
// go with it.
#pragma once

#include "map/TileMap.h"

// Every row may be null (not yet read); the table itself may be null.
void ReleaseRows(MapCell** rows, uint16_t height);
