// The objects that live as long as the process. C++ orders static construction
// only within one translation unit, so all of them are defined here, in the
// order they are made: the frame-rate counter, the map, Walker1, Walker2.
// They are torn down in the reverse order at every exit.
#include "app/FrameRateCounter.h"
#include "app/ProcessObjects.h"

FrameRateCounter FrameRate;
TileMap Map;
Walker Walker1;
Walker Walker2;
