#include "sprite/FrameTick.h"

uint32_t FrameTick = 0;
