// C++ orders static construction only within one translation unit, so all of
// the process's objects are defined here, in the order they are made.
#include "app/ProcessObjects.h"

FrameRateCounter FrameRate;
TileMap Map;
Walker Walker1;
Walker Walker2;
