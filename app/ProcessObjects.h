// The objects that live as long as the process: the frame-rate counter, the
// one map with the sprite registry it owns, and the two walkers on it. They
// are static objects rather than locals of WinMain because they are made
// before WinMain runs and torn down at every exit, the one a logged fatal
// error takes from inside the device included; ProcessObjects.cpp defines
// them in the order written here, and they go in the reverse order. The frame
// loop and the scene steps reach them by name.
#pragma once

#include "world/FrameRateCounter.h"
#include "map/TileMap.h"
#include "map/Walker.h"

extern FrameRateCounter FrameRate;
extern TileMap Map;
extern Walker Walker1;  // arrow keys; the view follows it
extern Walker Walker2;  // W, A, S, D
