// The arithmetic of GetSurfaceBuffer: a locked surface's memory and a
// rectangle of it become a SurfaceBuffer.
#pragma once

#include "base/Rect.h"
#include "blitter/Pixmix.h"

#include <cstdint>

// What a lock reports about a surface's memory.
struct SurfaceMemory {
    uint8_t* memory;  // the top-left pixel of the surface
    int32_t pitch;    // bytes from one row to the next; may exceed width x bytes per pixel
    int32_t width;
    int32_t height;
};

// Returns `rect` with left and top raised to at least 0, right and bottom
// lowered to at most the surface's width and height. Nothing else: an inverted
// rectangle stays inverted.
Rect ClampToSurface(const Rect& rect, int32_t width, int32_t height);

// Returns the rectangle of the whole surface, (0, 0, width, height).
Rect WholeSurface(const SurfaceMemory& surface);

// Returns the SurfaceBuffer of `rect` of the surface, whose pixels have
// `bitsPerPixel` bits.
SurfaceBuffer DescribeRect(const SurfaceMemory& surface, const Rect& rect, uint8_t bitsPerPixel);
