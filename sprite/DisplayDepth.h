// Bits per pixel in which sprite pixels are stored: what the loader converts
// to and what the frame drawer reads. 32 in this program; the shell sets it
// once the device exists.
#pragma once

#include <cstdint>

extern uint8_t DisplayDepth;
