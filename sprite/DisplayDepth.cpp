#include "sprite/DisplayDepth.h"

uint8_t DisplayDepth = 32;
