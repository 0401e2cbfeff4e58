// The one map of the process, with the sprite registry it owns. Defined in
// app/ProcessObjects.cpp: made after the frame-rate counter and before the
// walkers, torn down after them.
#pragma once

#include "map/TileMap.h"

extern TileMap Map;
