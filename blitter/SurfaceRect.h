// Rectangles of a surface's memory as the SurfaceBuffers the blitter takes:
// the one statement of where a rectangle's first pixel and its last row's
// end lie, for the device's locked surfaces, the frame drawer's clip and the
// frames that the page and the tools draw into.
#pragma once

#include "base/Rect.h"
#include "blitter/Pixmix.h"

#include <cstdint>

// Returns the SurfaceBuffer of `rect` of `surface`, which describes a whole
// surface (its firstPixel the top-left one). The caller has clipped `rect`
// to the surface; it is in 64 bits so that a clip's corners reach it as they
// were worked out.
inline SurfaceBuffer SurfacePart(const SurfaceBuffer& surface, const WideRect& rect)
{
    const int64_t bytesPerPixel = surface.bitsPerPixel / 8;
    SurfaceBuffer part = surface;
    part.firstPixel = surface.firstPixel + rect.top * surface.pitch + rect.left * bytesPerPixel;
    // The end of the last row, not of the rectangle's bounding memory: the
    // row loops stop at the right edge of the last row.
    part.lastRowEnd = surface.firstPixel + (rect.bottom - 1) * surface.pitch + rect.right * bytesPerPixel;
    part.height = static_cast<int32_t>(rect.bottom - rect.top);
    part.width = static_cast<int32_t>(rect.right - rect.left);
    return part;
}

// Returns the SurfaceBuffer of a whole surface of `width` x `height` pixels
// of `bitsPerPixel` bits, whose top-left pixel is `topLeft` and whose rows
// lie `pitch` bytes apart.
inline SurfaceBuffer WholeSurfaceBuffer(uint8_t* topLeft, int32_t pitch, int32_t width, int32_t height,
                                        uint8_t bitsPerPixel)
{
    const SurfaceBuffer surface = {topLeft, topLeft, pitch, height, width, bitsPerPixel};
    return SurfacePart(surface, {0, 0, width, height});
}
