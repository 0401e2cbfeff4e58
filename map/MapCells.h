// Release of a row table and the data of its cells, shared by the loader
// (a load that fails half-way) and ClearMap.
#pragma once

#include "map/TileMap.h"

// Every row may be null (not yet read); the table itself may be null.
void ReleaseCells(MapCell** rows, uint16_t height, uint16_t width);
