// The scene of the process: the one map, with the sprite registry it owns, and
// the two walkers on it. Defined in app/ProcessObjects.cpp in this order: the
// map after the frame-rate counter, then Walker1, then Walker2; torn down in
// the reverse order.
#pragma once

#include "map/TileMap.h"
#include "map/Walker.h"

extern TileMap Map;
extern Walker Walker1;  // arrow keys; the view follows it
extern Walker Walker2;  // W, A, S, D
