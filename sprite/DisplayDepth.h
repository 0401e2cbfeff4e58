// Bits per pixel in which sprite pixels are stored: what the loader converts
// to and what the frame drawer reads. 32 in this program; the shell sets it
// once the device exists. It is process-wide because every sprite of the
// process is loaded and drawn at the one depth of the display, and the
// registry loads sprites on first use, long after start-up, from wherever a
// frame is drawn. Code that converts to a depth of its own (the sprite tool,
// say) passes it to LoadSprite instead.
#pragma once

#include <cstdint>

extern uint8_t DisplayDepth;
