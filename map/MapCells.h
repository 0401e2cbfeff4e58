// The release of a row table, shared by the loader (for a load that fails
// half-way) and ClearMap. The cells' data blocks belong to the map's
// CellDataStore and are released with it.
#pragma once

#include "map/TileMap.h"

// Releases each row and then the table. Any row may be null (not read yet),
// and so may the table itself.
void ReleaseRows(MapCell** rows, uint16_t height);
